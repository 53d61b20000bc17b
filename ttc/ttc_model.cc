#include "ttc/ttc_model.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "fontio/byte_buffer.h"
#include "ttc/content_hash.h"

namespace {

std::span<const uint8_t> held_bytes(const ttc_table& table) {
  return std::span<const uint8_t>(table.data).first(table.length);
}

// Whether entry `index` holds exactly `data`, compared piece by piece; false when a placed
// entry cannot be read.
bool same_bytes(const ttc_info& info, int32_t index, std::span<const uint8_t> data) {
  const ttc_table& table = info.tables[static_cast<size_t>(index)];
  if (table.length != data.size()) return false;
  std::vector<uint8_t> room;
  for (size_t done = 0; done < data.size(); done += ttc_hash_piece) {
    const std::span<const uint8_t> want = data.subspan(done, ttc_piece_length(data.size(), done));
    const std::optional<std::span<const uint8_t>> have =
        ttc_table_piece(info, index, done, want.size(), room);
    if (!have || !std::equal(want.begin(), want.end(), have->begin())) return false;
  }
  return true;
}

// Files the new entry `index` under its tag and length. Once a shape has two entries, every
// entry of it is hashed: before that, a table is compared with the one entry directly. A
// placed entry that cannot be read stays unhashed and is then never found by content.
void index_by_shape(ttc_info& info, int32_t index) {
  const ttc_table& added = info.tables[static_cast<size_t>(index)];
  ttc_shape& shape = info.by_shape[{added.tag, added.length}];
  shape.indices.push_back(index);
  if (shape.indices.size() < 2) return;
  std::vector<uint8_t> room;
  for (const int32_t i : shape.indices) {
    if (!info.tables[static_cast<size_t>(i)].hash) ttc_hash_entry(info, i, room);
  }
}

// Appends an entry that is complete but for its place in the lookups, and files it there.
int32_t append_entry(ttc_info& info, ttc_table&& table) {
  const int32_t index = static_cast<int32_t>(info.tables.size());
  const std::pair<sfnt_tag, uint32_t> by_offset{table.tag, table.offset};
  info.tables.push_back(std::move(table));
  index_by_shape(info, index);
  info.by_offset.try_emplace(by_offset, index);
  return index;
}

bool fits_length(std::span<const uint8_t> data) {
  return data.size() <= UINT32_MAX;
}

}  // namespace

ttc_info create_ttc_info(uint32_t version) {
  ttc_info info;
  info.version = version;
  return info;
}

size_t ttc_create_face(ttc_info& info) {
  info.faces.emplace_back();
  return info.faces.size() - 1;
}

int32_t ttc_add_table_to_face(ttc_info& info, size_t face, const sfnt_tag& tag,
                              std::span<const uint8_t> data) {
  std::vector<int32_t>& indices = info.faces[face].table_indices;
  if (indices.size() >= ttc_max_tables) return -1;
  const int32_t index = ttc_add_table(info, tag, data);
  if (index >= 0) indices.push_back(index);
  return index;
}

int32_t ttc_add_table(ttc_info& info, const sfnt_tag& tag, std::span<const uint8_t> data) {
  const int32_t found = ttc_find_table(info, tag, data);
  if (found >= 0) return found;
  return ttc_add_table_direct(info, tag, 0, data);
}

int32_t ttc_add_table_direct(ttc_info& info, const sfnt_tag& tag, uint32_t offset,
                             std::span<const uint8_t> data) {
  if (info.tables.size() >= ttc_max_tables || !fits_length(data)) return -1;
  std::vector<uint8_t> copy;
  reserve_bytes(copy, ttc_padded_length(data.size()));
  copy.assign(data.begin(), data.end());
  copy.resize(ttc_padded_length(data.size()), 0);
  return ttc_adopt_table(info, tag, offset, static_cast<uint32_t>(data.size()), std::move(copy));
}

