// The one checked way to read font bytes: every read states its extent, and an extent that
// does not lie wholly inside the view is refused instead of read. Offsets and lengths taken
// from a file are 32-bit; the checks are done in 64-bit so that nothing wraps around.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "sfnt/byte_fields.h"

// A view of font bytes (not owned) and a read position within it.
struct byte_reader {
  std::span<const uint8_t> bytes;
  size_t pos = 0;
};

bool read_u16(byte_reader& r, uint16_t& out);
bool read_u32(byte_reader& r, uint32_t& out);
bool read_tag(byte_reader& r, sfnt_tag& out);
bool skip_bytes(byte_reader& r, uint64_t count);

// True when [offset, offset + length) lies inside a block of `size` bytes.
bool extent_fits(uint64_t size, uint64_t offset, uint64_t length);

// The bytes [offset, offset + length) of `bytes`, or nothing when they are not all there.
std::optional<std::span<const uint8_t>> checked_extent(std::span<const uint8_t> bytes,
                                                       uint64_t offset, uint64_t length);

// Single fields at an absolute offset, or nothing when they are not all there.
std::optional<uint16_t> u16_at(std::span<const uint8_t> bytes, uint64_t offset);
std::optional<uint32_t> u32_at(std::span<const uint8_t> bytes, uint64_t offset);
