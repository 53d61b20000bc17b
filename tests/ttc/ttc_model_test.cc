#include <gtest/gtest.h>

#include <vector>

#include "ttc/ttc_model.h"

namespace {

const sfnt_tag kGlyf = make_tag("glyf");
const sfnt_tag kLoca = make_tag("loca");

std::vector<uint8_t> bytes_numbered(size_t n, uint32_t seed) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(seed * 31 + i * 7);
  return bytes;
}

}  // namespace

TEST(TtcModel, SharesOnlyTablesOfEqualTagLengthAndBytes) {
  ttc_info info = create_ttc_info(0x00010000);
  const size_t face = ttc_create_face(info);
  const std::vector<uint8_t> big = bytes_numbered(4096, 1);
  std::vector<uint8_t> last_differs = big;
  last_differs.back() ^= 1;

  EXPECT_EQ(ttc_add_table_to_face(info, face, kGlyf, big), 0);
  EXPECT_EQ(ttc_add_table_to_face(info, face, kGlyf, big), 0);
  EXPECT_EQ(ttc_add_table_to_face(info, face, kLoca, big), 1);
  EXPECT_EQ(ttc_add_table_to_face(info, face, kGlyf, last_differs), 2);
  EXPECT_EQ(ttc_add_table_to_face(info, face, kGlyf, std::span(big).first(4095)), 3);
  EXPECT_EQ(ttc_add_table_to_face(info, face, kGlyf, {}), 4);
  EXPECT_EQ(ttc_add_table_to_face(info, face, kGlyf, {}), 4);
  EXPECT_EQ(info.tables.size(), 5u);
  EXPECT_EQ(info.faces[face].table_indices, (std::vector<int32_t>{0, 0, 1, 2, 3, 4, 4}));

  // Entries appended without sharing: content lookup answers the first in pool order.
  EXPECT_EQ(ttc_add_table_direct(info, kLoca, 40, big), 5);
  EXPECT_EQ(ttc_find_table(info, kLoca, big), 1);
  EXPECT_EQ(ttc_find_table(info, make_tag("head"), big), -1);
}

// Tables of one tag and length are told apart by comparing with the only entry, and by
// hash and bytes once there are several; either way the first equal entry is the answer.
TEST(TtcModel, FindsEachOfManyEntriesOfOneTagAndLength) {
  ttc_info info = create_ttc_info(0x00010000);
  std::vector<std::vector<uint8_t>> tables;
  for (uint32_t seed = 0; seed < 6; ++seed) tables.push_back(bytes_numbered(1001, seed));
  EXPECT_EQ(ttc_find_table(info, kGlyf, tables[0]), -1);
  for (size_t i = 0; i < tables.size(); ++i) {
    EXPECT_EQ(ttc_find_table(info, kGlyf, tables[i]), -1) << i;
    EXPECT_EQ(ttc_add_table(info, kGlyf, tables[i]), static_cast<int32_t>(i));
    for (size_t j = 0; j <= i; ++j)
      EXPECT_EQ(ttc_find_table(info, kGlyf, tables[j]), static_cast<int32_t>(j)) << i;
  }
  EXPECT_EQ(ttc_add_table_direct(info, kGlyf, 0, tables[3]), 6);
  EXPECT_EQ(ttc_add_table(info, kGlyf, tables[3]), 3);
  EXPECT_EQ(ttc_find_table(info, kLoca, tables[3]), -1);
  EXPECT_EQ(ttc_add_table(info, kLoca, tables[3]), 7);
  EXPECT_EQ(ttc_find_table(info, kLoca, tables[3]), 7);
  EXPECT_EQ(ttc_find_table(info, kLoca, tables[2]), -1);
}

// A table read straight into its own buffer joins the pool as if it had been copied in:
// later tables share it by content, and its shape lists it in pool order.
TEST(TtcModel, AdoptedBuffersAreEntriesLikeCopiedOnes) {
  ttc_info info = create_ttc_info(0x00010000);
  const std::vector<uint8_t> table = bytes_numbered(1001, 4);
  std::vector<uint8_t> padded = table;
  padded.resize(1004, 0);
  EXPECT_EQ(ttc_adopt_table(info, kGlyf, 0, 1001, std::vector<uint8_t>(table)), -1);
  EXPECT_TRUE(info.tables.empty());
  EXPECT_EQ(ttc_adopt_table(info, kGlyf, 0, 1001, std::vector<uint8_t>(padded)), 0);
  EXPECT_EQ(info.tables[0].length, 1001u);
  EXPECT_EQ(info.tables[0].data, padded);
  EXPECT_EQ(ttc_add_table(info, kGlyf, table), 0);
  EXPECT_EQ(ttc_add_table(info, kGlyf, bytes_numbered(1001, 5)), 1);
  EXPECT_EQ(ttc_adopt_table(info, kGlyf, 0, 1001, std::vector<uint8_t>(padded)), 2);
  EXPECT_EQ(ttc_find_table(info, kGlyf, table), 0);  // the first of equal entries
  EXPECT_EQ(ttc_add_table(info, kLoca, table), 3);
  EXPECT_EQ(std::vector<int32_t>(ttc_entries_of_shape(info, kGlyf, 1001).begin(),
                                 ttc_entries_of_shape(info, kGlyf, 1001).end()),
            (std::vector<int32_t>{0, 1, 2}));
  EXPECT_TRUE(ttc_entries_of_shape(info, kGlyf, 1000).empty());
  EXPECT_TRUE(ttc_entries_of_shape(info, make_tag("head"), 1001).empty());
}

