// The pool's one sharing rule: a table is stored once per tag, length and bytes, whatever
// kind its bytes are (its own, a view, an extent of a file), and the first equal entry is
// the one shared.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_tool.h"
#include "ttc/ttc_model.h"

namespace {

std::vector<uint8_t> bytes_numbered(size_t n, uint32_t seed) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(seed * 31 + i * 7);
  return bytes;
}

int32_t add(ttc_info& info, const char* tag, table_bytes bytes) {
  std::vector<uint8_t> room;
  return ttc_add_table(info, {make_tag(tag), std::move(bytes), {}}, ttc_keep::in_place, room)
      .index.value_or(-1);
}

}  // namespace

TEST(TtcPool, SharesOnlyTablesOfEqualTagLengthAndBytes) {
  ttc_info info;
  const std::vector<uint8_t> big = bytes_numbered(300000, 1);
  std::vector<uint8_t> last_differs = big;
  last_differs.back() ^= 1;
  const std::filesystem::path dir = make_temp_dir();
  write_bytes(dir / "big", big);
  std::optional<input_file> file = open_input((dir / "big").string());
  ASSERT_TRUE(file.has_value());

  const std::vector<std::pair<const char*, table_bytes>> rows = {
      {"glyf", big},                                          // 0
      {"glyf", file_extent{&*file, 0, file->size}},           // shares 0
      {"loca", std::span<const uint8_t>(big)},                // 1
      {"glyf", last_differs},                                 // 2
      {"glyf", std::span<const uint8_t>(big).first(299999)},  // 3
      {"glyf", std::vector<uint8_t>{}},                       // 4
      {"glyf", std::span<const uint8_t>()},                   // shares 4
      {"glyf", std::span<const uint8_t>(big)},                // shares 0, among several
      {"glyf", last_differs},                                 // shares 2
  };
  std::vector<int32_t> indices;
  for (const auto& [tag, bytes] : rows) indices.push_back(add(info, tag, bytes));
  EXPECT_EQ(indices, (std::vector<int32_t>{0, 0, 1, 2, 3, 4, 4, 0, 2}));
  EXPECT_EQ(info.tables.size(), 5u);
  close_input(*file);
  std::filesystem::remove_all(dir);
}

// Many tables of one tag and length: each finds its own first entry and no other.
TEST(TtcPool, FindsEachOfManyEntriesOfOneTagAndLength) {
  ttc_info info;
  std::vector<std::vector<uint8_t>> tables;
  for (uint32_t seed = 0; seed < 200; ++seed) tables.push_back(bytes_numbered(1001, seed));
  for (size_t i = 0; i < tables.size(); ++i) {
    EXPECT_EQ(add(info, "glyf", tables[i]), static_cast<int32_t>(i));
    for (size_t j = 0; j <= i; j += 17) EXPECT_EQ(add(info, "glyf", tables[j]), int32_t(j)) << i;
  }
  EXPECT_EQ(add(info, "loca", tables[3]), 200);
}

TEST(TtcPool, StopsAtTheLargestNumTables) {
  ttc_info info;
  for (uint32_t i = 0; i < ttc_max_tables; ++i) {
    const std::vector<uint8_t> bytes = {uint8_t(i >> 8), uint8_t(i)};
    ASSERT_EQ(add(info, "abcd", bytes), static_cast<int32_t>(i));
  }
  std::vector<uint8_t> room;
  const ttc_added full = ttc_add_table(info, {make_tag("full"), std::vector<uint8_t>{1}, {}},
                                       ttc_keep::in_place, room);
  EXPECT_FALSE(full.index.has_value());
  EXPECT_EQ(full.refusal, ttc_refusal::pool_full);
  EXPECT_EQ(add(info, "abcd", std::vector<uint8_t>{0, 7}), 7);  // sharing still works
}
