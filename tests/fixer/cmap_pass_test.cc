// The cmap pass through facemend: the Mac Roman cut, whole tables carried byte for byte,
// broken lengths corrected, and tables that cannot be carried through left as they are.
#include <gtest/gtest.h>

#include "fontgen/sample_font.h"
#include "fontgen/tables.h"
#include "mend_support.h"
#include "sfnt/byte_fields.h"

namespace {

const char kParsing[] = "  Parsing cmap table.\n";

std::vector<uint8_t> font_with_cmap(const std::vector<uint8_t>& cmap) {
  return build_sfnt(with_table(sample_font_tables(), "cmap", cmap));
}

// Runs facemend on the sample font with `cmap`; the pass must print `findings` and write
// `expected` as the table, and the run must otherwise be untouched.
void expect_cmap_pass(const std::vector<uint8_t>& cmap, const std::string& findings,
                      const std::vector<uint8_t>& expected) {
  const mend_run run = run_facemend(font_with_cmap(cmap));
  EXPECT_EQ(run.run.status, 0);
  pass_findings lines;
  lines.cmap = kParsing + findings;
  EXPECT_EQ(run.run.out, mend_stdout("Sample Gothic", lines));
  EXPECT_EQ(run.run.err, "");
  EXPECT_EQ(run.output, font_with_cmap(expected));
}

std::vector<uint8_t> format6(size_t entries) {
  return cmap_format6(0, std::vector<uint16_t>(entries, 2));
}

std::vector<uint8_t> cut(std::vector<uint8_t> subtable) {
  write_uint16(&subtable[8], 127);
  return subtable;
}

const std::map<uint16_t, uint16_t> kUnicode = {{0x20, 1}, {0x41, 2}, {0x42, 3}, {0x3042, 4}};

TEST(CmapPass, CutsOnlyFullMacRomanFormat6Subtables) {
  const std::vector<uint8_t> f4 = cmap_format4(kUnicode);
  const struct {
    std::vector<cmap_record_spec> records;
    std::vector<std::vector<uint8_t>> in, out;
    std::string findings;
  } cases[] = {
      {{{1, 0, 0}}, {format6(256)}, {cut(format6(256))}, kCut},
      {{{1, 0, 0}}, {format6(255)}, {format6(255)}, ""},
      {{{1, 0, 0}}, {cmap_format0({{0x41, 2}})}, {cmap_format0({{0x41, 2}})}, ""},
      {{{1, 1, 0}, {3, 1, 1}}, {format6(256), f4}, {format6(256), f4}, ""},
      {{{1, 0, 0}, {3, 1, 1}, {1, 0, 2}},
       {format6(256), f4, format6(256)},
       {cut(format6(256)), f4, cut(format6(256))},
       std::string(kCut) + kCut},
      // A subtable too short to hold entryCount: nothing to cut.
      {{{1, 0, 0}}, {{0, 6, 0, 8, 0, 0, 1, 0}}, {{0, 6, 0, 8, 0, 0, 1, 0}}, ""},
  };
  for (const auto& c : cases)
    expect_cmap_pass(build_cmap_table(c.records, c.in), c.findings,
                     build_cmap_table(c.records, c.out));
}

TEST(CmapPass, CarriesWholeTablesByteForByte) {
  const std::vector<uint8_t> f4 = cmap_format4(kUnicode);
  const std::vector<uint8_t> f12 = cmap_format12({{0x20, 1}, {0x41, 2}, {0x1F600, 5}});
  const std::vector<uint8_t> f14 = cmap_format14_default_uvs({{0xFE00, {0x41, 0x3042}}});
  const std::vector<uint8_t> f8 = cmap_format8({{0x41, 2}, {0x42, 3}});
  // A format 4 subtable past 64 KiB: its length field wrapped; the directory's length says
  // how long it really is.
  std::map<uint16_t, uint16_t> many;
  for (uint16_t i = 0; i < 8200; ++i) many[static_cast<uint16_t>(0x100 + 2 * i)] = 1 + i % 2;
  const std::vector<uint8_t> wrapped = cmap_format4(many);
  ASSERT_GT(wrapped.size(), 65535u);
  const std::vector<uint8_t> tables[] = {
      build_cmap_table({{0, 3, 0}, {0, 4, 1}, {0, 5, 2}, {3, 1, 0}, {3, 10, 1}}, {f4, f12, f14}),
      build_cmap_table({{0, 3, 0}, {3, 1, 1}, {3, 10, 0}}, {f8, f4}),
      build_cmap_table({}, {}),
  };
  for (const std::vector<uint8_t>& table : tables) expect_cmap_pass(table, "", table);
  for (const std::vector<uint8_t>& table :
       {build_cmap_table({{3, 1, 0}}, {wrapped}),
        build_cmap_table({{0, 3, 0}, {3, 1, 0}, {3, 10, 1}}, {wrapped, f12})})
    expect_cmap_pass(table, "  Broken cmap table!    Correncting...\n", table);
}

TEST(CmapPass, RelaysSubtablesInTheOrderOfTheirFirstRecord) {
  const std::vector<uint8_t> f4 = cmap_format4(kUnicode);
  const std::vector<uint8_t> f0 = cmap_format0({{0x41, 2}});
  // Stored f0 first, but the first record names f4.
  std::vector<uint8_t> stored = build_cmap_table({{3, 1, 1}, {1, 0, 0}, {0, 3, 1}}, {f0, f4});
  expect_cmap_pass(stored, "", build_cmap_table({{3, 1, 0}, {1, 0, 1}, {0, 3, 0}}, {f4, f0}));
}

TEST(CmapPass, CorrectsOrReportsALengthMismatch) {
  const std::vector<uint8_t> f4 = cmap_format4(kUnicode);
  const std::vector<uint8_t> f0 = cmap_format0({{0x41, 2}});
  // Two stray bytes after the last subtable go to the Windows Unicode format 4 one.
  std::vector<uint8_t> gap = build_cmap_table({{1, 0, 0}, {3, 1, 1}}, {f0, f4});
  gap.insert(gap.end(), {0xAB, 0xCD});
  expect_cmap_pass(gap, "  Broken cmap table!    Correncting...\n", gap);

  // Without such a subtable the message has no line end and the stray bytes are dropped.
  std::vector<uint8_t> stray = build_cmap_table({{1, 0, 0}}, {f0});
  stray.insert(stray.end(), {0xAB, 0xCD});
  expect_cmap_pass(stray, "  Broken cmap table!  ", build_cmap_table({{1, 0, 0}}, {f0}));
}

TEST(CmapPass, LeavesTablesItCannotCarryThroughAsTheyCame) {
  const std::vector<uint8_t> f4 = cmap_format4(kUnicode);
  const std::vector<uint8_t> f0 = cmap_format0({{0x41, 2}});
  const std::vector<uint8_t> whole = build_cmap_table({{3, 1, 0}, {1, 0, 1}}, {f4, f0});
  auto shortened = [&](size_t by) {
    return std::vector<uint8_t>(whole.begin(), whole.end() - static_cast<std::ptrdiff_t>(by));
  };
  std::vector<uint8_t> far_offset = whole;
  write_uint32(&far_offset[8 + 8], static_cast<uint32_t>(whole.size()));
  std::vector<uint8_t> length_outside = whole;
  write_uint32(&length_outside[8 + 8], static_cast<uint32_t>(whole.size() - 4));
  write_uint16(&length_outside[whole.size() - 4], 12);
  std::vector<uint8_t> unknown = whole;
  write_uint16(&unknown[4 + 16 + f4.size()], 7);
  // A format 0 subtable whose length says 0: laid out again it would vanish, and its
  // record would point at the next subtable or past the table.
  std::vector<uint8_t> empty_f0 = build_cmap_table({{1, 0, 0}, {0, 3, 1}}, {f0, f4});
  write_uint16(&empty_f0[4 + 16 + 2], 0);
  // A format 6 subtable whose glyph array reads as a format 0 header: a second record
  // pointing into it names 262 of its bytes again, which laid out apart would not fit.
  std::vector<uint16_t> glyphs(131, 0);
  glyphs[1] = 262;
  std::vector<uint8_t> overlap;
  for (uint16_t v : {0, 2, 1, 0}) put_u16(overlap, v);
  put_u32(overlap, 20);
  for (uint16_t v : {3, 0}) put_u16(overlap, v);
  put_u32(overlap, 30);
  put_bytes(overlap, cmap_format6(0, glyphs));
  const struct {
    std::vector<uint8_t> table;
    std::string why;
  } cases[] = {
      {{0, 0, 0, 2, 0, 3, 0, 1, 0, 0, 0, 12}, "its encoding records reach past its end"},
      {far_offset, "a subtable starts past its end"},
      {length_outside, "a subtable's length field lies past its end"},
      {unknown, "subtable format 7 is not known"},
      {shortened(10), "a subtable reaches past its end"},
      {shortened(f4.size() + 1), "the correction would make a subtable's length negative"},
      {empty_f0, "a subtable is too short to hold its own length field"},
      {overlap, "its subtables overlap, so laid out apart they would outgrow the table"},
  };
  for (const auto& c : cases)
    expect_cmap_pass(c.table, "  cmap table left unchanged: " + c.why + ".\n", c.table);
}

}  // namespace
