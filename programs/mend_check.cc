#include "programs/mend_check.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "fixer/collection_repair.h"
#include "programs/mend_input.h"
#include "programs/mend_signs.h"
#include "programs/mend_sinks.h"
#include "sfnt/budget.h"
#include "sfnt/byte_fields.h"
#include "sfnt/byte_reader.h"
#include "sfnt/sfnt_directory.h"

namespace {

constexpr uint64_t kCollectionHeader = 12;

// Reading room for the mended tables of one face at a time, and one more for the signs.
using held_room = std::array<std::vector<uint8_t>, kMendedTables.size() + 1>;

// Points the face's mended tables at their bytes read into `room`; false after a failed read
// has been reported.
bool hold_mended_tables(sfnt_face_info& face, held_room& room) {
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

// The bytes of the mended tables the face names, each counted once per record.
uint64_t mended_bytes(const sfnt_face_info& face) {
  uint64_t bytes = 0;
  for (const char* tag : kMendedTables)
    if (const std::optional<size_t> index = find_sfnt_table_index(face, tag))
      bytes += table_length(face.tables[*index].bytes);
  return bytes;
}

// Judges the face's signs and repairs it in memory to see what a repair would change; 0, or
// the status the repair ends with.
int judge_face(sfnt_face_info face, held_room& room, finding_recorder& recorder) {
  if (!hold_mended_tables(face, room)) return 1;
  std::optional<std::vector<std::string>> signs = face_legacy_signs(face, room.back());
  if (!signs) return 1;
  recorder.current().signs = std::move(*signs);
  const sfnt_face_info before = face;
  const int status = repair_face(face, recorder);
  if (status == 0) note_changes(before, face, recorder.current().changed);
  return status;
}

// The faces of the collection as fonts of their own, their tables extents of the file;
// nothing when anything about the collection is amiss (the caller lets the full reader say
// what), or when its directories or mended tables would cost more than the work budget
// allows for its size.
std::optional<std::vector<sfnt_face_info>> collection_faces(const input_file& file) {
  const file_extent whole{&file, 0, file.size};
  std::vector<uint8_t> header(kCollectionHeader);
  if (file.size < kCollectionHeader || !read_input(file, 0, header)) return std::nullopt;
  const uint32_t count = read_uint32(header.data() + 8);
  if (!extent_fits(file.size, kCollectionHeader, uint64_t{4} * count)) return std::nullopt;
  std::vector<uint8_t> offsets(size_t{4} * count);
  if (!read_input(file, kCollectionHeader, offsets)) return std::nullopt;
  const work_budget budget;
  budget_sum directories{0, directory_limit(budget, file.size)};
  budget_sum tables{0, face_limit(budget, file.size)};
  std::vector<sfnt_face_info> faces;
  for (uint32_t i = 0; i < count; ++i) {
    std::string problem;
    const std::optional<sfnt_directory> dir =
        read_sfnt_directory(whole, read_uint32(offsets.data() + 4 * i), problem);
    if (!dir || !spend(directories, sfnt_directory_size(dir->records.size()))) return std::nullopt;
    faces.push_back(sfnt_face_from_directory(table_bytes(whole), *dir));
    if (!spend(tables, mended_bytes(faces.back()))) return std::nullopt;
  }
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
