// Exact layouts of the table builders: the fixer's tests read fields at these offsets.
#include <gtest/gtest.h>

#include "fontgen/tables.h"
#include "sfnt/byte_fields.h"

namespace {

uint16_t u16(const std::vector<uint8_t>& b, size_t at) {
  EXPECT_LE(at + 2, b.size());
  return at + 2 <= b.size() ? read_uint16(b.data() + at) : 0;
}
uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
  EXPECT_LE(at + 4, b.size());
  return at + 4 <= b.size() ? read_uint32(b.data() + at) : 0;
}

TEST(NameTable, RecordsInGivenOrderAndStringsBackToBack) {
  const std::vector<uint8_t> t = build_name_table(
      {{3, 1, 0x409, 4, utf16be("Ab")}, {1, 0, 0, 1, bytes_of("\x83\x54")}, {1, 0, 0, 2, {}}});
  EXPECT_EQ(u16(t, 0), 0);
  EXPECT_EQ(u16(t, 2), 3);
  EXPECT_EQ(u16(t, 4), 6 + 12 * 3);
  // Record 0: (3,1,0x409,4), length 4 at offset 0; record 1 follows its string at 4.
  EXPECT_EQ(u16(t, 6), 3);
  EXPECT_EQ(u16(t, 10), 0x409);
  EXPECT_EQ(u16(t, 12), 4);
  EXPECT_EQ(u16(t, 14), 4);
  EXPECT_EQ(u16(t, 16), 0);
  EXPECT_EQ(u16(t, 18 + 6), 1);
  EXPECT_EQ(u16(t, 18 + 8), 2);
  EXPECT_EQ(u16(t, 18 + 10), 4);
  EXPECT_EQ(u16(t, 30 + 8), 0);  // the empty string
  EXPECT_EQ(u16(t, 30 + 10), 6);
  const std::vector<uint8_t> strings(t.begin() + 42, t.end());
  EXPECT_EQ(strings, (std::vector<uint8_t>{0, 'A', 0, 'b', 0x83, 0x54}));
  EXPECT_EQ(build_name_table({}), (std::vector<uint8_t>{0, 0, 0, 0, 0, 6}));
}

TEST(CmapTable, SharedSubtablesAreStoredOnceBackToBack) {
  const std::vector<uint8_t> a = {0, 6, 0, 12, 0, 0, 0, 0, 0, 1, 0, 0};
  const std::vector<uint8_t> b = {0, 0, 1, 6};
  const std::vector<uint8_t> t = build_cmap_table({{0, 3, 1}, {1, 0, 0}, {3, 1, 1}}, {a, b});
  EXPECT_EQ(u16(t, 0), 0);
  EXPECT_EQ(u16(t, 2), 3);
  EXPECT_EQ(u16(t, 4), 0);
  EXPECT_EQ(u16(t, 6), 3);
  EXPECT_EQ(u32(t, 8), 28u + 12);
  EXPECT_EQ(u32(t, 16), 28u);
  EXPECT_EQ(u16(t, 20), 3);
  EXPECT_EQ(u32(t, 24), 28u + 12);
  ASSERT_EQ(t.size(), 28u + 12 + 4);
  EXPECT_EQ(std::vector<uint8_t>(t.begin() + 28, t.begin() + 40), a);
  EXPECT_EQ(std::vector<uint8_t>(t.begin() + 40, t.end()), b);
}

TEST(CmapSubtables, LengthAndCountFields) {
  const std::vector<uint8_t> f0 = cmap_format0({{0x41, 7}});
  ASSERT_EQ(f0.size(), 262u);
  EXPECT_EQ(u16(f0, 2), 262);
  EXPECT_EQ(f0[6 + 0x41], 7);
  EXPECT_EQ(f0[6 + 0x42], 0);

  const std::vector<uint8_t> f6 = cmap_format6(0, std::vector<uint16_t>(256, 1));
  ASSERT_EQ(f6.size(), 10u + 512);
  EXPECT_EQ(u16(f6, 0), 6);
  EXPECT_EQ(u16(f6, 2), 522);
  EXPECT_EQ(u16(f6, 6), 0);
  EXPECT_EQ(u16(f6, 8), 256);

  const std::vector<uint8_t> f8 = cmap_format8({{0x41, 2}, {0x42, 3}});
  EXPECT_EQ(u16(f8, 0), 8);
  EXPECT_EQ(u32(f8, 4), f8.size());
  EXPECT_EQ(u32(f8, 12 + 8192), 1u);

  const std::vector<uint8_t> f12 = cmap_format12({{0x41, 2}, {0x42, 3}, {0x1F600, 4}});
  EXPECT_EQ(u32(f12, 4), f12.size());
  EXPECT_EQ(u32(f12, 12), 2u);
  EXPECT_EQ(u32(f12, 16 + 12), 0x1F600u);

  const std::vector<uint8_t> f14 = cmap_format14_default_uvs({{0xFE00, {0x3042, 0x41}}});
  EXPECT_EQ(u16(f14, 0), 14);
  EXPECT_EQ(u32(f14, 2), f14.size());
  EXPECT_EQ(u32(f14, 6), 1u);
  ASSERT_EQ(f14.size(), 10u + 11 + 4 + 2 * 4);
  EXPECT_EQ(u32(f14, 21), 2u);
  EXPECT_EQ(u32(f14, 25) >> 8, 0x41u);  // bases sorted
}

