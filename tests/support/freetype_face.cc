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
