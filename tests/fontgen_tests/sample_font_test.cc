// The sample faces and collection load in FreeType with the names, glyphs, metrics and
// character mappings they were built with.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_TABLES_H

#include <string>

#include "fontgen/sample_font.h"
#include "sfnt/byte_fields.h"
#include "support/freetype_face.h"

namespace {

const uint16_t k_contours[sample_glyph_count] = {2, 0, 2, 3, 4, 3};
const FT_Pos k_advances[sample_glyph_count] = {500, 250, 600, 600, 1000, 500};

void expect_glyphs(FT_Face face) {
  ASSERT_EQ(face->num_glyphs, sample_glyph_count);
  for (FT_UInt g = 0; g < sample_glyph_count; ++g) {
    ASSERT_EQ(FT_Load_Glyph(face, g, FT_LOAD_NO_SCALE), 0) << "glyph " << g;
    EXPECT_EQ(face->glyph->outline.n_contours, k_contours[g]) << "glyph " << g;
    EXPECT_EQ(face->glyph->metrics.horiAdvance, k_advances[g]) << "glyph " << g;
  }
}

void expect_charmaps(FT_Face face, const sample_font_options& options) {
  ASSERT_EQ(face->num_charmaps, 3);
  const FT_UShort platforms[] = {0, 1, 3}, encodings[] = {3, 0, 1};
  for (FT_Int i = 0; i < 3; ++i) {
    FT_CharMap charmap = face->charmaps[i];
    ASSERT_EQ(charmap->platform_id, platforms[i]);
    ASSERT_EQ(charmap->encoding_id, encodings[i]);
    ASSERT_EQ(FT_Set_Charmap(face, charmap), 0);
    EXPECT_EQ(FT_Get_CMap_Format(charmap), i == 1 && options.mac_roman_format6_256 ? 6
                                           : i == 1                                ? 0
                                                                                   : 4);
    EXPECT_EQ(FT_Get_Char_Index(face, ' '), sample_space);
    EXPECT_EQ(FT_Get_Char_Index(face, 'A'), sample_latin_a);
    EXPECT_EQ(FT_Get_Char_Index(face, 'B'), sample_latin_b);
    EXPECT_EQ(FT_Get_Char_Index(face, 'C'), 0u);
    if (i == 1) {
      EXPECT_EQ(FT_Get_Char_Index(face, 0xB1),
                options.mac_roman_format6_256 ? sample_halfwidth_ka_a : sample_notdef);
    } else {
      EXPECT_EQ(FT_Get_Char_Index(face, 0x3042), sample_hiragana_a);
      EXPECT_EQ(FT_Get_Char_Index(face, 0xFF71), sample_halfwidth_ka_a);
      EXPECT_EQ(FT_Get_Char_Index(face, 0xB1), 0u);
    }
  }
}

void expect_fixed_fields(FT_Face face, const sample_font_options& options) {
  const auto* head = static_cast<const TT_Header*>(FT_Get_Sfnt_Table(face, FT_SFNT_HEAD));
  const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  ASSERT_TRUE(head && post && os2);
  EXPECT_EQ(head->Flags, options.head_flags);
  EXPECT_EQ(static_cast<uint32_t>(head->Font_Revision), options.font_revision);
  EXPECT_EQ(head->Index_To_Loc_Format, options.index_to_loc_format);
  EXPECT_EQ(post->isFixedPitch, options.is_fixed_pitch);
  EXPECT_EQ(FT_IS_FIXED_WIDTH(face) != 0, options.is_fixed_pitch != 0);
  EXPECT_EQ(os2->version, 4);
}

void expect_names(FT_Face face, const sample_font_options& options) {
  EXPECT_STREQ(face->family_name, options.family.c_str());
  EXPECT_STREQ(face->style_name, options.style.c_str());
  EXPECT_STREQ(FT_Get_Postscript_Name(face), sample_postscript_name(options).c_str());
  const auto ascii = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
  EXPECT_EQ(sfnt_name_bytes(face, 1, 0, 0, 1), options.mac_family.value_or(ascii(options.family)));
  EXPECT_EQ(sfnt_name_bytes(face, 1, 0, 0, 4), options.mac_full.value_or(ascii(options.full_name)));
  EXPECT_EQ(sfnt_name_bytes(face, 3, 1, 0x409, 4).empty(), !options.windows_names);
  EXPECT_EQ(FT_Get_Sfnt_Name_Count(face), options.windows_names ? 10u : 5u);
}

void expect_sample_face(FT_Face face, const sample_font_options& options) {
  ASSERT_NE(face, nullptr);
  expect_glyphs(face);
  expect_charmaps(face, options);
  expect_fixed_fields(face, options);
  expect_names(face, options);
}

std::vector<sample_font_options> option_variants() {
  std::vector<sample_font_options> variants(5);
  variants[1].index_to_loc_format = 1;
  variants[2].share_unicode_subtable = false;
  variants[3].windows_names = false;
  variants[3].family = "Other Face";
  variants[3].full_name = "Other Face Bold";
  variants[3].style = "Bold";
  variants[4].mac_roman_format6_256 = true;
  variants[4].is_fixed_pitch = 2;
  variants[4].head_flags = 0xFFFF;
  return variants;
}

TEST(SampleFont, EveryVariantLoadsWithItsNamesGlyphsAndCharmaps) {
  ft_library library = open_freetype();
  ASSERT_NE(library, nullptr);
  for (const sample_font_options& options : option_variants()) {
    SCOPED_TRACE(options.family + " loca " + std::to_string(options.index_to_loc_format));
    const std::vector<uint8_t> font = sample_font(options);
    ft_face face = open_face(library.get(), font);
    expect_sample_face(face.get(), options);
  }
}

// Table offsets of face `face` of a collection, by tag.
std::map<std::string, uint32_t> face_table_offsets(const std::vector<uint8_t>& ttc, size_t face) {
  std::map<std::string, uint32_t> offsets;
  const uint32_t at = read_uint32(ttc.data() + 12 + 4 * face);
  const uint16_t count = read_uint16(ttc.data() + at + 4);
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t* record = ttc.data() + at + 12 + 16 * i;
    offsets[std::string(record, record + 4)] = read_uint32(record + 8);
  }
  return offsets;
}

TEST(SampleCollection, BothFacesLoadAndShareAllButNameAndHead) {
  const std::vector<uint8_t> ttc = legacy_sample_collection();
  ft_library library = open_freetype();
  ASSERT_NE(library, nullptr);
  const legacy_face faces[] = {legacy_face::gothic, legacy_face::mincho};
  for (FT_Long i = 0; i < 2; ++i) {
    ft_face face = open_face(library.get(), ttc, i);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->num_faces, 2);
    expect_sample_face(face.get(), legacy_japanese_options(faces[i]));
  }
  ASSERT_GE(ttc.size(), 12u + 8 + 2 * (12 + 16 * 10));
  const std::map<std::string, uint32_t> gothic = face_table_offsets(ttc, 0);
  const std::map<std::string, uint32_t> mincho = face_table_offsets(ttc, 1);
  ASSERT_EQ(gothic.size(), 10u);
  for (const auto& [tag, offset] : gothic) {
    const bool own = tag == "name" || tag == "head";
    EXPECT_EQ(offset != mincho.at(tag), own) << tag;
  }
}

}  // namespace
