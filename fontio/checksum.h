// The sfnt table checksum.
#pragma once

#include <cstdint>
#include <span>

// The 32-bit wrapping sum of the table's big-endian words. A last partial word counts as if
// padded with zero bytes, which is how every writer here pads its tables; nothing past the
// span is read.
uint32_t CalcTableChecksum(std::span<const uint8_t> table);
