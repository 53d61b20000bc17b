// FreeType, linked into the test, as a judge of an output face against the input face it
// came from.
#pragma once

#include <cstdint>
#include <vector>

// Expects face `out_face` of `out` to read in FreeType as face `in_face` of `in` does: both
// open, with the same glyph count, family and style, and the same charmaps, each mapping
// every character to the same glyph. When `mended`, a Macintosh Roman format 6 subtable of
// 256 entries is expected cut to its first 127.
void expect_freetype_same_face(const std::vector<uint8_t>& in, long in_face,
                               const std::vector<uint8_t>& out, long out_face, bool mended);
