#include "programs/mend_input.h"

#include <cstdio>

#include "cli/messages.h"

namespace {

// Prints why the file is not a font facemend repairs, in facemend's words.
void print_problem(const std::string& name, const font_problem& problem) {
  if (problem.fault == font_fault::unread) {
    say_problem("Couldn't load font file...\n");
  } else if (problem.short_file) {
    say_problem("Not a font file: it is too short to hold an offset table.\n");
  } else if (problem.fault == font_fault::unknown_version) {
    say_problem(text_format("Not a font file: %s has an unknown sfnt version (0x%08X).\n",
                            name.c_str(), problem.version));
  } else {
    say_problem(text_format("Broken font file: %s.\n", problem.detail.c_str()));
  }
}

}  // namespace

std::optional<mend_input> open_mend_input(const std::string& path) {
  std::optional<input_file> file = open_input(path, print_io_problem);
  if (!file) return std::nullopt;
  font_problem problem;
  std::optional<font_file> font = open_font_file(file_extent{&*file, 0, file->size}, problem);
  if (font) return mend_input{std::move(*file), std::move(*font)};
  print_problem(file->name, problem);
  close_input(*file);
  return std::nullopt;
}

std::optional<sfnt_face_info> load_single_font(const mend_input& input,
                                               std::vector<uint8_t>& bytes) {
  const load_status loaded = load_input(input.file, bytes);
  if (loaded == load_status::read_short) say_problem("Couldn't load font file...\n");
  if (loaded != load_status::loaded) return std::nullopt;
  // The directory was checked against the file's size, which the whole file still has.
  return sfnt_face_from_directory(std::span<const uint8_t>(bytes), input.font.directory);
}
