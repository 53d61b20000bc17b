#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <vector>

#include "sfnt/byte_fields.h"
#include "sfnt/byte_reader.h"
#include "sfnt/checksum.h"

TEST(Checksum, SumsPaddedWordsWithoutReadingPastTheTable) {
  EXPECT_EQ(CalcTableChecksum({}), 0u);
  const std::vector<uint8_t> a = {0x41};
  EXPECT_EQ(CalcTableChecksum(a), 0x41000000u);
  const std::vector<uint8_t> five = {0, 0, 0, 1, 0x02};
  EXPECT_EQ(CalcTableChecksum(five), 0x02000001u);
  const std::vector<uint8_t> wraps = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 2};
  EXPECT_EQ(CalcTableChecksum(wraps), 1u);
  // Long tables are summed many words at a time; every length ends the same way.
  std::vector<uint8_t> long_table(1003);
  for (size_t i = 0; i < long_table.size(); ++i) long_table[i] = static_cast<uint8_t>(i * 37 + 1);
  uint32_t expected = 0;
  for (size_t length = 0; length <= long_table.size(); ++length) {
    if (length % 4 == 0 && length > 0) expected += read_uint32(&long_table[length - 4]);
    uint8_t tail[4] = {0, 0, 0, 0};
    std::copy(long_table.begin() + static_cast<long>(length & ~size_t{3}),
              long_table.begin() + static_cast<long>(length), tail);
    EXPECT_EQ(CalcTableChecksum(std::span(long_table).first(length)), expected + read_uint32(tail))
        << length;
  }
}

TEST(Checksum, DirectoryChecksumOfHeadLeavesOutItsAdjustment) {
  // Words 1, 2, checkSumAdjustment 0x10000000, 4: readers verify head without the third.
  std::vector<uint8_t> head = {0, 0, 0, 1, 0, 0, 0, 2, 0x10, 0, 0, 0, 0, 0, 0, 4};
  EXPECT_EQ(sfnt_directory_checksum(make_tag("head"), head), 7u);
  EXPECT_EQ(sfnt_directory_checksum(make_tag("bhed"), head), 0x10000007u);
  EXPECT_EQ(sfnt_directory_checksum(make_tag("HEAD"), head), 0x10000007u);
  head.resize(11);  // too short to hold the field: summed as it is
  EXPECT_EQ(sfnt_directory_checksum(make_tag("head"), head), 0x10000003u);
}

// Tables read a piece at a time sum as they do whole, `head` included, wherever the pieces
// of whole words end.
TEST(Checksum, DirectoryChecksumSummedPieceByPiece) {
  std::vector<uint8_t> table(41);
  for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(0xF1 * i + 7);
  for (const char* tag : {"head", "glyf"}) {
    for (const size_t first : {size_t{12}, size_t{20}, size_t{40}, size_t{41}}) {
      const std::span<const uint8_t> bytes(table);
      uint32_t sum = sfnt_directory_checksum_add(0, make_tag(tag), 0, bytes.first(first));
      for (size_t at = first; at < bytes.size(); at += 8)
        sum = sfnt_directory_checksum_add(sum, make_tag(tag), at,
                                          bytes.subspan(at, std::min<size_t>(8, 41 - at)));
      EXPECT_EQ(sum, sfnt_directory_checksum(make_tag(tag), table)) << tag << " " << first;
    }
  }
}

TEST(ByteReader, RefusesExtentsOutsideTheBytesWithoutWrapping) {
  const std::vector<uint8_t> bytes = {1, 2, 3, 4, 5, 6};
  EXPECT_TRUE(extent_fits(6, 0, 6));
  EXPECT_TRUE(extent_fits(6, 6, 0));
  EXPECT_FALSE(extent_fits(6, 7, 0));
  EXPECT_FALSE(extent_fits(6, 2, 5));
  EXPECT_FALSE(extent_fits(6, 0xFFFFFFFFu, 0xFFFFFFFFu));
  EXPECT_FALSE(extent_fits(6, 4, UINT64_MAX));
  EXPECT_FALSE(checked_extent(bytes, 5, 2).has_value());
  EXPECT_EQ(checked_extent(bytes, 4, 2)->size(), 2u);
  EXPECT_EQ(u16_at(bytes, 4), 0x0506);
  EXPECT_FALSE(u16_at(bytes, 5).has_value());
  EXPECT_EQ(u32_at(bytes, 2), 0x03040506u);
  EXPECT_FALSE(u32_at(bytes, 3).has_value());

  byte_reader r{bytes};
  uint32_t v32 = 0;
  uint16_t v16 = 0;
  EXPECT_TRUE(read_u32(r, v32));
  EXPECT_EQ(v32, 0x01020304u);
  EXPECT_FALSE(read_u32(r, v32));
  EXPECT_EQ(r.pos, 4u);
  EXPECT_TRUE(read_u16(r, v16));
  EXPECT_FALSE(read_u16(r, v16));
  EXPECT_FALSE(skip_bytes(r, 1));
  EXPECT_TRUE(skip_bytes(r, 0));
}
