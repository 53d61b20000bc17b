#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fontgen/font_builder.h"
#include "ttc/ttc_reader.h"

namespace {

struct raw_record {
  std::string tag;
  uint32_t offset = 0;  // from the start of the data block
  uint32_t length = 0;
};

// A collection whose faces list the given records, followed by `data`. Every face has
// version 1.0 and the search fields 32, 1, 16 whatever its size, and every stored
// checksum is 0xDEADBEEF.
std::vector<uint8_t> raw_collection(const std::vector<std::vector<raw_record>>& faces,
                                    const std::vector<uint8_t>& data) {
  uint32_t header = static_cast<uint32_t>(12 + 4 * faces.size());
  std::vector<uint8_t> out;
  put_tag(out, "ttcf");
  put_u32(out, 0x00010000);
  put_u32(out, static_cast<uint32_t>(faces.size()));
  for (const auto& face : faces) {
    put_u32(out, header);
    header += static_cast<uint32_t>(12 + 16 * face.size());
  }
  for (const auto& face : faces) {
    put_u32(out, 0x00010000);
    put_u16(out, static_cast<uint16_t>(face.size()));
    put_u16(out, 32);
    put_u16(out, 1);
    put_u16(out, 16);
    for (const raw_record& r : face) {
      put_tag(out, r.tag);
      put_u32(out, 0xDEADBEEF);
      put_u32(out, header + r.offset);
      put_u32(out, r.length);
    }
  }
  put_bytes(out, data);
  return out;
}

// The reader's result; `problem` says why there is none.
std::optional<ttc_info> parse(const std::vector<uint8_t>& file, ttc_problem& problem) {
  return ttc_parse_binary(std::span<const uint8_t>(file), problem);
}

// The entries would view a temporary file.
std::optional<ttc_info> parse(std::vector<uint8_t>&& file, ttc_problem& problem) = delete;

std::vector<uint8_t> data_of(const ttc_table& t) {
  const std::span<const uint8_t> held = held_bytes(t.bytes);
  return std::vector<uint8_t>(held.begin(), held.end());
}

}  // namespace

TEST(TtcReader, RefusesWhatIsNotAWholeCollection) {
  const std::vector<uint8_t> one_face = raw_collection({{{"glyf", 0, 4}}}, {1, 2, 3, 4});
  std::vector<uint8_t> face_past_end = one_face;
  face_past_end[15] = 0xF0;
  std::vector<uint8_t> huge_directory = raw_collection({{}, {{"glyf", 0, 4}}}, {1, 2, 3, 4});
  huge_directory[12 + 8 + 12 + 4] = 0xFF;  // numTables of face 1
  huge_directory[12 + 8 + 12 + 5] = 0xFF;
  std::vector<uint8_t> wrapping_extent = raw_collection({{{"glyf", 0xFFFFFFF0, 0x20}}}, {});
  const std::vector<uint8_t> one_byte_short = raw_collection({{{"\1abc", 0, 5}}}, {1, 2, 3, 4});
  const auto face = [](size_t f, std::string detail) {
    return ttc_problem{ttc_fault::face_broken, f, 0, std::move(detail)};
  };
  const auto fault = [](ttc_fault f) { return ttc_problem{f, 0, 0, {}}; };
  const std::vector<std::pair<std::vector<uint8_t>, ttc_problem>> cases = {
      {build_sfnt({{"glyf", {1, 2, 3, 4}}}), fault(ttc_fault::not_collection)},
      {{}, fault(ttc_fault::not_collection)},
      {{'t', 't', 'c'}, fault(ttc_fault::not_collection)},
      {{'t', 't', 'c', 'f', 0, 1, 0, 0}, fault(ttc_fault::header_short)},
      {{'t', 't', 'c', 'f', 0, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}, fault(ttc_fault::offsets_short)},
      {{'t', 't', 'c', 'f', 0, 1, 0, 0, 0, 0, 0, 2, 0, 0, 0, 20}, fault(ttc_fault::offsets_short)},
      {face_past_end, face(0, "offset table runs past the end of the file")},
      {huge_directory, face(1, "table directory runs past the end of the file")},
      {wrapping_extent, face(0, "table 'glyf' runs past the end of the file")},
      {one_byte_short, face(0, "table '?abc' runs past the end of the file")},
  };
  for (const auto& [file, expected] : cases) {
    ttc_problem problem;
    EXPECT_FALSE(parse(file, problem).has_value()) << expected.detail;
    EXPECT_EQ(problem.fault, expected.fault) << expected.detail;
    EXPECT_EQ(problem.face, expected.face) << expected.detail;
    EXPECT_EQ(problem.detail, expected.detail);
  }
}