TEST(CmapSubtables, Format4SearchFieldsFollowTheSegmentCount) {
  struct expected {
    std::map<uint16_t, uint16_t> glyphs;
    uint16_t seg_x2, search_range, entry_selector, range_shift;
  };
  const expected cases[] = {
      {{}, 2, 2, 0, 0},
      {{{0x41, 1}, {0x42, 2}}, 4, 4, 1, 0},
      {{{0x41, 1}, {0x43, 2}}, 6, 4, 1, 2},
      {{{1, 1}, {3, 2}, {5, 3}, {7, 4}}, 10, 8, 2, 2},
      {{{0x41, 1}, {0x42, 3}, {0xFFFF, 4}}, 6, 4, 1, 2},  // 0xFFFF closes the last segment
  };
  for (const expected& c : cases) {
    const std::vector<uint8_t> t = cmap_format4(c.glyphs);
    EXPECT_EQ(u16(t, 2), t.size());
    EXPECT_EQ(u16(t, 6), c.seg_x2);
    EXPECT_EQ(u16(t, 8), c.search_range);
    EXPECT_EQ(u16(t, 10), c.entry_selector);
    EXPECT_EQ(u16(t, 12), c.range_shift);
    EXPECT_EQ(t.size(), 16u + 4u * c.seg_x2);
    EXPECT_EQ(u16(t, 14 + c.seg_x2 - 2), 0xFFFF);  // last endCode
  }
}

TEST(FixedTables, FieldsAtTheirOffsets) {
  const std::vector<uint8_t> head = build_head_table(0x000B, 1, 2048, {-10, -20, 900, 800});
  ASSERT_EQ(head.size(), 54u);
  EXPECT_EQ(u32(head, 0), 0x00010000u);
  EXPECT_EQ(u32(head, 8), 0u);
  EXPECT_EQ(u32(head, 12), 0x5F0F3CF5u);
  EXPECT_EQ(u16(head, 16), 0x000B);
  EXPECT_EQ(u16(head, 18), 2048);
  EXPECT_EQ(static_cast<int16_t>(u16(head, 36)), -10);
  EXPECT_EQ(static_cast<int16_t>(u16(head, 42)), 800);
  EXPECT_EQ(u16(head, 50), 1);

  const std::vector<uint8_t> post = build_post_table(2);
  ASSERT_EQ(post.size(), 32u);
  EXPECT_EQ(u32(post, 0), 0x00030000u);
  EXPECT_EQ(u32(post, 12), 2u);
}

TEST(Outlines, GlyphsArePaddedAndLocaMatchesEitherFormat) {
  const glyph_outline box = {{{{0, 0}, {0, 10}, {20, 10}, {20, 0}}}};
  const std::vector<uint8_t> glyph = build_simple_glyph(box);
  ASSERT_EQ(glyph.size(), 10u + 2 + 2 + 4 + 8 + 8);
  EXPECT_EQ(u16(glyph, 0), 1);
  EXPECT_EQ(u16(glyph, 6), 20);
  EXPECT_EQ(u16(glyph, 10), 3);
  EXPECT_TRUE(build_simple_glyph({}).empty());

  const std::vector<std::vector<uint8_t>> glyphs = {{}, glyph, {1, 2}};
  const glyf_and_loca short_form = build_glyf_and_loca(glyphs, 0);
  EXPECT_EQ(short_form.glyf.size(), 40u);
  EXPECT_EQ(short_form.loca, (std::vector<uint8_t>{0, 0, 0, 0, 0, 18, 0, 20}));
  const glyf_and_loca long_form = build_glyf_and_loca(glyphs, 1);
  EXPECT_EQ(long_form.glyf, short_form.glyf);
  EXPECT_EQ(long_form.loca,
            (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 36, 0, 0, 0, 40}));

  const glyph_box u = union_box({{}, box, {{{{-5, 3}, {-5, 40}, {1, 40}}}}});
  EXPECT_EQ(u.x_min, -5);
  EXPECT_EQ(u.y_min, 0);
  EXPECT_EQ(u.x_max, 20);
  EXPECT_EQ(u.y_max, 40);
}

}  // namespace
