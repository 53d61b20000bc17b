#include "programs/join_input.h"

#include <cstdio>
#include <optional>

#include "cli/messages.h"
#include "sfnt/font_file.h"
#include "sfnt/sfnt_directory.h"
#include "ttc/ttc_join.h"

namespace {

// The directory of a single-face font, or nothing after a message naming the file. Only
// the offset table and the directory are read. A collection would have its header taken
// for an offset table, so it is refused by name.
std::optional<sfnt_directory> single_face_directory(const std::string& path,
                                                    const table_bytes& file) {
  font_problem problem;
  std::optional<font_file> font = open_font_file(file, problem);
  if (font && font->kind == font_kind::single) return std::move(font->directory);
  if (font) {
    say_problem(text_format(
        "%s: not a single-face font (it is a collection; facesplit splits it)\n", path.c_str()));
  } else if (problem.fault == font_fault::empty) {
    say_problem(text_format("%s: empty file\n", path.c_str()));
  } else if (problem.fault == font_fault::unknown_version) {
    say_problem(text_format("%s: not a font (unknown sfnt version 0x%08X)\n", path.c_str(),
                            problem.version));
  } else if (problem.fault == font_fault::broken) {
    say_problem(text_format("%s: %s\n", path.c_str(), problem.detail.c_str()));
  }
  return std::nullopt;
}

// Whether the face, as a font of its own, stays within the budget for its file; false after
// a message. Checked before any table is read.
bool within_budget(const std::string& path, const sfnt_directory& dir, uint64_t file_size,
                   const work_budget& budget) {
  const uint64_t limit = face_limit(budget, file_size);
  if (sfnt_font_size(dir) <= limit) return true;
  say_problem(
      text_format("%s: its tables would take more than %llu bytes, more than its size allows\n",
                  path.c_str(), static_cast<unsigned long long>(limit)));
  return false;
}

// -1, after naming the file whose face was refused when the pool was full (a failed read
// has been reported where it failed).
int report_refusal(const std::string& path, ttc_refusal refusal) {
  if (refusal == ttc_refusal::pool_full)
    say_problem(text_format("%s: the collection would hold more than %zu distinct tables\n",
                            path.c_str(), ttc_max_tables));
  return -1;
}

}  // namespace

std::optional<sfnt_face_info> read_font_face(const std::string& path, const table_bytes& file,
                                             const work_budget& budget) {
  const std::optional<sfnt_directory> dir = single_face_directory(path, file);
  if (!dir || !within_budget(path, *dir, table_length(file), budget)) return std::nullopt;
  return sfnt_face_from_directory(file, *dir);
}

int add_font_file(ttc_info& info, const std::string& path, const table_bytes& file, bool hold,
                  std::vector<uint8_t>& room, const work_budget& budget) {
  std::optional<sfnt_face_info> face = read_font_face(path, file, budget);
  if (!face) return -1;
  const ttc_keep keep = hold ? ttc_keep::copy : ttc_keep::in_place;
  const std::optional<ttc_refusal> refused = ttc_add_face(info, std::move(*face), keep, room);
  return refused ? report_refusal(path, *refused) : 0;
}

int add_font_faces(ttc_info& info, const std::vector<std::string>& paths,
                   std::vector<sfnt_face_info> faces, std::vector<uint8_t>& room) {
  const size_t before = info.faces.size();
  const std::optional<ttc_refusal> refused = ttc_add_faces(info, std::move(faces), room);
  return refused ? report_refusal(paths[info.faces.size() - before], *refused) : 0;
}
