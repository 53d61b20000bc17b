#include "ttc/ttc_model.h"

#include <utility>

#include "sfnt/checksum.h"

namespace {

// The directory checksum and, when asked for, the content hash of a table, summed as it is
// read once.
struct table_sums {
  uint32_t checksum = 0;
  std::optional<uint64_t> hash;
};

std::optional<table_sums> sum_table(const ttc_info& info, const sfnt_tag& tag,
                                    const table_bytes& bytes, bool with_hash,
                                    std::vector<uint8_t>& room) {
  const uint64_t length = table_length(bytes);
  table_sums sums;
  ttc_hash_state hash = ttc_hash_start(info.key);
  for (uint64_t done = 0; done < length; done += table_piece) {
    const auto piece = read_table_piece(bytes, done, piece_length(length, done), room);
    if (!piece) return std::nullopt;
    sums.checksum = sfnt_directory_checksum_add(sums.checksum, tag, done, *piece);
    if (with_hash) ttc_hash_add(hash, *piece);
  }
  if (with_hash) sums.hash = ttc_hash_end(hash);
  return sums;
}

// Files entry `index` under its content hash.
void file_by_content(ttc_info& info, int32_t index, uint64_t hash) {
  const ttc_table& table = info.tables[static_cast<size_t>(index)];
  info.by_content[{table.tag, table_length(table.bytes), hash}].push_back(index);
}

// The first entry among those filed under this hash that holds the same bytes; -1 when
// none, nothing after a failed read.
std::optional<int32_t> find_by_content(const ttc_info& info, const sfnt_tag& tag,
                                       const table_bytes& bytes, uint64_t hash,
                                       std::vector<uint8_t>& room) {
  const auto found = info.by_content.find({tag, table_length(bytes), hash});
  if (found == info.by_content.end()) return -1;
  std::vector<uint8_t> entry_room;
  for (const int32_t index : found->second) {
    const std::optional<bool> same =
        same_table_bytes(bytes, info.tables[static_cast<size_t>(index)].bytes, room, entry_room);
    if (!same) return std::nullopt;
    if (*same) return index;
  }
  return -1;
}

// Hashes the one entry of a shape that is about to get a second one, and files it.
bool file_first_of_shape(ttc_info& info, ttc_shape& shape, std::vector<uint8_t>& room) {
  const ttc_table& first = info.tables[static_cast<size_t>(shape.first)];
  const std::optional<table_sums> sums = sum_table(info, first.tag, first.bytes, true, room);
  if (!sums) return false;
  file_by_content(info, shape.first, *sums->hash);
  shape.hashed = true;
  return true;
}

// A shared entry for a table of a shape already in the pool, -1 for none.
std::optional<int32_t> find_shared(ttc_info& info, ttc_shape& shape, const table_bytes& bytes,
                                   std::vector<uint8_t>& room) {
  if (!shape.hashed) {
    std::vector<uint8_t> entry_room;
    const std::optional<bool> same = same_table_bytes(
        bytes, info.tables[static_cast<size_t>(shape.first)].bytes, room, entry_room);
    if (!same) return std::nullopt;
    if (*same) return shape.first;
    if (!file_first_of_shape(info, shape, entry_room)) return std::nullopt;
  }
  return -1;
}

}  // namespace

ttc_added ttc_add_table(ttc_info& info, sfnt_table table, ttc_keep keep,
                        std::vector<uint8_t>& room) {
  const sfnt_tag& tag = table.tag;
  table_bytes& bytes = table.bytes;
  ttc_shape& shape = info.by_shape[{tag, table_length(bytes)}];
  if (shape.first >= 0) {
    const std::optional<int32_t> shared = find_shared(info, shape, bytes, room);
    if (!shared) return {};
    if (*shared >= 0) return {shared};
  }
  std::optional<table_sums> sums;
  if (table.checksum && !shape.hashed)
    sums = table_sums{*table.checksum, std::nullopt};
  else
    sums = sum_table(info, tag, bytes, shape.hashed, room);
  if (!sums) return {};
  if (sums->hash) {
    const std::optional<int32_t> found = find_by_content(info, tag, bytes, *sums->hash, room);
    if (!found) return {};
    if (*found >= 0) return {found};
  }
  if (info.tables.size() >= ttc_max_tables) return {std::nullopt, ttc_refusal::pool_full};
  if (keep == ttc_keep::copy && std::holds_alternative<file_extent>(bytes)) {
    std::optional<std::vector<uint8_t>> copy = copy_table_bytes(bytes, room);
    if (!copy) return {};
    bytes = std::move(*copy);
  }
  const int32_t index = ttc_append_table(info, {tag, std::move(bytes), sums->checksum});
  if (shape.first < 0) shape.first = index;
  if (sums->hash) file_by_content(info, index, *sums->hash);
  return {index};
}

ttc_added ttc_add_face(ttc_info& info, sfnt_face_info face, ttc_keep keep,
                       std::vector<uint8_t>& room) {
  ttc_face added{face.header, {}};
  added.table_indices.reserve(face.tables.size());
  for (sfnt_table& table : face.tables) {
    const ttc_added entry = ttc_add_table(info, std::move(table), keep, room);
    if (!entry.index) return entry;
    added.table_indices.push_back(*entry.index);
  }
  info.faces.push_back(std::make_shared<const ttc_face>(std::move(added)));
  return {static_cast<int32_t>(info.faces.size() - 1)};
}

sfnt_face_info ttc_face_tables(const ttc_info& info, size_t face) {
  const ttc_face& listed = *info.faces[face];
  sfnt_face_info single{listed.header, {}};
  single.tables.reserve(listed.table_indices.size());
  for (size_t i = 0; i < listed.table_indices.size(); ++i) {
    const ttc_table& table = info.tables[static_cast<size_t>(listed.table_indices[i])];
    if (const auto window = listed.windows.find(i); window != listed.windows.end()) {
      const ttc_window& part = window->second;
      single.tables.push_back(
          {table.tag, table_slice(table.bytes, part.offset, part.length), part.checksum});
      continue;
    }
    const uint64_t length = table_length(table.bytes);
    single.tables.push_back({table.tag, table_slice(table.bytes, 0, length), table.checksum});
  }
  return single;
}

int32_t ttc_append_table(ttc_info& info, ttc_table table) {
  if (info.tables.size() >= ttc_max_tables) return -1;
  info.tables.push_back(std::move(table));
  return static_cast<int32_t>(info.tables.size() - 1);
}
