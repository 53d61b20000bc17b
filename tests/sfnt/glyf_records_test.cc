// A glyph's record is its exact structure: the rules that give its length, and the division
// of a glyph table by loca.
#include <gtest/gtest.h>

#include "fontgen/font_builder.h"
#include "fontgen/tables.h"
#include "sfnt/glyf_records.h"

namespace {

std::vector<uint8_t> header(int16_t contours) {
  std::vector<uint8_t> out;
  put_u16(out, static_cast<uint16_t>(contours));
  for (int i = 0; i < 4; ++i) put_u16(out, 0);
  return out;
}

// Simple glyph, one contour of `points`, 2 bytes of instructions (16 bytes so far), then
// `flags` as given and `coordinates` bytes.
std::vector<uint8_t> simple(uint16_t points, const std::vector<uint8_t>& flags,
                            size_t coordinates) {
  std::vector<uint8_t> out = header(1);
  put_u16(out, static_cast<uint16_t>(points - 1));
  put_u16(out, 2);
  put_bytes(out, {0xB0, 0x00});
  put_bytes(out, flags);
  out.resize(out.size() + coordinates, 0x11);
  return out;
}

// A composite glyph of components with these flags (the last has MORE_COMPONENTS clear).
std::vector<uint8_t> composite(const std::vector<uint16_t>& flags, size_t instructions) {
  std::vector<uint8_t> out = header(-1);
  for (size_t i = 0; i < flags.size(); ++i) {
    put_u16(out, static_cast<uint16_t>(flags[i] | (i + 1 < flags.size() ? 0x20 : 0)));
    put_u16(out, 1);
    size_t rest = (flags[i] & 1) ? 4 : 2;
    if (flags[i] & 0x08)
      rest += 2;
    else if (flags[i] & 0x40)
      rest += 4;
    else if (flags[i] & 0x80)
      rest += 8;
    out.resize(out.size() + rest, 0);
  }
  if (instructions > 0) {
    put_u16(out, static_cast<uint16_t>(instructions));
    out.resize(out.size() + instructions, 0xB0);
  }
  return out;
}

std::vector<uint8_t> plus(std::vector<uint8_t> bytes, std::vector<uint8_t> more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
  return bytes;
}

}  // namespace

TEST(GlyfRecords, LengthComesFromTheGlyphsStructure) {
  const std::vector<uint8_t> trailing = {0xAA, 0xBB, 0xCC, 0xDD, 0xEE};
  const std::vector<uint8_t> real =
      build_simple_glyph({{{{0, 0}, {0, 700}, {500, 700}, {500, 0}}}});
  const std::vector<uint8_t> lone = simple(1, {0x01}, 4);
  struct length_case {
    const char* what;
    std::vector<uint8_t> glyph;
    size_t length;
  };
  const std::vector<length_case> cases = {
      {"simple glyph from the test font writer", real, real.size()},
      // x short (1) + y short (1); x same (0) + y 2 bytes; x 2 + y same; both same
      {"short and repeated coordinates", simple(5, {0x02 | 0x04 | 0x08, 1, 0x10, 0x20, 0x30}, 8),
       16 + 5 + 8},
      {"flag repeat counts points", simple(4, {0x02 | 0x04 | 0x08, 3}, 8), 16 + 2 + 8},
      {"byte-sized arguments", composite({0x0000}, 0), 10 + 6},
      {"word arguments", composite({0x0001}, 0), 10 + 8},
      {"scale, x and y scale, two by two", composite({0x0008, 0x0040, 0x0080}, 0),
       10 + 8 + 10 + 14},
      {"instructions after the last component", composite({0x0001, 0x0100}, 3), 10 + 8 + 6 + 5},
  };
  for (const length_case& c : cases) {
    EXPECT_EQ(glyph_structure_length(plus(c.glyph, trailing)), c.length) << c.what;
    EXPECT_EQ(glyph_structure_length(c.glyph), c.length) << c.what;
    // One byte short of its structure, the glyph does not parse.
    EXPECT_EQ(glyph_structure_length(std::vector<uint8_t>(c.glyph.begin(), c.glyph.end() - 1)),
              std::nullopt)
        << c.what;
  }
  EXPECT_EQ(glyph_structure_length(plus(header(0), trailing)), std::nullopt);
  EXPECT_EQ(glyph_structure_length(plus(header(-2), composite({0}, 0))), std::nullopt);
  // A repeat that runs past the last point.
  EXPECT_EQ(glyph_structure_length(plus(simple(2, {0x08, 5}, 0), trailing)), std::nullopt);
  EXPECT_EQ(glyph_structure_length(lone), 16 + 1 + 4);
}

TEST(GlyfRecords, LocaDividesTheTableAndBadSpansAreKeptWhole) {
  const std::vector<uint8_t> a = simple(1, {0x01}, 4);  // 21 bytes
  const std::vector<uint8_t> broken = header(0);        // no outline to parse
  std::vector<uint8_t> glyf = plus(a, {1, 2, 3});       // record, then foreign bytes
  glyf = plus(glyf, broken);
  std::vector<uint8_t> loca;
  for (const uint16_t offset : {0, 24, 24, 34}) put_u16(loca, offset / 2);
  const glyf_shape shape{3, false};
  const auto records = read_glyf_records(glyf, loca, shape);
  ASSERT_TRUE(records);
  ASSERT_EQ(records->size(), 3u);
  EXPECT_EQ(std::vector<uint8_t>((*records)[0].bytes.begin(), (*records)[0].bytes.end()), a);
  EXPECT_EQ((*records)[0].span_length, 24u);
  EXPECT_TRUE((*records)[1].parsed && (*records)[1].bytes.empty());
  EXPECT_FALSE((*records)[2].parsed);
  EXPECT_EQ((*records)[2].bytes.size(), broken.size());

  struct refused_case {
    const char* what;
    std::vector<uint16_t> offsets;
  };
  const std::vector<refused_case> refused = {
      {"descending", {0, 24, 12, 34}},
      {"past the end of glyf", {0, 24, 24, 36}},
      {"too few entries", {0, 24, 24}},
  };
  for (const refused_case& c : refused) {
    std::vector<uint8_t> bad;
    for (const uint16_t offset : c.offsets) put_u16(bad, offset / 2);
    EXPECT_FALSE(read_glyf_records(glyf, bad, shape)) << c.what;
  }
}
