// The pool's one sharing rule: a table is stored once per tag, length and bytes, whatever
// kind its bytes are (its own, a view, an extent of a file), and the first equal entry is
// the one shared.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_tool.h"
#include "ttc/ttc_join.h"
#include "ttc/ttc_model.h"

namespace {

int32_t add(ttc_info& info, const char* tag, table_bytes bytes) {
  std::vector<uint8_t> room;
  return ttc_add_table(info, {make_tag(tag), std::move(bytes), {}}, ttc_keep::in_place, room)
      .entry.value_or(-1);
}

}  // namespace

TEST(TtcPool, SharesOnlyTablesOfEqualTagLengthAndBytes) {
  ttc_info info;
  const std::vector<uint8_t> big = patterned_bytes(300000, 1);
  std::vector<uint8_t> last_differs = big;
  last_differs.back() ^= 1;
  const std::filesystem::path dir = make_temp_dir();
  write_bytes(dir / "big", big);
  std::optional<input_file> file = open_input((dir / "big").string(), nullptr);
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
  EXPECT_EQ(info.tables().size(), 5u);
  close_input(*file);
  std::filesystem::remove_all(dir);
}

// An entry appended unshared is never shared, before or after: glyph sharing rebuilds a
// pool from entries already shared and adds its own tables beside them.
TEST(TtcPool, EntriesAppendedUnsharedShareWithNothing) {
  ttc_info info;
  const std::vector<uint8_t> bytes = patterned_bytes(64, 1);
  EXPECT_EQ(add(info, "head", bytes), 0);
  EXPECT_EQ(ttc_append_unshared(info, {make_tag("head"), bytes, 0}), 1);
  EXPECT_EQ(ttc_append_unshared(info, {make_tag("loca"), bytes, 0}), 2);
  EXPECT_EQ(add(info, "head", bytes), 0);
  EXPECT_EQ(add(info, "loca", bytes), 3);
  EXPECT_EQ(add(info, "loca", bytes), 3);
}

// Many tables of one tag and length: each finds its own first entry and no other.
TEST(TtcPool, FindsEachOfManyEntriesOfOneTagAndLength) {
  ttc_info info;
  std::vector<std::vector<uint8_t>> tables;
  for (uint8_t seed = 0; seed < 200; ++seed) tables.push_back(patterned_bytes(1001, seed));
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
  const ttc_table_added full = ttc_add_table(info, {make_tag("full"), std::vector<uint8_t>{1}, {}},
                                             ttc_keep::in_place, room);
  EXPECT_FALSE(full.entry.has_value());
  EXPECT_EQ(full.refusal, ttc_refusal::pool_full);
  EXPECT_EQ(add(info, "abcd", std::vector<uint8_t>{0, 7}), 7);  // sharing still works
}

// Faces added at once, their tables compared side by side, give the pool and faces that
// adding them one by one gives: whatever the kind of bytes, a table that differs from its
// shape's first only in its last piece, tables that equal each other but not the first,
// one place listed twice, and a shape the pool already holds.
TEST(TtcPool, AddingFacesAtOnceGivesWhatAddingThemOneByOneGives) {
  const std::vector<uint8_t> big = patterned_bytes(300000, 1);
  std::vector<uint8_t> last_differs = big;
  last_differs.back() ^= 1;
  const std::vector<uint8_t> small = patterned_bytes(10, 2);
  const std::filesystem::path dir = make_temp_dir();
  write_bytes(dir / "big", big);
  std::optional<input_file> file = open_input((dir / "big").string(), nullptr);
  ASSERT_TRUE(file.has_value());
  const table_bytes extent = file_extent{&*file, 0, file->size};
  const auto face = [](std::vector<std::pair<const char*, table_bytes>> tables) {
    sfnt_face_info f{{0x00010000, 0, 0, 0}, {}};
    for (auto& [tag, bytes] : tables) f.tables.push_back({make_tag(tag), std::move(bytes), {}});
    return f;
  };
  const std::vector<sfnt_face_info> faces = {
      face({{"glyf", big}, {"head", small}, {"loca", small}}),
      face({{"glyf", extent}, {"head", patterned_bytes(10, 3)}, {"loca", small}}),
      face({{"glyf", last_differs}, {"head", patterned_bytes(10, 3)}, {"name", small}}),
      face({{"glyf", extent}, {"glyf", extent}, {"post", std::span<const uint8_t>(small)}}),
  };
  for (const bool pool_has_head : {false, true}) {
    SCOPED_TRACE(pool_has_head);
    ttc_info one_by_one;
    ttc_info at_once;
    if (pool_has_head) {
      add(one_by_one, "head", patterned_bytes(10, 3));
      add(at_once, "head", patterned_bytes(10, 3));
    }
    std::vector<uint8_t> room;
    for (const sfnt_face_info& f : faces)
      ASSERT_FALSE(ttc_add_face(one_by_one, f, ttc_keep::in_place, room));
    ASSERT_FALSE(ttc_add_faces(at_once, faces, room));
    ASSERT_EQ(at_once.tables().size(), one_by_one.tables().size());
    for (size_t i = 0; i < at_once.tables().size(); ++i) {
      EXPECT_EQ(at_once.tables()[i].tag, one_by_one.tables()[i].tag) << i;
      EXPECT_EQ(at_once.tables()[i].checksum, one_by_one.tables()[i].checksum) << i;
      EXPECT_EQ(table_length(at_once.tables()[i].bytes),
                table_length(one_by_one.tables()[i].bytes));
    }
    ASSERT_EQ(at_once.faces.size(), one_by_one.faces.size());
    for (size_t f = 0; f < at_once.faces.size(); ++f)
      EXPECT_EQ(at_once.faces[f]->table_indices, one_by_one.faces[f]->table_indices) << f;
  }
  close_input(*file);
  std::filesystem::remove_all(dir);
}
