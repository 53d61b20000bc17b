#include "ttc/ttc_reader.h"

#include <algorithm>
#include <memory>
#include <string>

#include "sfnt/byte_reader.h"
#include "sfnt/font_file.h"
#include "sfnt/sfnt_directory.h"

namespace {

constexpr uint64_t kHeaderSize = 12;

// No write can lay out more than 4 GiB of tables (offsets are 32-bit). In a sound file the
// distinct tables hold no more than the file; only records whose extents overlap under
// many offsets come near this, and they would otherwise make a small file cost gigabytes.
constexpr uint64_t kMaxPooledBytes = UINT32_MAX;

// The first face that names an offset table, for every later face that names it too.
struct known_offset {
  size_t face = 0;
  uint64_t size = 0;  // of the face as a font of its own
};

// What reading the directories keeps: the faces by the offset of their offset table, and the
// two sums of the budget (sfnt/budget.h).
struct directory_state {
  ttc_problem problem;  // why the reading stopped
  std::map<uint32_t, known_offset> by_offset;
  budget_sum directory_bytes;  // of the distinct offset tables and directories
  budget_sum face_bytes;       // of the faces as fonts of their own
};

// Counts a face's bytes as a font of its own; false, with the problem noted, when the
// faces would then take more than the budget allows.
bool count_face(directory_state& state, uint64_t size) {
  if (spend(state.face_bytes, size)) return true;
  state.problem = {ttc_fault::faces_over_budget, 0, state.face_bytes.limit, {}};
  return false;
}

// Counts the bytes of a directory read for the first time; false, with the problem noted,
// when the directories would then take more than the budget allows.
bool count_directory(directory_state& state, size_t num_tables) {
  if (spend(state.directory_bytes, sfnt_directory_size(num_tables))) return true;
  state.problem = {ttc_fault::directories_over_budget, 0, state.directory_bytes.limit, {}};
  return false;
}

// Meets face `face`, whose offset table stands at `offset`: as the earlier face that names
// the same offset table, else with its directory read (at most 1 MiB) and counted now; the
// face's bytes as a font of its own counted either way, then `visit` called. False with the
// problem noted, or when `visit` answered false.
bool meet_face(const table_bytes& file, uint32_t offset, size_t face, const ttc_face_visitor& visit,
               directory_state& state) {
  const auto known = state.by_offset.find(offset);
  if (known != state.by_offset.end())
    return count_face(state, known->second.size) &&
           visit({face, nullptr, known->second.face}, state.problem);
  std::string problem;
  const std::optional<sfnt_directory> dir = read_sfnt_directory(file, offset, problem);
  if (!dir) {
    if (!problem.empty()) state.problem = {ttc_fault::face_broken, face, 0, std::move(problem)};
    return false;
  }
  const uint64_t size = sfnt_font_size(*dir);
  if (!count_directory(state, dir->records.size()) || !count_face(state, size)) return false;
  state.by_offset.emplace(offset, known_offset{face, size});
  return visit({face, &*dir, 0}, state.problem);
}

// The TTC header's version and numFonts, once the offset array is known to lie in the file;
// nothing with the problem noted.
struct ttc_header {
  uint32_t version = 0;
  uint32_t num_fonts = 0;
};

std::optional<ttc_header> read_ttc_header(const table_bytes& file, std::vector<uint8_t>& room,
                                          ttc_problem& problem) {
  const uint64_t size = table_length(file);
  font_problem not_font;
  const std::optional<font_file> font = open_font_file(file, not_font);
  if (!font && not_font.fault == font_fault::unread) return std::nullopt;
  if (!font || font->kind != font_kind::collection) {
    problem.fault = ttc_fault::not_collection;
    return std::nullopt;
  }
  if (size < kHeaderSize) {
    problem.fault = ttc_fault::header_short;
    return std::nullopt;
  }
  const auto header = read_table_piece(file, 0, kHeaderSize, room);
  if (!header) return std::nullopt;
  const ttc_header fields{read_uint32(header->data() + 4), read_uint32(header->data() + 8)};
  // Checked before anything is allocated for the faces, whatever numFonts claims.
  if (!extent_fits(size, kHeaderSize, uint64_t{4} * fields.num_fonts)) {
    problem.fault = ttc_fault::offsets_short;
    return std::nullopt;
  }
  return fields;
}

// What pooling the faces' tables keeps: the bytes the pool's entries hold in all, and the
// reading room.
struct pool_state {
  uint64_t pooled = 0;
  std::vector<uint8_t> room;
};

// The pool index for a directory record: the entry with the same tag and bytes (a range
// that an earlier record named is known to be one without reading it again), else a new
// one. -1 with the problem noted.
int32_t pool_record(ttc_info& info, const table_bytes& file, const sfnt_record& record,
                    pool_state& state, ttc_problem& problem) {
  const size_t before = info.tables().size();
  const ttc_table_added added = ttc_add_table(
      info, {record.tag, table_slice(file, record.offset, record.length), std::nullopt},
      ttc_keep::in_place, state.room);
  if (added.refusal == ttc_refusal::pool_full)
    problem = {ttc_fault::too_many_tables, 0, ttc_max_tables, {}};
  if (!added.entry) return -1;
  if (info.tables().size() == before) return *added.entry;
  // Checked once the entry is known to be new: in a sound file the distinct tables hold no
  // more than the file.
  state.pooled += record.length;
  if (state.pooled > kMaxPooledBytes) {
    problem.fault = ttc_fault::too_many_bytes;
    return -1;
  }
  return *added.entry;
}

// Adds the face the reading met: the face of the earlier face it shares an offset table
// with, else one whose tables are pooled now. False with the problem noted.
bool add_face(ttc_info& info, const table_bytes& file, const ttc_face_met& met, pool_state& state,
              ttc_problem& problem) {
  if (met.directory == nullptr) {
    info.faces.push_back(info.faces[met.same_as]);
    return true;
  }
  ttc_face face{met.directory->header, {}};
  face.table_indices.reserve(met.directory->records.size());
  for (const sfnt_record& record : met.directory->records) {
    const int32_t index = pool_record(info, file, record, state, problem);
    if (index < 0) return false;
    face.table_indices.push_back(index);
  }
  info.faces.push_back(std::make_shared<const ttc_face>(std::move(face)));
  return true;
}

}  // namespace

