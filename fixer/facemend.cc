// facemend: repairs one single-face TrueType font (cmap, name, post and head passes) and
// writes the repaired face to a second file, which may be the input itself.
#include <cstdio>
#include <optional>
#include <string>

#include "fixer/cmap_repair.h"
#include "fixer/face_file.h"
#include "fixer/name_repair.h"
#include "fixer/name_table.h"
#include "fixer/name_text.h"
#include "fixer/post_head_repair.h"
#include "fontio/input_file.h"

namespace {

constexpr unsigned kOptionHead = 1u << 0;  // "--head": accepted, but nothing reads it yet

struct facemend_args {
  std::string from;
  std::string to;
  unsigned options = 0;
};

// The first two arguments not starting with '-' are the input and the output; further ones
// are ignored, and options are skipped. Nothing when there are fewer than two.
std::optional<facemend_args> parse_args(int argc, char** argv) {
  facemend_args args;
  int positionals = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!arg.empty() && arg[0] == '-') {
      if (arg == "--head") args.options |= kOptionHead;
      continue;
    }
    if (positionals == 0) args.from = arg;
    if (positionals == 1) args.to = arg;
    ++positionals;
  }
  if (positionals < 2) return std::nullopt;
  return args;
}

void print_font_family(const sfnt_name_table& names) {
  if (const std::optional<std::string> family = get_font_family(names))
    std::printf("Font family: %s\n", family->c_str());
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

int run(const facemend_args& args) {
  const loaded_file input = load_file(args.from);
  if (input.status == load_status::failed) return 1;
  if (input.status == load_status::read_short) {
    std::fputs("Couldn't load font file...\n", stderr);
    return 1;
  }
  std::string error;
  std::optional<sfnt_face_info> face = parse_sfnt_face_info(input.data, error);
  if (!face) {
    std::fputs(error.c_str(), stderr);
    return 1;
  }
  const std::optional<size_t> name_index = find_sfnt_table_index(*face, "name");
  if (!name_index) {
    std::fputs("Couldn't find `name' table...\n", stdout);
    return 1;
  }
  std::optional<sfnt_name_table> names =
      parse_sfnt_name_table(sfnt_table_bytes(face->tables[*name_index]), error);
  if (!names) {
    std::fputs(error.c_str(), stderr);
    return 1;
  }
  print_font_family(*names);
  if (const int status = run_passes(*face, *name_index, *names); status != 0) return status;
  std::fflush(stdout);
  return write_sfnt_face(args.to, *face) == sfnt_write_status::written ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<facemend_args> args = parse_args(argc, argv);
  if (!args) {
    std::printf("usage: %s from to\n", argc > 0 ? argv[0] : "facemend");
    return 1;
  }
  return run(*args);
}