int32_t ttc_adopt_table(ttc_info& info, const sfnt_tag& tag, uint32_t offset, uint32_t length,
                        std::vector<uint8_t>&& data) {
  if (info.tables.size() >= ttc_max_tables || data.size() != ttc_padded_length(length)) return -1;
  ttc_table table;
  table.tag = tag;
  table.offset = offset;
  table.length = length;
  table.data = std::move(data);
  return append_entry(info, std::move(table));
}

int32_t ttc_add_source(ttc_info& info, const std::string& name, const font_source& file) {
  info.sources.push_back({name, file});
  return static_cast<int32_t>(info.sources.size() - 1);
}

void ttc_close_sources(ttc_info& info) {
  for (ttc_source& source : info.sources) close_font_source(source.file);
}

int32_t ttc_place_table(ttc_info& info, const sfnt_tag& tag, uint32_t length,
                        const ttc_place& place, uint32_t checksum, std::optional<uint64_t> hash) {
  if (info.tables.size() >= ttc_max_tables || place.source < 0 ||
      static_cast<size_t>(place.source) >= info.sources.size())
    return -1;
  ttc_table table;
  table.tag = tag;
  table.checksum = checksum;
  table.length = length;
  table.place = place;
  table.hash = hash;
  return append_entry(info, std::move(table));
}

bool ttc_hash_entry(ttc_info& info, int32_t index, std::vector<uint8_t>& room) {
  ttc_table& table = info.tables[static_cast<size_t>(index)];
  uint64_t hash = ttc_hash_start(table.length);
  for (uint64_t done = 0; done < table.length; done += ttc_hash_piece) {
    const size_t size = ttc_piece_length(table.length, done);
    const std::optional<std::span<const uint8_t>> piece =
        ttc_table_piece(info, index, done, size, room);
    if (!piece) return false;
    hash = ttc_hash_add(hash, *piece);
  }
  table.hash = hash;
  return true;
}

std::optional<std::span<const uint8_t>> ttc_table_piece(const ttc_info& info, int32_t index,
                                                        uint64_t at, size_t size,
                                                        std::vector<uint8_t>& room) {
  const ttc_table& table = info.tables[static_cast<size_t>(index)];
  if (at > table.length || size > table.length - at) return std::nullopt;
  if (table.place.source < 0) return held_bytes(table).subspan(at, size);
  const ttc_source& source = info.sources[static_cast<size_t>(table.place.source)];
  const std::span<uint8_t> piece = piece_room(room, size, ttc_hash_piece);
  if (!read_source(source.file, table.place.offset + at, piece)) {
    std::fprintf(stderr, "%s: could not be read in full\n", source.name.c_str());
    return std::nullopt;
  }
  return piece;
}

std::span<const int32_t> ttc_entries_of_shape(const ttc_info& info, const sfnt_tag& tag,
                                              uint32_t length) {
  const auto found = info.by_shape.find({tag, length});
  if (found == info.by_shape.end()) return {};
  return found->second.indices;
}

int32_t ttc_find_table(const ttc_info& info, const sfnt_tag& tag, std::span<const uint8_t> data) {
  if (!fits_length(data)) return -1;
  const auto found = info.by_shape.find({tag, static_cast<uint32_t>(data.size())});
  if (found == info.by_shape.end()) return -1;
  const ttc_shape& shape = found->second;
  if (shape.indices.size() == 1)
    return same_bytes(info, shape.indices[0], data) ? shape.indices[0] : -1;
  const uint64_t hash = ttc_content_hash(data);
  for (const int32_t index : shape.indices) {
    if (info.tables[static_cast<size_t>(index)].hash == hash && same_bytes(info, index, data))
      return index;
  }
  return -1;
}

int32_t ttc_find_table_by_offset(const ttc_info& info, const sfnt_tag& tag, uint32_t offset) {
  const auto found = info.by_offset.find({tag, offset});
  return found == info.by_offset.end() ? -1 : found->second;
}