std::optional<uint32_t> ttc_read_directories(const table_bytes& file, ttc_problem& problem,
                                             const ttc_face_visitor& visit,
                                             const work_budget& budget) {
  directory_state state;
  state.directory_bytes.limit = directory_limit(budget, table_length(file));
  state.face_bytes.limit = face_limit(budget, table_length(file));
  problem = {};
  std::vector<uint8_t> room;
  const std::optional<ttc_header> header = read_ttc_header(file, room, problem);
  if (!header) return std::nullopt;
  // The offset array is read in pieces, so that it costs no more memory than a table does.
  const uint64_t array_size = uint64_t{4} * header->num_fonts;
  size_t face = 0;
  for (uint64_t done = 0; done < array_size; done += table_piece) {
    const auto offsets =
        read_table_piece(file, kHeaderSize + done, piece_length(array_size, done), room);
    if (!offsets) return std::nullopt;
    for (size_t at = 0; at < offsets->size(); at += 4, ++face) {
      if (!meet_face(file, read_uint32(offsets->data() + at), face, visit, state)) {
        problem = std::move(state.problem);
        return std::nullopt;
      }
    }
  }
  return header->version;
}

std::optional<ttc_info> ttc_parse_binary(const table_bytes& file, ttc_problem& problem,
                                         const work_budget& budget) {
  ttc_info info;
  pool_state state;
  const std::optional<uint32_t> version = ttc_read_directories(
      file, problem,
      [&](const ttc_face_met& met, ttc_problem& stop) {
        return add_face(info, file, met, state, stop);
      },
      budget);
  if (!version) return std::nullopt;
  info.version = *version;
  return info;
}
