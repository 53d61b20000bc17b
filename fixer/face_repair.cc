#include "fixer/face_repair.h"

#include <algorithm>
#include <optional>

#include "fixer/cmap_repair.h"
#include "fixer/name_repair.h"
#include "fixer/name_table.h"
#include "fixer/name_text.h"
#include "fixer/post_head_repair.h"

namespace {

// The four passes, each announced; 0, or the status the run must end with.
int run_passes(sfnt_face_info& face, size_t name_index, sfnt_name_table& names, mend_sink& sink) {
  sink.report(mend_event::pass_begins{"cmap"});
  fix_cmap(face, sink);
  sink.report(mend_event::pass_begins{"name"});
  if (const int status = fix_name(face, name_index, names, sink); status != 0) return status;
  sink.report(mend_event::pass_begins{"post"});
  fix_post(face, sink);
  sink.report(mend_event::pass_begins{"head"});
  fix_head(face, sink);
  sink.report(mend_event::repair_done{});
  return 0;
}

}  // namespace

bool hold_mended_tables(sfnt_face_info& face, mended_room& room) {
  for (size_t t = 0; t < kMendedTables.size(); ++t) {
    const std::optional<size_t> index = find_sfnt_table_index(face, kMendedTables[t]);
    if (!index) continue;
    sfnt_table& table = face.tables[*index];
    const std::optional<std::span<const uint8_t>> held = hold_table_bytes(table.bytes, room[t]);
    if (!held) return false;
    table.bytes = *held;
  }
  return true;
}

int repair_face(sfnt_face_info& face, mend_sink& sink) {
  const std::optional<size_t> name_index = find_sfnt_table_index(face, "name");
  if (!name_index) {
    sink.report(mend_event::table_missing{"name"});
    return 1;
  }
  std::string error;
  std::optional<sfnt_name_table> names =
      parse_sfnt_name_table(sfnt_table_bytes(face.tables[*name_index]), error);
  if (!names) {
    sink.report(mend_event::name_table_unreadable{error});
    return 1;
  }
  sink.report(mend_event::family_name{get_font_family(*names)});
  return run_passes(face, *name_index, *names, sink);
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
