// A small but valid TrueType face with real outlines (.notdef, space, A, B, U+3042 and the
// half-width katakana U+FF71), in a plain form and in the form of the old Japanese fonts
// the programs repair, plus the two-face collection made of the latter.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fontgen/font_builder.h"

// Glyph IDs of the sample face.
enum sample_glyph : uint16_t {
  sample_notdef = 0,
  sample_space = 1,
  sample_latin_a = 2,
  sample_latin_b = 3,
  sample_hiragana_a = 4,      // U+3042
  sample_halfwidth_ka_a = 5,  // U+FF71, Shift-JIS single byte 0xB1
  sample_glyph_count = 6,
};

struct sample_font_options {
  std::string family = "Sample Gothic";
  std::string full_name = "Sample Gothic Regular";
  std::string style = "Regular";
  // Raw bytes of the Macintosh Roman English family (1,0,0,1) and full name (1,0,0,4);
  // when absent the ASCII names above are stored.
  std::optional<std::vector<uint8_t>> mac_family;
  std::optional<std::vector<uint8_t>> mac_full;
  // Windows Unicode English records (3,1,0x409) for IDs 1, 2, 3, 4 and 6.
  bool windows_names = true;
  // The Macintosh Roman (1,0) subtable: format 6 with firstCode 0 and 256 entries, whose
  // upper half maps 0xB1 to the half-width katakana, instead of the usual format 0.
  bool mac_roman_format6_256 = false;
  // The 0/3 and 3/1 records point at one format 4 subtable, as in real fonts; when false
  // each gets its own identical copy.
  bool share_unicode_subtable = true;
  uint32_t is_fixed_pitch = 0;
  uint16_t head_flags = 0x0009;  // bit 1 (lsb at x = 0) clear
  uint32_t font_revision = 0x00010000;
  int16_t index_to_loc_format = 0;
};

// The tables in sorted tag order: OS/2 cmap glyf head hhea hmtx loca maxp name post.
// Name records are sorted: Macintosh Roman English IDs 1, 2, 3, 4, 6, then the Windows ones.
// cmap records: (0,3) format 4, (1,0) Mac Roman, (3,1) format 4.
std::vector<font_table> sample_font_tables(const sample_font_options& options = {});

// build_sfnt of sample_font_tables (checkSumAdjustment left 0).
std::vector<uint8_t> sample_font(const sample_font_options& options = {});

// PostScript name (ID 6) of the face: family and style without spaces, joined by '-'.
std::string sample_postscript_name(const sample_font_options& options);

enum class legacy_face { gothic, mincho };

// An old Japanese face: Shift-JIS family and full names in the Macintosh Roman English
// records, ASCII Windows English names, the 256-entry Mac Roman format 6 subtable,
// isFixedPitch 1 and head flags 0x000B. The two faces differ only in name and head
// (fontRevision 1.0 and 2.0), so a collection of both shares every other table.
sample_font_options legacy_japanese_options(legacy_face face = legacy_face::gothic);

// The collection of the Gothic and the Mincho legacy faces, as build_ttc writes it.
std::vector<uint8_t> legacy_sample_collection();
