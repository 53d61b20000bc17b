// Builders of the bytes of single TrueType tables (name, cmap and its subtables, head, post,
// hhea, maxp, OS/2, hmtx, glyf and loca), big-endian and laid out exactly as documented here,
// so that tests can state the table they feed a program and the bytes they expect back.
#pragma once

#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

// ---- name ----

struct name_record_spec {
  uint16_t platform_id = 0;
  uint16_t encoding_id = 0;
  uint16_t language_id = 0;
  uint16_t name_id = 0;
  std::vector<uint8_t> bytes;  // the string exactly as stored
};

// Format 0: format, count, stringOffset = 6 + 12 * count, the records in the given order
// (not sorted), then the strings back to back in record order with no sharing.
std::vector<uint8_t> build_name_table(const std::vector<name_record_spec>& records);

// UTF-16BE of an ASCII text, as Windows and Unicode name records hold it.
std::vector<uint8_t> utf16be(std::string_view ascii);
// The raw bytes of `raw` (for Mac Roman, Shift-JIS or deliberately broken names).
std::vector<uint8_t> bytes_of(std::string_view raw);

// ---- cmap ----

struct cmap_record_spec {
  uint16_t platform_id = 0;
  uint16_t encoding_id = 0;
  size_t subtable = 0;  // index into the subtable list; several records may share one
};

// Version 0, the encoding records as given, then the subtables back to back in list order
// (each stored once, however many records point at it). A subtable that no record names is
// still stored.
std::vector<uint8_t> build_cmap_table(const std::vector<cmap_record_spec>& records,
                                      const std::vector<std::vector<uint8_t>>& subtables);

// Subtables; `glyphs` maps character codes to glyph IDs, language is 0.
// Format 0: 262 bytes, codes missing from the map give glyph 0.
std::vector<uint8_t> cmap_format0(const std::map<uint8_t, uint16_t>& glyphs);
// Format 4: one segment per run of consecutive codes with consecutive glyphs (idDelta,
// idRangeOffset 0), then the 0xFFFF end segment; searchRange, entrySelector and rangeShift
// derived from the segment count.
std::vector<uint8_t> cmap_format4(const std::map<uint16_t, uint16_t>& glyphs);
// Format 6: firstCode, entryCount = glyphs.size(), the glyph array as given.
std::vector<uint8_t> cmap_format6(uint16_t first_code, const std::vector<uint16_t>& glyphs);
// Format 8 with an all-zero is32 array: every code must fit 16 bits; groups as in format 12.
std::vector<uint8_t> cmap_format8(const std::map<uint32_t, uint32_t>& glyphs);
// Format 12: one sequential group per run of consecutive codes with consecutive glyphs.
std::vector<uint8_t> cmap_format12(const std::map<uint32_t, uint32_t>& glyphs);
// Format 14 with default UVS tables only: variation selector -> base characters that take
// their default glyph with it (each list sorted, ranges of one character each).
std::vector<uint8_t> cmap_format14_default_uvs(
    const std::map<uint32_t, std::vector<uint32_t>>& bases_by_selector);

// ---- outlines: glyf, loca, hmtx ----

struct glyph_point {
  int16_t x = 0;
  int16_t y = 0;
};

struct glyph_box {
  int16_t x_min = 0, y_min = 0, x_max = 0, y_max = 0;
};

// A glyph of straight on-curve contours only (TrueType: outer contours clockwise). No
// contours gives the empty glyph (zero bytes, as for a space).
struct glyph_outline {
  std::vector<std::vector<glyph_point>> contours;
};

// The bounding box of the outline's points; all zero for an empty glyph.
glyph_box outline_box(const glyph_outline& outline);
// The union of the boxes of the non-empty outlines.
glyph_box union_box(const std::vector<glyph_outline>& outlines);
// The glyf bytes of one simple glyph: header with its box, endPtsOfContours, no
// instructions, one flag byte per point (on-curve, 16-bit deltas). Empty for no contours.
std::vector<uint8_t> build_simple_glyph(const glyph_outline& outline);

struct glyf_and_loca {
  std::vector<uint8_t> glyf;
  std::vector<uint8_t> loca;
};

// Glyphs stored back to back, each padded to 4 bytes; loca short (offsets / 2, format 0)
// or long (format 1), with glyphs.size() + 1 entries.
glyf_and_loca build_glyf_and_loca(const std::vector<std::vector<uint8_t>>& glyphs,
                                  int16_t index_to_loc_format);

struct horizontal_metric {
  uint16_t advance_width = 0;
  int16_t left_side_bearing = 0;
};

// A longHorMetric for every glyph (numberOfHMetrics = metrics.size()).
std::vector<uint8_t> build_hmtx_table(const std::vector<horizontal_metric>& metrics);

// ---- fixed-layout tables ----

// 54 bytes: version 1.0, the given fontRevision, checkSumAdjustment 0, magic 0x5F0F3CF5,
// created and modified 2000-01-01, macStyle 0, lowestRecPPEM 8, fontDirectionHint 2,
// glyphDataFormat 0.
std::vector<uint8_t> build_head_table(uint16_t flags, int16_t index_to_loc_format,
                                      uint16_t units_per_em = 1000, const glyph_box& box = {},
                                      uint32_t font_revision = 0x00010000);

// 32 bytes: version 3.0 (no glyph names), italicAngle 0, underline -100/50, the given
// isFixedPitch, memory fields 0.
std::vector<uint8_t> build_post_table(uint32_t is_fixed_pitch);

struct hhea_fields {
  int16_t ascender = 880;
  int16_t descender = -120;
  int16_t line_gap = 0;
  uint16_t advance_width_max = 0;
  int16_t min_left_side_bearing = 0;
  int16_t min_right_side_bearing = 0;
  int16_t x_max_extent = 0;
  uint16_t number_of_h_metrics = 0;
};

// 36 bytes: version 1.0, caret vertical, metricDataFormat 0.
std::vector<uint8_t> build_hhea_table(const hhea_fields& fields);

// 32 bytes, version 1.0: the counts given, maxZones 2, no instructions or components.
std::vector<uint8_t> build_maxp_table(uint16_t num_glyphs, uint16_t max_points,
                                      uint16_t max_contours);

struct os2_fields {
  int16_t avg_char_width = 500;
  uint16_t weight_class = 400;
  uint16_t fs_selection = 0x0040;  // REGULAR
  uint32_t unicode_range[4] = {1, 0, 0, 0};
  uint32_t code_page_range[2] = {1, 0};
  uint16_t first_char_index = 0x20;
  uint16_t last_char_index = 0x7E;
  int16_t typo_ascender = 880;
  int16_t typo_descender = -120;
  int16_t typo_line_gap = 0;
  uint16_t win_ascent = 880;
  uint16_t win_descent = 120;
  int16_t x_height = 500;
  int16_t cap_height = 700;
};

// 96 bytes, version 4: the fields above, the rest fixed sane values (width class 5,
// fsType 0, vendor "NONE", PANOSE all 0, default char 0, break char 0x20, context 1).
std::vector<uint8_t> build_os2_table(const os2_fields& fields);
