// The sfnt table checksum, and the checksum a table directory records for a table.
#pragma once

#include <cstdint>
#include <span>

#include "sfnt/byte_fields.h"

// The 32-bit wrapping sum of the table's big-endian words. A last partial word counts as if
// padded with zero bytes, which is how every writer here pads its tables; nothing past the
// span is read.
uint32_t CalcTableChecksum(std::span<const uint8_t> table);

// What a table directory records for table `tag`: CalcTableChecksum, except that the `head`
// table is summed with its checkSumAdjustment (bytes 8 to 11) taken as zero. That field is
// set only after every directory checksum is known, so readers that verify the `head`
// checksum leave it out too.
uint32_t sfnt_directory_checksum(const sfnt_tag& tag, std::span<const uint8_t> table);

// The directory checksum of a table summed piece by piece, for tables read a piece at a
// time: `sum` so far plus the piece that starts at byte `at` of the table. Every piece but
// the last must be a whole number of words, and the first at least 12 bytes unless it is
// the whole table.
uint32_t sfnt_directory_checksum_add(uint32_t sum, const sfnt_tag& tag, uint64_t at,
                                     std::span<const uint8_t> piece);
