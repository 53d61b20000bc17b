#include <algorithm>

#include "fontgen/font_builder.h"
#include "fontgen/tables.h"

glyph_box outline_box(const glyph_outline& outline) {
  glyph_box box;
  bool first = true;
  for (const auto& contour : outline.contours) {
    for (const glyph_point& p : contour) {
      if (first) {
        box = {p.x, p.y, p.x, p.y};
        first = false;
      }
      box.x_min = std::min(box.x_min, p.x);
      box.y_min = std::min(box.y_min, p.y);
      box.x_max = std::max(box.x_max, p.x);
      box.y_max = std::max(box.y_max, p.y);
    }
  }
  return box;
}

glyph_box union_box(const std::vector<glyph_outline>& outlines) {
  glyph_box box;
  bool first = true;
  for (const glyph_outline& outline : outlines) {
    if (outline.contours.empty()) continue;
    const glyph_box b = outline_box(outline);
    if (first) {
      box = b;
      first = false;
    }
    box.x_min = std::min(box.x_min, b.x_min);
    box.y_min = std::min(box.y_min, b.y_min);
    box.x_max = std::max(box.x_max, b.x_max);
    box.y_max = std::max(box.y_max, b.y_max);
  }
  return box;
}

std::vector<uint8_t> build_simple_glyph(const glyph_outline& outline) {
  std::vector<uint8_t> out;
  if (outline.contours.empty()) return out;
  const glyph_box box = outline_box(outline);
  put_u16(out, static_cast<uint16_t>(outline.contours.size()));
  put_u16(out, static_cast<uint16_t>(box.x_min));
  put_u16(out, static_cast<uint16_t>(box.y_min));
  put_u16(out, static_cast<uint16_t>(box.x_max));
  put_u16(out, static_cast<uint16_t>(box.y_max));
  std::vector<glyph_point> points;
  for (const auto& contour : outline.contours) {
    points.insert(points.end(), contour.begin(), contour.end());
    put_u16(out, static_cast<uint16_t>(points.size() - 1));
  }
  put_u16(out, 0);                                               // instructionLength
  for (size_t i = 0; i < points.size(); ++i) put_u8(out, 0x01);  // on curve, 16-bit deltas
  int16_t last = 0;
  for (const glyph_point& p : points) {
    put_u16(out, static_cast<uint16_t>(p.x - last));
    last = p.x;
  }
  last = 0;
  for (const glyph_point& p : points) {
    put_u16(out, static_cast<uint16_t>(p.y - last));
    last = p.y;
  }
  return out;
}

glyf_and_loca build_glyf_and_loca(const std::vector<std::vector<uint8_t>>& glyphs,
                                  int16_t index_to_loc_format) {
  glyf_and_loca out;
  const auto put_offset = [&](size_t offset) {
    if (index_to_loc_format == 0) {
      put_u16(out.loca, static_cast<uint16_t>(offset / 2));
    } else {
      put_u32(out.loca, static_cast<uint32_t>(offset));
    }
  };
  for (const std::vector<uint8_t>& glyph : glyphs) {
    put_offset(out.glyf.size());
    put_bytes(out.glyf, glyph);
    while (out.glyf.size() % 4 != 0) out.glyf.push_back(0);
  }
  put_offset(out.glyf.size());
  return out;
}

std::vector<uint8_t> build_hmtx_table(const std::vector<horizontal_metric>& metrics) {
  std::vector<uint8_t> out;
  for (const horizontal_metric& m : metrics) {
    put_u16(out, m.advance_width);
    put_u16(out, static_cast<uint16_t>(m.left_side_bearing));
  }
  return out;
}
