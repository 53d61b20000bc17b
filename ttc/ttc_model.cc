#include "ttc/ttc_model.h"

#include <algorithm>
#include <cstring>

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
// independent lanes let the processor hash as fast as memory delivers the bytes: facepack
// hashes every table of every input, hundreds of megabytes for a CJK family.
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

ttc_content_key content_key(const sfnt_tag& tag, std::span<const uint8_t> data) {
  return {tag, static_cast<uint32_t>(data.size()), content_hash(data)};
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
  const int32_t index = static_cast<int32_t>(info.tables.size());
  ttc_table& table = info.tables.emplace_back();
  table.tag = tag;
  table.offset = offset;
  table.length = static_cast<uint32_t>(data.size());
  reserve_bytes(table.data, ttc_padded_length(data.size()));
  table.data.assign(data.begin(), data.end());
  table.data.resize(ttc_padded_length(data.size()), 0);
  info.by_content[content_key(tag, data)].push_back(index);
  info.by_offset.try_emplace({tag, offset}, index);
  return index;
}

int32_t ttc_find_table(const ttc_info& info, const sfnt_tag& tag, std::span<const uint8_t> data) {
  if (!fits_length(data)) return -1;
  const auto candidates = info.by_content.find(content_key(tag, data));
  if (candidates == info.by_content.end()) return -1;
  for (const int32_t index : candidates->second) {
    const std::vector<uint8_t>& stored = info.tables[static_cast<size_t>(index)].data;
    if (std::equal(data.begin(), data.end(), stored.begin())) return index;
  }
  return -1;
}

int32_t ttc_find_table_by_offset(const ttc_info& info, const sfnt_tag& tag, uint32_t offset) {
  const auto found = info.by_offset.find({tag, offset});
  return found == info.by_offset.end() ? -1 : found->second;
}
