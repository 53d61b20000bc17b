// Judges of an output face against the input face it came from: FreeType's reading of it,
// and the bytes of its tables.
#pragma once

#include <cstdint>
#include <vector>

#include "support/stored_font.h"

// Expects face `out_face` of `out` to read in FreeType as face `in_face` of `in` does: both
// open, with the same glyph count, family and style, and the same charmaps, each mapping
// every character to the same glyph. When `mended`, a Macintosh Roman format 6 subtable of
// 256 entries is expected cut to its first 127.
void expect_freetype_same_face(const std::vector<uint8_t>& in, long in_face,
                               const std::vector<uint8_t>& out, long out_face, bool mended);

// True when face `face` of `font` has a Macintosh Roman format 6 subtable of 256 entries.
bool has_full_mac_roman(const std::vector<uint8_t>& font, long face);

// Expects `out` to hold `in`'s tables in the same order, each byte for byte but for what
// facemend may change when `mended`: post loses isFixedPitch, head bit 1 of its flags, and
// name its Shift-JIS Macintosh names (when `names_replaced`); cmap is left to FreeType.
void expect_tables_kept(const face_view& in, const face_view& out, bool mended,
                        bool names_replaced);