TEST(TtcModel, EntriesOwnAZeroPaddedCopy) {
  ttc_info info = create_ttc_info(0x00010000);
  std::vector<uint8_t> five = {1, 2, 3, 4, 5};
  const int32_t index = ttc_add_table(info, kGlyf, five);
  five[0] = 9;
  const ttc_table& table = info.tables[static_cast<size_t>(index)];
  EXPECT_EQ(table.length, 5u);
  EXPECT_EQ(table.checksum, 0u);
  EXPECT_EQ(table.offset, 0u);
  EXPECT_EQ(table.data, (std::vector<uint8_t>{1, 2, 3, 4, 5, 0, 0, 0}));
  EXPECT_EQ(info.tables[static_cast<size_t>(ttc_add_table(info, kLoca, bytes_numbered(8, 2)))]
                .data.size(),
            8u);
  EXPECT_EQ(ttc_add_table(info, kGlyf, five), 2);  // changed bytes are a new table
}

// Tables of glyph data run to megabytes; their copies are made in memory backed at once.
TEST(TtcModel, LargeEntriesOwnAZeroPaddedCopyAndShare) {
  ttc_info info = create_ttc_info(0x00010000);
  const std::vector<uint8_t> cff = bytes_numbered((size_t{3} << 20) + 1, 3);
  std::vector<uint8_t> padded = cff;
  padded.resize(cff.size() + 3, 0);
  EXPECT_EQ(ttc_add_table(info, make_tag("CFF "), cff), 0);
  EXPECT_TRUE(info.tables[0].data == padded);
  EXPECT_EQ(info.tables[0].length, cff.size());
  EXPECT_EQ(ttc_add_table(info, make_tag("CFF "), cff), 0);
  std::vector<uint8_t> last_differs = cff;
  last_differs.back() ^= 1;
  EXPECT_EQ(ttc_add_table(info, make_tag("CFF "), last_differs), 1);
  EXPECT_EQ(info.tables[1].data[cff.size() - 1], last_differs.back());
}

TEST(TtcModel, NewFacesHaveDefaultsAndIndicesSurviveGrowth) {
  ttc_info info = create_ttc_info(0x00020000);
  EXPECT_EQ(info.version, 0x00020000u);
  for (size_t f = 0; f < 5; ++f) EXPECT_EQ(ttc_create_face(info), f);
  const ttc_face& fresh = info.faces[4];
  EXPECT_EQ(fresh.offset, 0u);
  EXPECT_EQ(fresh.version, 0x00010000u);
  EXPECT_TRUE(fresh.table_indices.empty());
  EXPECT_EQ(fresh.search_range, 256);
  EXPECT_EQ(fresh.entry_selector, 4);
  EXPECT_EQ(fresh.range_shift, 0);

  for (uint32_t i = 0; i < 40; ++i) {
    EXPECT_EQ(ttc_add_table_to_face(info, 0, kGlyf, bytes_numbered(12, i)), int32_t(i));
  }
  for (uint32_t i = 0; i < 40; ++i) {
    EXPECT_EQ(ttc_find_table(info, kGlyf, bytes_numbered(12, i)), int32_t(i));
  }
  EXPECT_EQ(info.faces[0].table_indices.size(), 40u);
}

TEST(TtcModel, OffsetLookupMatchesTagAndOffsetGivenWhenAdded) {
  ttc_info info = create_ttc_info(0x00010000);
  ttc_add_table_direct(info, kGlyf, 100, bytes_numbered(4, 1));
  ttc_add_table_direct(info, kGlyf, 100, bytes_numbered(8, 2));
  ttc_add_table_direct(info, kLoca, 200, bytes_numbered(4, 3));
  EXPECT_EQ(ttc_find_table_by_offset(info, kGlyf, 100), 0);
  EXPECT_EQ(ttc_find_table_by_offset(info, kLoca, 200), 2);
  EXPECT_EQ(ttc_find_table_by_offset(info, kLoca, 100), -1);
  EXPECT_EQ(ttc_find_table_by_offset(info, kGlyf, 104), -1);
  info.tables[0].offset = 12;  // what a write's layout does
  EXPECT_EQ(ttc_find_table_by_offset(info, kGlyf, 100), 0);
}

TEST(TtcModel, PoolAndDirectoryStopAtTheLargestNumTables) {
  ttc_info info = create_ttc_info(0x00010000);
  const size_t face = ttc_create_face(info);
  for (uint32_t i = 0; i < ttc_max_tables; ++i) {
    const uint8_t word[4] = {uint8_t(i >> 24), uint8_t(i >> 16), uint8_t(i >> 8), uint8_t(i)};
    ASSERT_EQ(ttc_add_table_to_face(info, face, kGlyf, word), int32_t(i));
  }
  const uint8_t fresh[4] = {1, 0, 0, 0};
  EXPECT_EQ(ttc_add_table_direct(info, kGlyf, 0, fresh), -1);
  EXPECT_EQ(ttc_add_table(info, kGlyf, fresh), -1);
  EXPECT_EQ(info.tables.size(), ttc_max_tables);
  // A full directory refuses even a table the pool already holds.
  const uint8_t shared[4] = {0, 0, 0, 7};
  EXPECT_EQ(ttc_add_table_to_face(info, face, kGlyf, shared), -1);
  EXPECT_EQ(info.faces[face].table_indices.size(), ttc_max_tables);
  const size_t other = ttc_create_face(info);
  EXPECT_EQ(ttc_add_table_to_face(info, other, kGlyf, shared), 7);
  EXPECT_EQ(ttc_add_table_to_face(info, other, kGlyf, fresh), -1);
  EXPECT_EQ(info.faces[other].table_indices, std::vector<int32_t>{7});
}
