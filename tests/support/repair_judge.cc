#include "support/repair_judge.h"

#include "support/freetype_face.h"

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace {

uint32_t be(const std::vector<uint8_t>& b, size_t at, size_t width) {
  uint32_t v = 0;
  for (size_t i = 0; i < width; ++i) v = v << 8 | b.at(at + i);
  return v;
}

// The first code the repair drops from the face's Macintosh Roman format 6 subtable (its
// firstCode + 127), when it has one of 256 entries.
std::optional<FT_ULong> first_cut_code(FT_Face face) {
  FT_ULong length = 0;
  if (FT_Load_Sfnt_Table(face, TTAG_cmap, 0, nullptr, &length) != 0) return std::nullopt;
  std::vector<uint8_t> cmap(length);
  FT_Load_Sfnt_Table(face, TTAG_cmap, 0, cmap.data(), &length);
  for (size_t i = 0; i < be(cmap, 2, 2); ++i) {
    const size_t record = 4 + 8 * i;
    if (be(cmap, record, 2) != 1 || be(cmap, record + 2, 2) != 0) continue;
    const size_t at = be(cmap, record + 4, 4);
    if (be(cmap, at, 2) == 6 && be(cmap, at + 8, 2) == 256) return be(cmap, at + 6, 2) + 127;
  }
  return std::nullopt;
}

bool is_mac_roman_format6(FT_CharMap charmap) {
  return charmap->platform_id == 1 && charmap->encoding_id == 0 && FT_Get_CMap_Format(charmap) == 6;
}

// Every character of the input's charmap maps to the same glyph in the output's (or to
// none past `cut`), and the output maps nothing the input did not.
void expect_same_mapping(FT_Face in, FT_Face out, int index, std::optional<FT_ULong> cut) {
  SCOPED_TRACE("charmap " + std::to_string(index));
  ASSERT_EQ(in->charmaps[index]->platform_id, out->charmaps[index]->platform_id);
  ASSERT_EQ(in->charmaps[index]->encoding_id, out->charmaps[index]->encoding_id);
  const std::map<FT_ULong, FT_UInt> before = charmap_contents(in, index);
  const std::map<FT_ULong, FT_UInt> after = charmap_contents(out, index);
  size_t changed = 0;
  std::string example;
  for (const auto& [code, glyph] : before) {
    const auto found = after.find(code);
    const FT_UInt now = found == after.end() ? 0 : found->second;
    if (now == (cut && code >= *cut ? 0 : glyph)) continue;
    if (changed++ == 0)
      example = "code " + std::to_string(code) + " now maps to " + std::to_string(now);
  }
  for (const auto& [code, glyph] : after) {
    if (before.count(code) == 0 && changed++ == 0)
      example = "code " + std::to_string(code) + " is new";
  }
  EXPECT_EQ(changed, 0u) << "of " << before.size() << " characters; first: " << example;
}

std::string text(const char* s) {
  return s ? s : "";
}

}  // namespace

void expect_freetype_same_face(const std::vector<uint8_t>& in, long in_face,
                               const std::vector<uint8_t>& out, long out_face, bool mended) {
  const ft_library library = open_freetype();
  ASSERT_NE(library, nullptr);
  FT_Library raw = library.get();
  const ft_face before = open_face(raw, in, in_face);
  ASSERT_TRUE(before) << "FreeType refuses the input face";
  const ft_face after = open_face(raw, out, out_face);
  ASSERT_TRUE(after) << "FreeType refuses the output face";
  EXPECT_EQ(after->num_glyphs, before->num_glyphs);
  EXPECT_EQ(text(after->family_name), text(before->family_name));
  EXPECT_EQ(text(after->style_name), text(before->style_name));
  ASSERT_EQ(after->num_charmaps, before->num_charmaps);
  const std::optional<FT_ULong> cut = mended ? first_cut_code(before.get()) : std::nullopt;
  for (int i = 0; i < before->num_charmaps; ++i) {
    const bool cut_here = cut && is_mac_roman_format6(before->charmaps[i]);
    expect_same_mapping(before.get(), after.get(), i, cut_here ? cut : std::nullopt);
  }
}

bool has_full_mac_roman(const std::vector<uint8_t>& font, long face) {
  const ft_library library = open_freetype();
  const ft_face opened = library ? open_face(library.get(), font, face) : nullptr;
  return opened && first_cut_code(opened.get()).has_value();
}

void expect_tables_kept(const face_view& in, const face_view& out, bool mended,
                        bool names_replaced) {
  ASSERT_EQ(out.tables.size(), in.tables.size());
  for (size_t i = 0; i < in.tables.size(); ++i) {
    const std::string& tag = in.tables[i].tag;
    SCOPED_TRACE("table " + tag);
    ASSERT_EQ(out.tables[i].tag, tag);
    if (mended && (tag == "cmap" || (tag == "name" && names_replaced))) continue;
    std::vector<uint8_t> expected = in.tables[i].bytes;
    if (mended && tag == "post" && expected.size() >= 16)
      std::fill(expected.begin() + 12, expected.begin() + 16, 0);
    if (mended && tag == "head" && expected.size() >= 18) expected[17] &= 0xFD;
    EXPECT_TRUE(out.tables[i].bytes == expected)
        << "bytes differ (" << expected.size() << " -> " << out.tables[i].bytes.size() << ")";
  }
}
