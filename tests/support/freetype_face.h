// FreeType faces opened from bytes in memory, for checking that the built fonts load and
// map characters the way they were meant to.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct ft_library_closer {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct ft_face_closer {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using ft_library = std::unique_ptr<FT_LibraryRec_, ft_library_closer>;
using ft_face = std::unique_ptr<FT_FaceRec_, ft_face_closer>;

// A FreeType instance, or null when it cannot start.
ft_library open_freetype();

// Face `index` of `bytes`, or null when FreeType refuses it. `bytes` must outlive the face.
ft_face open_face(FT_Library library, const std::vector<uint8_t>& bytes, FT_Long index = 0);

// The raw bytes of the name record (platform, encoding, language, name ID); empty if none.
std::vector<uint8_t> sfnt_name_bytes(FT_Face face, uint16_t platform_id, uint16_t encoding_id,
                                     uint16_t language_id, uint16_t name_id);

// Every character of charmap `index` and its glyph, walked in FreeType's order; leaves that
// charmap selected.
std::map<FT_ULong, FT_UInt> charmap_contents(FT_Face face, int index);

// What FreeType makes of every glyph of face `index` of `font`, one string per glyph ID:
// its outline in font units, then its hinted bitmap at 16 pixels per em (or the load
// error); just "refused" when FreeType refuses the face. Two faces whose renderings are
// equal draw every glyph identically.
std::vector<std::string> glyph_renderings(const std::vector<uint8_t>& font, long index);
