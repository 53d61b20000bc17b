#include "fixer/face_repair.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "fixer/cmap_repair.h"
#include "fixer/name_repair.h"
#include "fixer/name_table.h"
#include "fixer/name_text.h"
#include "fixer/post_head_repair.h"

namespace {

void print_font_family(const sfnt_name_table& names) {
  const font_family family = get_font_family(names);
  if (family.refusal)
    std::fprintf(stderr, "iconv: %s\n", std::strerror(static_cast<int>(*family.refusal)));
  if (family.name)
    std::printf("Font family: %s\n", family.name->c_str());
  else
    std::fputs("Warning: Couldn't get font family.\n", stderr);
}

// The four passes, each announced; 0, or the status the run must end with.
int run_passes(sfnt_face_info& face, size_t name_index, sfnt_name_table& names) {
  std::fputs("Processing `cmap' table...\n", stdout);
  fix_cmap(face);
  std::fputs("Processing `name' table...\n", stdout);
  if (const int status = fix_name(face, name_index, names); status != 0) return status;
  std::fputs("Processing `post' table...\n", stdout);
  fix_post(face);
  std::fputs("Processing `head' table...\n", stdout);
  fix_head(face);
  std::fputs("Done.\n\n", stdout);
  return 0;
}

}  // namespace

int repair_face(sfnt_face_info& face) {
  const std::optional<size_t> name_index = find_sfnt_table_index(face, "name");
  if (!name_index) {
    std::fputs("Couldn't find `name' table...\n", stdout);
    return 1;
  }
  std::string error;
  std::optional<sfnt_name_table> names =
      parse_sfnt_name_table(sfnt_table_bytes(face.tables[*name_index]), error);
  if (!names) {
    std::fputs(error.c_str(), stderr);
    return 1;
  }
  print_font_family(*names);
  return run_passes(face, *name_index, *names);
}

void note_changes(const sfnt_face_info& before, const sfnt_face_info& after,
                  mended_tables& changed) {
  for (size_t t = 0; t < kMendedTables.size(); ++t) {
    const std::optional<size_t> index = find_sfnt_table_index(after, kMendedTables[t]);
    if (!index) continue;
    const std::span<const uint8_t> was = sfnt_table_bytes(before.tables[*index]);
    const std::span<const uint8_t> now = sfnt_table_bytes(after.tables[*index]);
    if (!std::equal(was.begin(), was.end(), now.begin(), now.end())) changed[t] = true;
  }
}
