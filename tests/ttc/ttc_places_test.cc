// Pool entries that name a place in a source instead of holding their bytes: they are
// found, hashed and written as entries that hold the same bytes are, and a source that
// changed or shrank since it was read fails the write instead of being copied.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fontgen/font_builder.h"
#include "fontio/checksum.h"
#include "support/run_tool.h"
#include "ttc/ttc_writer.h"

namespace {

struct table_at {
  const char* tag;
  size_t offset;
  size_t length;
};

// Tables of a source: one shorter than a word, a `head` table (whose adjustment field is
// left out of its sum), and one longer than the pieces that placed tables are copied in.
const std::vector<table_at> kTables = {
    {"abcd", 0, 3}, {"head", 3, 54}, {"glyf", 57, (600 << 10) + 5}};

std::vector<uint8_t> source_bytes() {
  std::vector<uint8_t> bytes(57 + (600 << 10) + 5 + 11);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 13 + (i >> 12));
  return bytes;
}

std::span<const uint8_t> bytes_of(const std::vector<uint8_t>& source, const table_at& table) {
  return std::span(source).subspan(table.offset, table.length);
}

// One face listing every table of `source`, placed in it or held; `source` must outlive it.
ttc_info one_face(const font_source& source, std::span<const uint8_t> bytes, bool placed) {
  ttc_info info = create_ttc_info(0x00010000);
  const size_t face = ttc_create_face(info);
  const int32_t in = ttc_add_source(info, "src.ttf", source);
  for (const table_at& table : kTables) {
    const std::span<const uint8_t> data = bytes.subspan(table.offset, table.length);
    const sfnt_tag tag = make_tag(table.tag);
    const int32_t index =
        placed ? ttc_place_table(info, tag, static_cast<uint32_t>(table.length), {in, table.offset},
                                 sfnt_directory_checksum(tag, data), {})
               : ttc_add_table(info, tag, data);
    info.faces[face].table_indices.push_back(index);
  }
  return info;
}

struct written {
  int64_t result = 0;
  std::vector<uint8_t> bytes;
  std::string err;
};

written write_collection(ttc_info& info) {
  char* buffer = nullptr;
  size_t size = 0;
  std::FILE* stream = open_memstream(&buffer, &size);
  written w;
  testing::internal::CaptureStderr();
  w.result = ttc_write_to_file(info, stream);
  w.err = testing::internal::GetCapturedStderr();
  std::fclose(stream);
  w.bytes.assign(buffer, buffer + size);
  std::free(buffer);
  return w;
}

}  // namespace

TEST(TtcPlaces, PlacedEntriesAreWrittenAsHeldOnes) {
  const std::vector<uint8_t> bytes = source_bytes();
  const font_source source = memory_font_source(bytes);
  ttc_info placed = one_face(source, bytes, true);
  ttc_info held = one_face(source, bytes, false);
  const written from_source = write_collection(placed);
  const written from_memory = write_collection(held);
  EXPECT_EQ(from_source.err, "");
  EXPECT_EQ(from_source.result, from_memory.result);
  EXPECT_TRUE(from_source.bytes == from_memory.bytes);
  for (size_t i = 0; i < kTables.size(); ++i) {
    EXPECT_EQ(placed.tables[i].checksum, held.tables[i].checksum) << kTables[i].tag;
    EXPECT_TRUE(placed.tables[i].data.empty());
  }

  // A placed entry is read in pieces within its length, and found by its bytes.
  std::vector<uint8_t> room;
  const auto piece = ttc_table_piece(placed, 2, 1, 4, room);
  ASSERT_TRUE(piece.has_value());
  EXPECT_TRUE(std::equal(piece->begin(), piece->end(), bytes.begin() + 58));
  EXPECT_FALSE(ttc_table_piece(placed, 0, 1, 3, room).has_value());
  EXPECT_EQ(ttc_find_table(placed, make_tag("glyf"), bytes_of(bytes, kTables[2])), 2);
}

// A placed entry gets its hash when a second entry of its tag and length arrives, so that
// either is then found by content; the hash is the one its bytes get when held.
TEST(TtcPlaces, PlacedEntriesAreHashedWhenTheirShapeIsShared) {
  const std::vector<uint8_t> bytes = source_bytes();
  const font_source source = memory_font_source(bytes);
  ttc_info info = one_face(source, bytes, true);
  EXPECT_FALSE(info.tables[2].hash.has_value());
  std::vector<uint8_t> other(bytes.begin() + 57, bytes.begin() + 57 + kTables[2].length);
  other[300 << 10] ^= 1;
  EXPECT_EQ(ttc_add_table(info, make_tag("glyf"), other), 3);
  EXPECT_EQ(ttc_add_table(info, make_tag("glyf"), other), 3);
  ttc_info held = one_face(source, bytes, false);
  std::vector<uint8_t> room;
  ASSERT_TRUE(ttc_hash_entry(held, 2, room));
  EXPECT_EQ(info.tables[2].hash, held.tables[2].hash);
  EXPECT_EQ(ttc_find_table(info, make_tag("glyf"), bytes_of(bytes, kTables[2])), 2);
  EXPECT_EQ(ttc_find_table(info, make_tag("glyf"), other), 3);
}

TEST(TtcPlaces, SourceThatChangedOrShrankFailsTheWrite) {
  std::vector<uint8_t> bytes = source_bytes();
  const font_source source = memory_font_source(bytes);
  ttc_info info = one_face(source, bytes, true);
  bytes[57 + (500 << 10)] ^= 0x10;
  written w = write_collection(info);
  EXPECT_EQ(w.result, -1);
  EXPECT_EQ(w.err, "src.ttf: changed since it was read\n");

  const std::filesystem::path dir = make_temp_dir();
  write_bytes(dir / "src.ttf", source_bytes());
  std::optional<font_source> file = open_font_source((dir / "src.ttf").string());
  ASSERT_TRUE(file.has_value());
  const std::vector<uint8_t> original = source_bytes();
  info = one_face(*file, original, true);
  EXPECT_EQ(write_collection(info).err, "");
  std::filesystem::resize_file(dir / "src.ttf", 1000);
  w = write_collection(info);
  EXPECT_EQ(w.result, -1);
  EXPECT_EQ(w.err, "End of file...\nsrc.ttf: could not be read in full\n");
  ttc_close_sources(info);
  EXPECT_EQ(info.sources[0].file.fd, -1);
  std::filesystem::remove_all(dir);
}
