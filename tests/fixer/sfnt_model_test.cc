// The fixer's models on their own: the face writer's layout, the name table's parse and
// render, name text conversion and the Shift-JIS recogniser.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "fixer/name_repair.h"
#include "fixer/name_table.h"
#include "fixer/name_text.h"
#include "fontgen/font_builder.h"
#include "fontgen/tables.h"
#include "sfnt/font_file.h"
#include "support/memory_stream.h"

namespace {

TEST(SfntFace, WritesTablesAfreshInDirectoryOrder) {
  // Tables stored in reverse order, with non-zero padding, one shared extent and a gap;
  // odd search fields that must be carried over as they are.
  std::vector<uint8_t> file;
  put_u32(file, 0x00010000);
  put_u16(file, 4);
  put_u16(file, 0x1234);
  put_u16(file, 0x0005);
  put_u16(file, 0xABCD);
  const std::vector<uint8_t> head(54, 0x11);
  const struct {
    const char* tag;
    uint32_t offset, length;
  } directory[] = {{"head", 144, 54}, {"A   ", 140, 1}, {"zero", 76, 0}, {"B   ", 140, 1}};
  for (const auto& d : directory) {
    put_tag(file, d.tag);
    put_u32(file, 0xDEADBEEF);
    put_u32(file, d.offset);
    put_u32(file, d.length);
  }
  file.resize(140, 0xEE);
  put_bytes(file, {0x41, 0xFF, 0xFF, 0xFF});
  put_bytes(file, head);
  put_bytes(file, {0xFF, 0xFF});

  font_problem problem;
  const std::optional<font_file> font = open_font_file(std::span<const uint8_t>(file), problem);
  ASSERT_TRUE(font.has_value()) << problem.detail;
  const std::optional<sfnt_face_info> face =
      sfnt_face_from_directory(std::span<const uint8_t>(file), font->directory);
  EXPECT_EQ(find_sfnt_table_index(*face, "B   "), 3u);
  EXPECT_EQ(find_sfnt_table_index(*face, "headline"), 0u);
  EXPECT_EQ(find_sfnt_table_index(*face, "HEAD"), std::nullopt);

  const std::vector<uint8_t> written = written_bytes([&](output_stream& s) {
    EXPECT_TRUE(write_sfnt_face_to_stream(s, *face, sfnt_face_layout(*face), extent_copy::checked));
  });
  face_header header;
  header.derive_search_fields = false;
  header.search_range = 0x1234;
  header.entry_selector = 0x0005;
  header.range_shift = 0xABCD;
  EXPECT_EQ(written,
            build_sfnt({{"head", head}, {"A   ", {0x41}}, {"zero", {}}, {"B   ", {0x41}}}, header));
}

sfnt_name_record record(uint16_t name_id, std::vector<uint8_t> string) {
  return {3, 1, 0x409, name_id, std::move(string)};
}

TEST(NameTable, ParsesSharedStringsAndRendersEachRecordItsOwnCopy) {
  // Format 1 header, two records sharing "Hi", unreferenced storage bytes.
  const std::vector<uint8_t> table = {0,   1,   0,   2,  0, 30,                    // header
                                      0,   3,   0,   1,  4, 9,  0, 1, 0, 2, 0, 1,  // "Hi"
                                      0,   3,   0,   1,  4, 9,  0, 4, 0, 3, 0, 0,  // "xHi"
                                      'x', 'H', 'i', '!'};
  std::string error;
  const std::optional<sfnt_name_table> parsed = parse_sfnt_name_table(table, error);
  ASSERT_TRUE(parsed.has_value()) << error;
  EXPECT_EQ(find_sfnt_name_entry(parsed->records, 3, 1, 0x409, 4), 1u);
  const std::optional<std::vector<uint8_t>> rendered =
      render_sfnt_name_table(parsed->records, error);
  EXPECT_EQ(rendered, build_name_table(
                          {{3, 1, 0x409, 1, bytes_of("Hi")}, {3, 1, 0x409, 4, bytes_of("xHi")}}));
  EXPECT_EQ(render_sfnt_name_table({}, error), (std::vector<uint8_t>{0, 0, 0, 0, 0, 6}));

  std::vector<uint8_t> cut = table;
  cut.pop_back();  // still holds every string
  EXPECT_TRUE(parse_sfnt_name_table(cut, error).has_value());
  cut.pop_back();
  EXPECT_FALSE(parse_sfnt_name_table(cut, error).has_value());
  EXPECT_FALSE(parse_sfnt_name_table(std::vector<uint8_t>(5, 0), error).has_value());
  EXPECT_EQ(error, "Broken font file: the `name' table is too short for its header.\n");
}

// Records that all name one 60000-byte string: shared twice the copies stay within the
// table's size plus 64 KiB, three times they do not, and the table is refused before a
// hostile one (65535 records on one 64 KiB string) can cost gigabytes.
std::vector<uint8_t> records_sharing_one_string(uint16_t count) {
  std::vector<uint8_t> table;
  for (uint16_t v : {uint16_t{0}, count, static_cast<uint16_t>(6 + 12 * count)}) put_u16(table, v);
  for (uint16_t i = 0; i < count; ++i)
    for (uint16_t v : {3, 1, 0x409, 1, 60000, 0}) put_u16(table, v);
  table.resize(table.size() + 60000, 'a');
  return table;
}

TEST(NameTable, RefusesStringsNamedOverAndOver) {
  std::string error;
  const std::optional<sfnt_name_table> twice =
      parse_sfnt_name_table(records_sharing_one_string(2), error);
  ASSERT_TRUE(twice.has_value()) << error;
  EXPECT_EQ(twice->records[1].string, std::vector<uint8_t>(60000, 'a'));
  EXPECT_FALSE(parse_sfnt_name_table(records_sharing_one_string(3), error).has_value());
  EXPECT_EQ(error, "Broken font file: the `name' records name the same bytes over and over.\n");
}

TEST(NameTable, RefusesToRenderPastSixteenBitFields) {
  std::string error;
  std::vector<sfnt_name_record> records(5460, record(1, {}));
  EXPECT_TRUE(render_sfnt_name_table(records, error).has_value());
  records.push_back(record(1, {}));
  EXPECT_FALSE(render_sfnt_name_table(records, error).has_value());
  EXPECT_EQ(error, "  Too many name records (5461) to rebuild the `name' table.\n");

  records = {record(1, std::vector<uint8_t>(65000, 'a')), record(2, std::vector<uint8_t>(535))};
  const std::optional<std::vector<uint8_t>> full = render_sfnt_name_table(records, error);
  ASSERT_TRUE(full.has_value());
  EXPECT_EQ(full->size(), 6 + 24 + 65535u);
  records[1].string.push_back(0);
  EXPECT_FALSE(render_sfnt_name_table(records, error).has_value());
}

std::vector<uint8_t> joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The outcomes of glibc's iconv from UTF-16BE to ASCII into 255 bytes: the first fault
// met from the start wins, and a full output is found before the next character is judged.
TEST(NameText, ConvertsAsGlibcIconvDoes) {
  const std::vector<uint8_t> full = utf16be(std::string(255, 'a'));
  const struct {
    std::vector<uint8_t> text;
    std::optional<std::string> ascii;
    ascii_refusal refusal;
  } cases[] = {
      {{}, "", {}},
      {full, std::string(255, 'a'), {}},
      {{0, 'A', 0, 0x7F, 0, 0, 0, 'B'}, "A\x7f", {}},
      {{0, 'A', 0}, {}, ascii_refusal::incomplete},
      {{0xD8, 0x3D, 0xDE}, {}, ascii_refusal::incomplete},
      {{0xD8, 0x3D}, {}, ascii_refusal::incomplete},
      {{0xFE, 0xFF, 0, 'A'}, {}, ascii_refusal::not_ascii},
      {{0, 0x80}, {}, ascii_refusal::not_ascii},
      {{0xD8, 0x3D, 0xDE, 0x00}, {}, ascii_refusal::not_ascii},
      {{0xD8, 0x00, 0, 'A'}, {}, ascii_refusal::not_ascii},
      {{0xDC, 0x00, 0, 'A'}, {}, ascii_refusal::not_ascii},
      {{0, 0xE9, 0}, {}, ascii_refusal::not_ascii},
      {joined(full, {0, 'a'}), {}, ascii_refusal::too_long},
      {joined(full, {0, 0xE9}), {}, ascii_refusal::too_long},
      {joined(full, {0xD8, 0x3D, 0xDE, 0x00}), {}, ascii_refusal::too_long},
      {joined(full, {0}), {}, ascii_refusal::incomplete},
      {joined(full, {0xD8, 0x3D}), {}, ascii_refusal::incomplete},
      {joined(full, {0xDC, 0x00}), {}, ascii_refusal::not_ascii},
      {joined(full, {0xD8, 0x00, 0, 'a'}), {}, ascii_refusal::not_ascii},
  };
  for (const auto& c : cases) {
    ascii_refusal refusal = static_cast<ascii_refusal>(0);
    EXPECT_EQ(convert_UTF16BE_to_ASCII(c.text, refusal), c.ascii) << c.text.size();
    if (!c.ascii) {
      EXPECT_EQ(refusal, c.refusal) << c.text.size();
    }
  }
}

TEST(NameText, FamilyPrefersWindowsUnicodeEnglish) {
  sfnt_name_table table;
  table.records = {{3, 0, 0x409, 1, utf16be("Symbol")},
                   {3, 1, 0x411, 1, utf16be("Japanese")},
                   {1, 0, 0, 1, bytes_of("Mac")}};
  EXPECT_EQ(get_font_family(table).name, "Symbol");
  table.records.push_back(record(1, utf16be("Unicode")));
  EXPECT_EQ(get_font_family(table).name, "Unicode");
  table.records = {{3, 1, 0x411, 1, utf16be("Japanese")}};
  EXPECT_EQ(get_font_family(table).name, std::nullopt);
}

TEST(ShiftJis, ClassesAndVerdicts) {
  // Both edges of every class range.
  const std::pair<uint8_t, int> edges[] = {
      {0x00, 0}, {0x1F, 0}, {0x20, 1}, {0x3F, 1}, {0x40, 2}, {0x7E, 2}, {0x7F, 0}, {0x80, 3},
      {0x81, 4}, {0x9F, 4}, {0xA0, 3}, {0xA1, 5}, {0xDF, 5}, {0xE0, 4}, {0xFC, 4}, {0xFD, 0}};
  for (const auto& [byte, kind] : edges) EXPECT_EQ(ckind(byte), kind) << int{byte};
  const struct {
    std::vector<uint8_t> bytes;
    int verdict;
  } cases[] = {{{}, 1},           {bytes_of("Gothic ~"), 1},
               {{0x82, 0xA0}, 2}, {{0xB1}, 2},
               {{0x8E, 0x63}, 2}, {{0x41, 0x82}, 0},
               {{0x82, 0x20}, 0}, {{0x80}, 0},
               {{0xA0}, 0},       {{0xFD}, 0},
               {{0, 'A'}, 0},     {{0x83, 0x54, 0x1F, 0xB1}, 0},
               {{0xFC, 0xFC}, 2}, {{0xB1, 0x41, 0x20}, 2},
               {{0x81, 0x7F}, 0}};
  for (const auto& c : cases) EXPECT_EQ(sjis_check(c.bytes), c.verdict);
}

}  // namespace
