#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fontgen/font_builder.h"
#include "support/memory_stream.h"
#include "ttc/ttc_writer.h"

namespace {

struct written {
  int64_t result = 0;
  std::vector<uint8_t> bytes;
};

template <typename Write>
written write_to_memory(Write write) {
  written w;
  w.bytes = written_bytes([&](output_stream& s) { w.result = write(s); });
  return w;
}

void put_record(std::vector<uint8_t>& out, const char* tag, uint32_t checksum, uint32_t offset,
                uint32_t length) {
  put_tag(out, tag);
  put_u32(out, checksum);
  put_u32(out, offset);
  put_u32(out, length);
}

void put_offset_table(std::vector<uint8_t>& out, uint32_t version, uint16_t num_tables,
                      uint16_t range, uint16_t selector, uint16_t shift) {
  put_u32(out, version);
  put_u16(out, num_tables);
  put_u16(out, range);
  put_u16(out, selector);
  put_u16(out, shift);
}

constexpr uint32_t kSumA = 0x01020304 + 0x05060000;  // the padding counts as zeros
constexpr uint32_t kSumC = 0x00000001;               // FFFFFFFF + 00000002 wraps
constexpr uint32_t kSumD = 0xAABBCC00;

// Adds a table with bytes of its own to the end of a face's directory.
void add(ttc_info& info, ttc_face& face, const char* tag, std::vector<uint8_t> bytes) {
  std::vector<uint8_t> room;
  const ttc_table_added added =
      ttc_add_table(info, {make_tag(tag), std::move(bytes), {}}, ttc_keep::in_place, room);
  ASSERT_TRUE(added.entry.has_value());
  face.table_indices.push_back(*added.entry);
}

// Face 0: aaaa (6 bytes), bbbb (empty), cccc; face 1: aaaa again, dddd (3 bytes), with
// search fields that do not fit its size; face 2: cccc, aaaa, cccc.
ttc_info sample_collection() {
  ttc_info info;
  const std::vector<uint8_t> a = {1, 2, 3, 4, 5, 6}, c = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 2},
                             d = {0xAA, 0xBB, 0xCC};
  std::vector<ttc_face> faces(3, ttc_face{{0x00010000, 256, 4, 0}, {}});
  add(info, faces[0], "aaaa", a);
  add(info, faces[0], "bbbb", {});
  add(info, faces[0], "cccc", c);
  faces[1].header = {0x74727565, 1, 2, 3};  // 'true'
  add(info, faces[1], "aaaa", a);
  add(info, faces[1], "dddd", d);
  add(info, faces[2], "cccc", c);
  add(info, faces[2], "aaaa", a);
  add(info, faces[2], "cccc", c);
  for (ttc_face& face : faces) info.faces.push_back(std::make_shared<const ttc_face>(face));
  return info;
}

}  // namespace

TEST(TtcWriter, CollectionLayout) {
  const ttc_info info = sample_collection();
  const written w = write_to_memory(
      [&](output_stream& s) { return ttc_write_to_file(info, s, extent_copy::checked); });

  std::vector<uint8_t> expected;
  put_tag(expected, "ttcf");
  put_u32(expected, 0x00010000);
  put_u32(expected, 3);
  put_u32(expected, 24);                // 12 + 4 * 3
  put_u32(expected, 24 + 60);           // after face 0's 3 records
  put_u32(expected, 24 + 60 + 44);      // after face 1's 2 records
  const uint32_t data = 128 + 12 + 48;  // H = 188
  put_offset_table(expected, 0x00010000, 3, 256, 4, 0);
  put_record(expected, "aaaa", kSumA, data, 6);
  put_record(expected, "bbbb", 0, data + 8, 0);
  put_record(expected, "cccc", kSumC, data + 8, 8);
  put_offset_table(expected, 0x74727565, 2, 1, 2, 3);
  put_record(expected, "aaaa", kSumA, data, 6);
  put_record(expected, "dddd", kSumD, data + 16, 3);
  put_offset_table(expected, 0x00010000, 3, 256, 4, 0);
  put_record(expected, "cccc", kSumC, data + 8, 8);
  put_record(expected, "aaaa", kSumA, data, 6);
  put_record(expected, "cccc", kSumC, data + 8, 8);
  put_bytes(expected, {1, 2, 3, 4, 5, 6, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 2});
  put_bytes(expected, {0xAA, 0xBB, 0xCC, 0});
  ASSERT_EQ(expected.size(), data + 20);

  EXPECT_EQ(w.bytes, expected);
  EXPECT_EQ(w.result, int64_t(expected.size()));

  // A version 2 collection has no DSIG fields to write: it is written as version 1.0.
  ttc_info none;
  none.version = 0x00020000;
  const written empty = write_to_memory(
      [&](output_stream& s) { return ttc_write_to_file(none, s, extent_copy::checked); });
  EXPECT_EQ(empty.bytes, (std::vector<uint8_t>{'t', 't', 'c', 'f', 0, 1, 0, 0, 0, 0, 0, 0}));
}

TEST(TtcWriter, FaceLayoutInDirectoryOrder) {
  ttc_info info = sample_collection();
  const auto face = [&](size_t f) {
    return write_to_memory(
        [&](output_stream& s) { return ttc_write_face_to_file(info, f, s, extent_copy::checked); });
  };
  const written face1 = face(1);
  std::vector<uint8_t> expected;
  put_offset_table(expected, 0x74727565, 2, 1, 2, 3);
  put_record(expected, "aaaa", kSumA, 44, 6);
  put_record(expected, "dddd", kSumD, 52, 3);
  put_bytes(expected, {1, 2, 3, 4, 5, 6, 0, 0, 0xAA, 0xBB, 0xCC, 0});
  EXPECT_EQ(face1.bytes, expected);
  EXPECT_EQ(face1.result, 56);

  // A table listed twice is written at both places; both records name the later one.
  const written face2 = face(2);
  expected.clear();
  put_offset_table(expected, 0x00010000, 3, 256, 4, 0);
  put_record(expected, "cccc", kSumC, 76, 8);
  put_record(expected, "aaaa", kSumA, 68, 6);
  put_record(expected, "cccc", kSumC, 76, 8);
  for (int copy = 0; copy < 2; ++copy) {
    put_bytes(expected, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 2});
    if (copy == 0) put_bytes(expected, {1, 2, 3, 4, 5, 6, 0, 0});
  }
  EXPECT_EQ(face2.bytes, expected);
}
