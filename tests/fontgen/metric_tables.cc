#include "fontgen/font_builder.h"
#include "fontgen/tables.h"

namespace {

// 2000-01-01T00:00:00Z in seconds since 1904-01-01, the epoch of the head dates.
constexpr uint32_t k_year_2000 = 3029529600u;

void put_i16(std::vector<uint8_t>& out, int16_t v) {
  put_u16(out, static_cast<uint16_t>(v));
}

void put_date(std::vector<uint8_t>& out) {
  put_u32(out, 0);
  put_u32(out, k_year_2000);
}

}  // namespace

std::vector<uint8_t> build_head_table(uint16_t flags, int16_t index_to_loc_format,
                                      uint16_t units_per_em, const glyph_box& box,
                                      uint32_t font_revision) {
  std::vector<uint8_t> out;
  put_u32(out, 0x00010000);
  put_u32(out, font_revision);
  put_u32(out, 0);  // checkSumAdjustment
  put_u32(out, 0x5F0F3CF5);
  put_u16(out, flags);
  put_u16(out, units_per_em);
  put_date(out);  // created
  put_date(out);  // modified
  put_i16(out, box.x_min);
  put_i16(out, box.y_min);
  put_i16(out, box.x_max);
  put_i16(out, box.y_max);
  put_u16(out, 0);  // macStyle
  put_u16(out, 8);  // lowestRecPPEM
  put_i16(out, 2);  // fontDirectionHint
  put_i16(out, index_to_loc_format);
  put_i16(out, 0);  // glyphDataFormat
  return out;
}

std::vector<uint8_t> build_post_table(uint32_t is_fixed_pitch) {
  std::vector<uint8_t> out;
  put_u32(out, 0x00030000);
  put_u32(out, 0);  // italicAngle
  put_i16(out, -100);
  put_i16(out, 50);
  put_u32(out, is_fixed_pitch);
  for (int i = 0; i < 4; ++i) put_u32(out, 0);  // memory usage hints
  return out;
}

std::vector<uint8_t> build_hhea_table(const hhea_fields& fields) {
  std::vector<uint8_t> out;
  put_u32(out, 0x00010000);
  put_i16(out, fields.ascender);
  put_i16(out, fields.descender);
  put_i16(out, fields.line_gap);
  put_u16(out, fields.advance_width_max);
  put_i16(out, fields.min_left_side_bearing);
  put_i16(out, fields.min_right_side_bearing);
  put_i16(out, fields.x_max_extent);
  put_i16(out, 1);  // caretSlopeRise
  put_i16(out, 0);  // caretSlopeRun
  put_i16(out, 0);  // caretOffset
  for (int i = 0; i < 4; ++i) put_i16(out, 0);
  put_i16(out, 0);  // metricDataFormat
  put_u16(out, fields.number_of_h_metrics);
  return out;
}

std::vector<uint8_t> build_maxp_table(uint16_t num_glyphs, uint16_t max_points,
                                      uint16_t max_contours) {
  std::vector<uint8_t> out;
  put_u32(out, 0x00010000);
  put_u16(out, num_glyphs);
  put_u16(out, max_points);
  put_u16(out, max_contours);
  put_u16(out, 0);                              // maxComponentPoints
  put_u16(out, 0);                              // maxComponentContours
  put_u16(out, 2);                              // maxZones
  for (int i = 0; i < 8; ++i) put_u16(out, 0);  // twilight points .. component depth
  return out;
}

std::vector<uint8_t> build_os2_table(const os2_fields& fields) {
  std::vector<uint8_t> out;
  put_u16(out, 4);
  put_i16(out, fields.avg_char_width);
  put_u16(out, fields.weight_class);
  put_u16(out, 5);                                                        // usWidthClass: medium
  put_u16(out, 0);                                                        // fsType: installable
  for (int16_t v : {650, 600, 0, 75, 650, 600, 0, 350}) put_i16(out, v);  // sub/superscript
  put_i16(out, 50);                                                       // yStrikeoutSize
  put_i16(out, 250);                                                      // yStrikeoutPosition
  put_i16(out, 0);                                                        // sFamilyClass
  for (int i = 0; i < 10; ++i) put_u8(out, 0);                            // PANOSE: any
  for (uint32_t r : fields.unicode_range) put_u32(out, r);
  put_tag(out, "NONE");
  put_u16(out, fields.fs_selection);
  put_u16(out, fields.first_char_index);
  put_u16(out, fields.last_char_index);
  put_i16(out, fields.typo_ascender);
  put_i16(out, fields.typo_descender);
  put_i16(out, fields.typo_line_gap);
  put_u16(out, fields.win_ascent);
  put_u16(out, fields.win_descent);
  for (uint32_t r : fields.code_page_range) put_u32(out, r);
  put_i16(out, fields.x_height);
  put_i16(out, fields.cap_height);
  put_u16(out, 0);     // usDefaultChar
  put_u16(out, 0x20);  // usBreakChar
  put_u16(out, 1);     // usMaxContext
  return out;
}
