#include "sfnt/byte_fields.h"

#include <algorithm>

uint32_t read_uint32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

uint16_t read_uint16(const uint8_t* p) {
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

void write_uint32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

void write_uint16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}

void read_tag(uint8_t* dst, const uint8_t* src) {
  std::copy(src, src + 4, dst);
}

sfnt_tag make_tag(std::string_view text) {
  sfnt_tag tag{' ', ' ', ' ', ' '};
  for (size_t i = 0; i < tag.size() && i < text.size(); ++i) tag[i] = static_cast<uint8_t>(text[i]);
  return tag;
}
