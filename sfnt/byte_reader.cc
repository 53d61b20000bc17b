#include "sfnt/byte_reader.h"

bool extent_fits(uint64_t size, uint64_t offset, uint64_t length) {
  return offset <= size && length <= size - offset;
}

std::optional<std::span<const uint8_t>> checked_extent(std::span<const uint8_t> bytes,
                                                       uint64_t offset, uint64_t length) {
  if (!extent_fits(bytes.size(), offset, length)) return std::nullopt;
  return bytes.subspan(static_cast<size_t>(offset), static_cast<size_t>(length));
}

std::optional<uint16_t> u16_at(std::span<const uint8_t> bytes, uint64_t offset) {
  if (!extent_fits(bytes.size(), offset, 2)) return std::nullopt;
  return read_uint16(bytes.data() + offset);
}

std::optional<uint32_t> u32_at(std::span<const uint8_t> bytes, uint64_t offset) {
  if (!extent_fits(bytes.size(), offset, 4)) return std::nullopt;
  return read_uint32(bytes.data() + offset);
}

bool read_u16(byte_reader& r, uint16_t& out) {
  if (!extent_fits(r.bytes.size(), r.pos, 2)) return false;
  out = read_uint16(r.bytes.data() + r.pos);
  r.pos += 2;
  return true;
}

bool read_u32(byte_reader& r, uint32_t& out) {
  if (!extent_fits(r.bytes.size(), r.pos, 4)) return false;
  out = read_uint32(r.bytes.data() + r.pos);
  r.pos += 4;
  return true;
}

bool read_tag(byte_reader& r, sfnt_tag& out) {
  if (!extent_fits(r.bytes.size(), r.pos, 4)) return false;
  read_tag(out.data(), r.bytes.data() + r.pos);
  r.pos += 4;
  return true;
}

bool skip_bytes(byte_reader& r, uint64_t count) {
  if (!extent_fits(r.bytes.size(), r.pos, count)) return false;
  r.pos += static_cast<size_t>(count);
  return true;
}
