#include "ttc/ttc_model.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "fontio/byte_buffer.h"

namespace {

// Mixes one 8-byte word into a lane of the hash.
uint64_t mix(uint64_t lane, const uint8_t* p) {
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
  uint64_t word = 0;
  std::memcpy(&word, p, 8);
  lane = (lane ^ word) * kMultiplier;
  return lane ^ (lane >> 32);
}

// A fast hash of table bytes. It only narrows the candidates for sharing: identical bytes
// are always confirmed by comparing them, so the host's byte order does not matter. Four
// independent lanes keep the multiplies from waiting on each other.
uint64_t content_hash(std::span<const uint8_t> bytes) {
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
  uint64_t lanes[4] = {bytes.size() * kMultiplier, 1, 2, 3};
  size_t i = 0;
  for (; bytes.size() - i >= 32; i += 32) {
    for (size_t lane = 0; lane < 4; ++lane)
      lanes[lane] = mix(lanes[lane], bytes.data() + i + 8 * lane);
  }
  uint64_t hash = lanes[0];
  for (size_t lane = 1; lane < 4; ++lane) hash = (hash ^ lanes[lane]) * kMultiplier;
  for (; bytes.size() - i >= 8; i += 8) hash = mix(hash, bytes.data() + i);
  uint8_t tail[8] = {};
  if (i < bytes.size()) std::memcpy(tail, bytes.data() + i, bytes.size() - i);
  hash = mix(hash, tail);
  return hash ^ (hash >> 29);
}

std::span<const uint8_t> table_bytes(const ttc_info& info, int32_t index) {
  const ttc_table& table = info.tables[static_cast<size_t>(index)];
  return std::span<const uint8_t>(table.data).first(table.length);
}

bool same_bytes(const ttc_info& info, int32_t index, std::span<const uint8_t> data) {
  const std::span<const uint8_t> stored = table_bytes(info, index);
  return std::equal(data.begin(), data.end(), stored.begin(), stored.end());
}

// Files the new entry `index` under its tag and length, hashing the entries of that shape
// once there are two of them.
void index_by_shape(ttc_info& info, int32_t index, const sfnt_tag& tag,
                    std::span<const uint8_t> data) {
  ttc_shape& shape = info.by_shape[{tag, static_cast<uint32_t>(data.size())}];
  if (shape.indices.size() == 1)
    shape.hashes.push_back(content_hash(table_bytes(info, shape.indices[0])));
  shape.indices.push_back(index);
  if (shape.indices.size() > 1) shape.hashes.push_back(content_hash(data));
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
  const int32_t index = static_cast<int32_t>(info.tables.size());
  ttc_table& table = info.tables.emplace_back();
  table.tag = tag;
  table.offset = offset;
  table.length = length;
  table.data = std::move(data);
  index_by_shape(info, index, tag, table_bytes(info, index));
  info.by_offset.try_emplace({tag, offset}, index);
  return index;
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
  const uint64_t hash = content_hash(data);
  for (size_t i = 0; i < shape.indices.size(); ++i) {
    if (shape.hashes[i] == hash && same_bytes(info, shape.indices[i], data))
      return shape.indices[i];
  }
  return -1;
}

int32_t ttc_find_table_by_offset(const ttc_info& info, const sfnt_tag& tag, uint32_t offset) {
  const auto found = info.by_offset.find({tag, offset});
  return found == info.by_offset.end() ? -1 : found->second;
}
