// Every cmap subtable builder, read back through FreeType: each code maps to its glyph and
// no other code maps to anything.
#include <gtest/gtest.h>

#include <algorithm>

#include "fontgen/sample_font.h"
#include "fontgen/tables.h"
#include "support/freetype_face.h"

namespace {

std::vector<uint8_t> font_with_cmap(const std::vector<uint8_t>& cmap) {
  std::vector<font_table> tables = sample_font_tables();
  const auto it = std::find_if(tables.begin(), tables.end(),
                               [](const font_table& t) { return t.tag == "cmap"; });
  it->bytes = cmap;
  return build_sfnt(tables);
}

FT_CharMap find_charmap(FT_Face face, FT_UShort platform, FT_UShort encoding) {
  for (FT_Int i = 0; i < face->num_charmaps; ++i) {
    FT_CharMap m = face->charmaps[i];
    if (m->platform_id == platform && m->encoding_id == encoding) return m;
  }
  return nullptr;
}

template <typename Map>
void expect_exact_mapping(FT_Face face, FT_UShort platform, FT_UShort encoding, const Map& glyphs,
                          uint32_t last_code) {
  SCOPED_TRACE(testing::Message() << "charmap " << platform << "/" << encoding);
  FT_CharMap charmap = find_charmap(face, platform, encoding);
  ASSERT_NE(charmap, nullptr);
  ASSERT_EQ(FT_Set_Charmap(face, charmap), 0);
  int wrong = 0;
  for (uint32_t code = 0; code <= last_code && wrong < 5; ++code) {
    const auto it = glyphs.find(static_cast<typename Map::key_type>(code));
    const FT_UInt expected = it == glyphs.end() ? 0 : it->second;
    const FT_UInt got = FT_Get_Char_Index(face, code);
    if (got != expected) ++wrong;
    EXPECT_EQ(got, expected) << "code 0x" << std::hex << code;
  }
}

TEST(CmapBuilders, EveryFormatMapsExactlyThroughFreeType) {
  // Runs of consecutive glyphs, lone codes, glyphs going backwards, and the very top code.
  const std::map<uint16_t, uint16_t> bmp = {{0x00, 1},   {0x20, 1},  {0x41, 2},   {0x42, 3},
                                            {0x43, 2},   {0x44, 5},  {0x3042, 4}, {0x3043, 5},
                                            {0xFF71, 5}, {0xFFFE, 3}};
  const std::map<uint8_t, uint16_t> roman = {{0x20, 1}, {0x41, 2}, {0xB1, 5}, {0xFF, 4}};
  const std::map<uint32_t, uint32_t> wide = {{0x20, 1},    {0x41, 2},    {0x42, 3},
                                             {0x1F600, 4}, {0x1F601, 5}, {0x10FFFF, 1}};
  const std::map<uint32_t, uint32_t> mixed = {{0x41, 2}, {0x42, 3}, {0xFF71, 5}};
  const std::vector<uint16_t> six = {1, 0, 2, 3};
  const std::vector<uint8_t> font = font_with_cmap(build_cmap_table(
      {{0, 3, 0}, {0, 4, 1}, {0, 5, 2}, {1, 0, 3}, {1, 1, 4}, {3, 1, 0}, {3, 10, 5}},
      {cmap_format4(bmp), cmap_format12(wide),
       cmap_format14_default_uvs({{0xFE00, {0x41, 0x3042}}, {0xE0100, {0x3042}}}),
       cmap_format0(roman), cmap_format6(0x40, six), cmap_format8(mixed)}));

  ft_library library = open_freetype();
  ASSERT_NE(library, nullptr);
  ft_face face = open_face(library.get(), font);
  ASSERT_NE(face, nullptr);
  expect_exact_mapping(face.get(), 0, 3, bmp, 0xFFFF);
  expect_exact_mapping(face.get(), 3, 1, bmp, 0xFFFF);
  expect_exact_mapping(face.get(), 0, 4, wide, 0x10FFFF);
  expect_exact_mapping(face.get(), 1, 0, roman, 0xFF);
  const std::map<uint16_t, uint16_t> six_map = {{0x40, 1}, {0x42, 2}, {0x43, 3}};
  expect_exact_mapping(face.get(), 1, 1, six_map, 0xFFFF);
  expect_exact_mapping(face.get(), 3, 10, mixed, 0x1FFFF);

  ASSERT_EQ(FT_Set_Charmap(face.get(), find_charmap(face.get(), 3, 1)), 0);
  EXPECT_EQ(FT_Face_GetCharVariantIndex(face.get(), 0x3042, 0xFE00), 4u);
  EXPECT_EQ(FT_Face_GetCharVariantIsDefault(face.get(), 0x3042, 0xE0100), 1);
  EXPECT_EQ(FT_Face_GetCharVariantIsDefault(face.get(), 0x41, 0xFE00), 1);
  EXPECT_EQ(FT_Face_GetCharVariantIsDefault(face.get(), 0x42, 0xFE00), -1);
}

}  // namespace
