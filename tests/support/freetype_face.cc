#include "support/freetype_face.h"

#include FT_SFNT_NAMES_H

ft_library open_freetype() {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return nullptr;
  return ft_library(library);
}

ft_face open_face(FT_Library library, const std::vector<uint8_t>& bytes, FT_Long index) {
  FT_Face face = nullptr;
  if (FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()), index, &face) !=
      0) {
    return nullptr;
  }
  return ft_face(face);
}

std::vector<uint8_t> sfnt_name_bytes(FT_Face face, uint16_t platform_id, uint16_t encoding_id,
                                     uint16_t language_id, uint16_t name_id) {
  const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
  for (FT_UInt i = 0; i < count; ++i) {
    FT_SfntName name;
    if (FT_Get_Sfnt_Name(face, i, &name) != 0) continue;
    if (name.platform_id == platform_id && name.encoding_id == encoding_id &&
        name.language_id == language_id && name.name_id == name_id) {
      return std::vector<uint8_t>(name.string, name.string + name.string_len);
    }
  }
  return {};
}

std::map<FT_ULong, FT_UInt> charmap_contents(FT_Face face, int index) {
  std::map<FT_ULong, FT_UInt> map;
  FT_Set_Charmap(face, face->charmaps[index]);
  FT_UInt glyph = 0;
  for (FT_ULong c = FT_Get_First_Char(face, &glyph); glyph != 0;
       c = FT_Get_Next_Char(face, c, &glyph))
    map[c] = glyph;
  return map;
}

namespace {

std::string outline_text(const FT_Outline& outline) {
  std::string text = std::to_string(outline.n_contours) + ":";
  for (short c = 0; c < outline.n_contours; ++c) text += std::to_string(outline.contours[c]) + ",";
  for (short p = 0; p < outline.n_points; ++p) {
    text += std::to_string(outline.points[p].x) + " " + std::to_string(outline.points[p].y) + " " +
            std::to_string(outline.tags[p] & 1) + ";";
  }
  return text;
}

std::string bitmap_text(const FT_Bitmap& bitmap) {
  std::string text = std::to_string(bitmap.width) + "x" + std::to_string(bitmap.rows) + ":";
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    const unsigned char* line = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
    text.append(reinterpret_cast<const char*>(line), bitmap.width);
  }
  return text;
}

}  // namespace

std::vector<std::string> glyph_renderings(const std::vector<uint8_t>& font, long index) {
  const ft_library library = open_freetype();
  const ft_face opened = library ? open_face(library.get(), font, index) : nullptr;
  if (!opened) return {"refused"};
  FT_Face face = opened.get();
  std::vector<std::string> glyphs;
  FT_Set_Pixel_Sizes(face, 0, 16);
  for (FT_Long glyph = 0; glyph < face->num_glyphs; ++glyph) {
    const auto id = static_cast<FT_UInt>(glyph);
    std::string text;
    if (const FT_Error error = FT_Load_Glyph(face, id, FT_LOAD_NO_SCALE); error != 0)
      text = "error " + std::to_string(error);
    else
      text = outline_text(face->glyph->outline);
    if (const FT_Error error = FT_Load_Glyph(face, id, FT_LOAD_RENDER); error != 0)
      text += "|error " + std::to_string(error);
    else
      text += "|" + bitmap_text(face->glyph->bitmap);
    glyphs.push_back(std::move(text));
  }
  return glyphs;
}