TEST(TtcReader, SharesRecordsOfEqualTagAndBytesOnly) {
  const std::vector<uint8_t> data = {1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9};
  // Face 1 names glyf at face 0's offset but shorter: a broken file, in which each face
  // must still get the table its own record describes. Its second glyf holds face 0's
  // glyf bytes at another offset, and shares their entry.
  const std::vector<uint8_t> file =
      raw_collection({{{"glyf", 0, 8}, {"loca", 0, 8}, {"head", 16, 3}},
                      {{"glyf", 0, 4}, {"glyf", 8, 8}, {"head", 16, 3}}},
                     data);
  ttc_problem err;
  const std::optional<ttc_info> info = parse(file, err);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->version, 0x00010000u);
  ASSERT_EQ(info->faces.size(), 2u);
  EXPECT_EQ(info->faces[0]->table_indices, (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(info->faces[1]->table_indices, (std::vector<int32_t>{3, 0, 2}));
  EXPECT_EQ(info->faces[1]->header.version, 0x00010000u);
  EXPECT_EQ(info->faces[1]->header.search_range, 32);
  EXPECT_EQ(info->faces[1]->header.entry_selector, 1);
  EXPECT_EQ(info->faces[1]->header.range_shift, 16);

  const uint32_t data_at = 20 + 2 * (12 + 48);
  // Checksums are summed from the bytes; the stored ones (0xDEADBEEF) are not taken.
  const std::vector<std::tuple<std::string, uint32_t, uint32_t, uint32_t>> expected = {
      {"glyf", data_at, 8, 0x06080A0C},
      {"loca", data_at, 8, 0x06080A0C},
      {"head", data_at + 16, 3, 0x09090900},
      {"glyf", data_at, 4, 0x01020304}};
  ASSERT_EQ(info->tables().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const auto& [tag, offset, length, checksum] = expected[i];
    const ttc_table& t = info->tables()[i];
    EXPECT_EQ(t.tag, make_tag(tag)) << i;
    EXPECT_EQ(held_bytes(t.bytes).data(), file.data() + offset) << i;
    EXPECT_EQ(table_length(t.bytes), length) << i;
    EXPECT_EQ(t.checksum, checksum) << i;
  }
}

TEST(TtcReader, ReadsAnyVersionAndEveryFace) {
  std::vector<std::vector<font_table>> faces;
  for (uint8_t f = 0; f < 6; ++f) faces.push_back({{"head", {f, 1, 2}}, {"name", {7, 7}}});
  ttc_problem err;
  const std::vector<uint8_t> file = build_ttc(faces, 0x00020000);  // the entries view it
  const std::optional<ttc_info> info = parse(file, err);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->version, 0x00020000u);
  ASSERT_EQ(info->faces.size(), 6u);
  EXPECT_EQ(info->tables().size(), 7u);
  for (size_t f = 0; f < 6; ++f) {
    const ttc_face& face = *info->faces[f];
    ASSERT_EQ(face.table_indices.size(), 2u);
    EXPECT_EQ(data_of(info->tables()[face.table_indices[0]]), faces[f][0].bytes);
    EXPECT_EQ(face.table_indices[1], 1);
  }

  const std::vector<uint8_t> no_faces = build_ttc({});
  const std::optional<ttc_info> empty = parse(no_faces, err);
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->faces.empty());
  EXPECT_TRUE(empty->tables().empty());
}

// Faces that name one offset table are one face of the model. The faces as fonts of their
// own, and the distinct directories read, are held to the budget.
TEST(TtcReader, ReadsARepeatedDirectoryOnceAndHoldsFacesToTheBudget) {
  // Three faces name the directory at 24: one 8-byte table, 36 bytes as a font of its own.
  std::vector<uint8_t> directory;
  put_offset_table(directory, 1);
  put_record(directory, "glyf", 52, 8);
  put_bytes(directory, {1, 2, 3, 4, 5, 6, 7, 8});
  const std::vector<uint8_t> repeated = faces_at({24, 24, 24}, directory);
  // Faces 4 bytes apart in a run of zeros: each a distinct, empty, 12-byte directory. With
  // five faces they take 60 bytes, the size of the file; with six, 72 of 68.
  const auto overlapping = [](uint32_t faces) {
    std::vector<uint32_t> offsets;
    for (uint32_t i = 0; i < faces; ++i) offsets.push_back(12 + 4 * faces + 4 * i);
    return faces_at(offsets, std::vector<uint8_t>(4 * faces + 8, 0));
  };
  const std::vector<std::tuple<std::vector<uint8_t>, work_budget, bool>> cases = {
      {repeated, {0, 3 * 36}, true},
      {repeated, {0, 3 * 36 - 1}, false},
      {overlapping(5), {2, 0}, true},
      {overlapping(6), {2, 0}, false},
  };
  for (const auto& [file, budget, accepted] : cases) {
    ttc_problem problem;
    const std::optional<ttc_info> info =
        ttc_parse_binary(std::span<const uint8_t>(file), problem, budget);
    EXPECT_EQ(info.has_value(), accepted) << file.size() << " " << budget.slack;
  }
  ttc_problem problem;
  const std::optional<ttc_info> info =
      ttc_parse_binary(std::span<const uint8_t>(repeated), problem, {0, 3 * 36});
  ASSERT_TRUE(info.has_value());
  ASSERT_EQ(info->faces.size(), 3u);
  EXPECT_EQ(info->faces[0], info->faces[2]);
  EXPECT_EQ(info->faces[0]->table_indices, std::vector<int32_t>{0});
}
