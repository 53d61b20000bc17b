#include "programs/mend_check.h"

#include <algorithm>
#include <cstdio>

#include "fixer/collection_repair.h"
#include "programs/mend_input.h"
#include "programs/mend_signs.h"
#include "programs/mend_sinks.h"
#include "sfnt/sfnt_directory.h"
#include "ttc/ttc_reader.h"

namespace {

// Reading room for the mended tables of one face at a time, and one more for the signs.
struct held_room {
  mended_room held;
  std::vector<uint8_t> signs;
};

// Judges the face's signs and repairs it in memory to see what a repair would change; 0, or
// the status the repair ends with.
int judge_face(sfnt_face_info face, held_room& room, finding_recorder& recorder) {
  if (!hold_mended_tables(face, room.held)) return 1;
  std::optional<std::vector<std::string>> signs = face_legacy_signs(face, room.signs);
  if (!signs) return 1;
  recorder.current().signs = std::move(*signs);
  const sfnt_face_info before = face;
  const int status = repair_face(face, recorder);
  if (status == 0) note_changes(before, face, recorder.current().changed);
  return status;
}

// The faces of the collection as fonts of their own, their tables extents of the file;
// nothing when the collection's directories cannot be read (the full reader then says why).
std::optional<std::vector<sfnt_face_info>> collection_faces(const input_file& file) {
  const table_bytes whole = file_extent{&file, 0, file.size};
  std::vector<sfnt_face_info> faces;
  ttc_problem problem;
  const auto add = [&](const ttc_face_met& met, ttc_problem&) {
    faces.push_back(met.directory ? sfnt_face_from_directory(whole, *met.directory)
                                  : faces[met.same_as]);
    return true;
  };
  if (!ttc_read_directories(whole, problem, add)) return std::nullopt;
  return faces;
}

// Today's reading of a collection, for one that collection_faces would not take: it reads
// every table, and says what is wrong in its own words. The signs are not judged this way.
int check_by_full_repair(const input_file& file, finding_recorder& recorder) {
  mended_tables changed{};
  const int status =
      repair_collection(file.name, file_extent{&file, 0, file.size}, changed, recorder).status;
  recorder.current().changed = changed;
  return status;
}

int check_collection(const input_file& file, finding_recorder& recorder) {
  std::optional<std::vector<sfnt_face_info>> faces = collection_faces(file);
  if (!faces) return check_by_full_repair(file, recorder);
  held_room room;
  int status = 0;
  for (size_t i = 0; i < faces->size() && status == 0; ++i) {
    recorder.report(mend_event::face_begins{i});
    if (!known_sfnt_version((*faces)[i].header.version)) {
      recorder.report(mend_event::unknown_version{file.name, (*faces)[i].header.version});
      status = 1;
    }
    if (status == 0) status = judge_face((*faces)[i], room, recorder);
  }
  return status;
}

// The opener has read and checked the single font's directory.
int check_single(const mend_input& input, finding_recorder& recorder) {
  const file_extent whole{&input.file, 0, input.file.size};
  held_room room;
  return judge_face(sfnt_face_from_directory(table_bytes(whole), input.font.directory), room,
                    recorder);
}

}  // namespace

file_finding check_font_file(const std::string& path, mend_sink& report) {
  std::optional<mend_input> input = open_mend_input(path);
  if (!input) return {1, {}};
  file_finding finding;
  finding_recorder recorder(finding.faces, report);
  finding.status = input->font.kind == font_kind::collection
                       ? check_collection(input->file, recorder)
                       : check_single(*input, recorder);
  close_input(input->file);
  return finding;
}

std::vector<std::string> file_signs(const file_finding& finding) {
  std::vector<std::string> signs;
  for (const face_finding& face : finding.faces)
    for (const std::string& sign : face.signs)
      if (std::find(signs.begin(), signs.end(), sign) == signs.end()) signs.push_back(sign);
  return signs;
}

bool shows_legacy_signs(const file_finding& finding) {
  return !file_signs(finding).empty();
}
