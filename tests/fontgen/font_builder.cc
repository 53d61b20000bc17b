#include "fontgen/font_builder.h"

#include "sfnt/byte_fields.h"

namespace {

void put_offset_table(std::vector<uint8_t>& out, size_t num_tables, const face_header& header) {
  const uint16_t n = static_cast<uint16_t>(num_tables);
  uint16_t range = header.search_range, selector = header.entry_selector,
           shift = header.range_shift;
  if (header.derive_search_fields) {
    const uint16_t power = largest_power_of_two_at_most(n);
    range = static_cast<uint16_t>(power * 16);
    selector = log2_of(power);
    shift = static_cast<uint16_t>(n * 16 - range);
  }
  put_u32(out, header.version);
  put_u16(out, n);
  put_u16(out, range);
  put_u16(out, selector);
  put_u16(out, shift);
}

void put_padded(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes) {
  put_bytes(out, bytes);
  while (out.size() % 4 != 0) out.push_back(0);
}

}  // namespace

uint16_t largest_power_of_two_at_most(uint16_t n) {
  uint16_t p = 1;
  while (n > 0 && static_cast<uint32_t>(p) * 2 <= n) p = static_cast<uint16_t>(p * 2);
  return n == 0 ? 0 : p;
}

uint16_t log2_of(uint16_t power) {
  uint16_t log = 0;
  while (power > 1) {
    power = static_cast<uint16_t>(power / 2);
    ++log;
  }
  return log;
}

void put_u8(std::vector<uint8_t>& out, uint8_t v) {
  out.push_back(v);
}

void put_u16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
  put_u16(out, static_cast<uint16_t>(v >> 16));
  put_u16(out, static_cast<uint16_t>(v));
}

void put_tag(std::vector<uint8_t>& out, const std::string& tag) {
  const sfnt_tag t = make_tag(tag);
  out.insert(out.end(), t.begin(), t.end());
}

void put_bytes(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void put_offset_table(std::vector<uint8_t>& out, uint16_t num_tables) {
  put_u32(out, 0x00010000);
  put_u16(out, num_tables);
  put_bytes(out, std::vector<uint8_t>(6, 0));
}

void put_record(std::vector<uint8_t>& out, const std::string& tag, uint32_t offset,
                uint32_t length) {
  put_tag(out, tag);
  put_u32(out, 0);
  put_u32(out, offset);
  put_u32(out, length);
}

// The checksum a directory records, worked out here rather than taken from the programs'
// own code, so that the tests built on these fonts can catch a fault in it: the sum of the
// big-endian words, the last one padded with zeros, with the `head` table's
// checkSumAdjustment (bytes 8 to 11) left out.
uint32_t directory_checksum(const std::string& tag, const std::vector<uint8_t>& bytes) {
  uint32_t sum = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const bool adjustment = tag == "head" && bytes.size() >= 12 && i >= 8 && i < 12;
    if (!adjustment) sum += uint32_t{bytes[i]} << (24 - 8 * (i % 4));
  }
  return sum;
}

std::vector<uint8_t> build_sfnt(const std::vector<font_table>& tables, const face_header& header) {
  std::vector<uint8_t> out;
  put_offset_table(out, tables.size(), header);
  uint32_t offset = static_cast<uint32_t>(12 + 16 * tables.size());
  for (const font_table& t : tables) {
    put_tag(out, t.tag);
    put_u32(out, directory_checksum(t.tag, t.bytes));
    put_u32(out, offset);
    put_u32(out, static_cast<uint32_t>(t.bytes.size()));
    offset += static_cast<uint32_t>((t.bytes.size() + 3) & ~size_t{3});
  }
  for (const font_table& t : tables) put_padded(out, t.bytes);
  return out;
}

std::vector<uint8_t> build_ttc(const std::vector<std::vector<font_table>>& faces,
                               uint32_t version) {
  std::vector<font_table> pool;
  std::vector<std::vector<size_t>> indices(faces.size());
  for (size_t f = 0; f < faces.size(); ++f) {
    for (const font_table& t : faces[f]) {
      size_t i = 0;
      while (i < pool.size() && !(pool[i].tag == t.tag && pool[i].bytes == t.bytes)) ++i;
      if (i == pool.size()) pool.push_back(t);
      indices[f].push_back(i);
    }
  }
  size_t header = 12 + 4 * faces.size();
  for (const auto& face : faces) header += 12 + 16 * face.size();
  std::vector<uint32_t> offsets;
  uint32_t at = static_cast<uint32_t>(header);
  for (const font_table& t : pool) {
    offsets.push_back(at);
    at += static_cast<uint32_t>((t.bytes.size() + 3) & ~size_t{3});
  }
  std::vector<uint8_t> out;
  put_tag(out, "ttcf");
  put_u32(out, version);
  put_u32(out, static_cast<uint32_t>(faces.size()));
  uint32_t face_at = static_cast<uint32_t>(12 + 4 * faces.size());
  for (const auto& face : faces) {
    put_u32(out, face_at);
    face_at += static_cast<uint32_t>(12 + 16 * face.size());
  }
  for (size_t f = 0; f < faces.size(); ++f) {
    put_offset_table(out, faces[f].size(), face_header{});
    for (size_t i : indices[f]) {
      put_tag(out, pool[i].tag);
      put_u32(out, directory_checksum(pool[i].tag, pool[i].bytes));
      put_u32(out, offsets[i]);
      put_u32(out, static_cast<uint32_t>(pool[i].bytes.size()));
    }
  }
  for (const font_table& t : pool) put_padded(out, t.bytes);
  return out;
}

// A collection header naming the faces at `offsets`, then `body`.
std::vector<uint8_t> faces_at(const std::vector<uint32_t>& offsets,
                              const std::vector<uint8_t>& body) {
  std::vector<uint8_t> out;
  put_tag(out, "ttcf");
  put_u32(out, 0x00010000);
  put_u32(out, static_cast<uint32_t>(offsets.size()));
  for (const uint32_t offset : offsets) put_u32(out, offset);
  put_bytes(out, body);
  return out;
}
