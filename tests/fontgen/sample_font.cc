#include "fontgen/sample_font.h"

#include <algorithm>
#include <cstdio>

#include "fontgen/tables.h"

namespace {

// An outer contour (clockwise, as TrueType fills it) and a counter (anticlockwise).
std::vector<glyph_point> box_contour(int16_t x0, int16_t y0, int16_t x1, int16_t y1) {
  return {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
}
std::vector<glyph_point> hole_contour(int16_t x0, int16_t y0, int16_t x1, int16_t y1) {
  return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

struct sample_glyph_data {
  glyph_outline outline;
  uint16_t advance = 0;
};

// Indexed by sample_glyph.
std::vector<sample_glyph_data> sample_glyphs() {
  std::vector<sample_glyph_data> glyphs(sample_glyph_count);
  glyphs[sample_notdef] = {{{box_contour(50, 0, 450, 700), hole_contour(100, 50, 400, 650)}}, 500};
  glyphs[sample_space] = {{}, 250};
  glyphs[sample_latin_a] = {
      {{{{20, 0}, {250, 700}, {350, 700}, {580, 0}, {470, 0}, {410, 180}, {190, 180}, {130, 0}},
        {{230, 260}, {370, 260}, {300, 520}}}},
      600};
  glyphs[sample_latin_b] = {{{{{80, 0},
                               {80, 700},
                               {480, 700},
                               {520, 660},
                               {520, 380},
                               {480, 350},
                               {520, 320},
                               {520, 40},
                               {480, 0}},
                              hole_contour(180, 90, 420, 300),
                              hole_contour(180, 400, 420, 610)}},
                            600};
  glyphs[sample_hiragana_a] = {
      {{box_contour(150, 560, 800, 640), box_contour(380, 60, 460, 800),
        box_contour(200, 100, 850, 480), hole_contour(280, 180, 770, 400)}},
      1000};
  glyphs[sample_halfwidth_ka_a] = {
      {{box_contour(60, 620, 440, 700), box_contour(360, 300, 440, 700),
        box_contour(200, 0, 280, 450)}},
      500};
  return glyphs;
}

std::vector<uint8_t> mac_roman_subtable(const sample_font_options& options) {
  if (!options.mac_roman_format6_256) {
    return cmap_format0({{0x20, sample_space}, {0x41, sample_latin_a}, {0x42, sample_latin_b}});
  }
  // Old Japanese fonts map the single-byte Shift-JIS codes, half-width katakana among them,
  // through the Macintosh Roman subtable.
  std::vector<uint16_t> glyphs(256, sample_notdef);
  glyphs[0x20] = sample_space;
  glyphs[0x41] = sample_latin_a;
  glyphs[0x42] = sample_latin_b;
  glyphs[0xB1] = sample_halfwidth_ka_a;
  return cmap_format6(0, glyphs);
}

std::vector<uint8_t> sample_cmap(const sample_font_options& options) {
  const std::vector<uint8_t> unicode = cmap_format4({{0x20, sample_space},
                                                     {0x41, sample_latin_a},
                                                     {0x42, sample_latin_b},
                                                     {0x3042, sample_hiragana_a},
                                                     {0xFF71, sample_halfwidth_ka_a}});
  if (options.share_unicode_subtable) {
    return build_cmap_table({{0, 3, 0}, {1, 0, 1}, {3, 1, 0}},
                            {unicode, mac_roman_subtable(options)});
  }
  return build_cmap_table({{0, 3, 0}, {1, 0, 1}, {3, 1, 2}},
                          {unicode, mac_roman_subtable(options), unicode});
}

// "1.000" for fontRevision 0x00010000, as font tools print a Fixed revision.
std::string revision_text(uint32_t revision) {
  const uint32_t thousandths = std::min((((revision & 0xFFFF) * 1000) + 0x8000) >> 16, 999u);
  char text[16];
  std::snprintf(text, sizeof text, "%u.%03u", static_cast<unsigned>(revision >> 16),
                static_cast<unsigned>(thousandths));
  return text;
}

std::vector<uint8_t> sample_name(const sample_font_options& options) {
  const std::string postscript = sample_postscript_name(options);
  const std::string unique = revision_text(options.font_revision) + ";NONE;" + postscript;
  std::vector<name_record_spec> records = {
      {1, 0, 0, 1, options.mac_family.value_or(bytes_of(options.family))},
      {1, 0, 0, 2, bytes_of(options.style)},
      {1, 0, 0, 3, bytes_of(unique)},
      {1, 0, 0, 4, options.mac_full.value_or(bytes_of(options.full_name))},
      {1, 0, 0, 6, bytes_of(postscript)},
  };
  if (options.windows_names) {
    const std::string texts[] = {options.family, options.style, unique, options.full_name,
                                 postscript};
    const uint16_t ids[] = {1, 2, 3, 4, 6};
    for (size_t i = 0; i < 5; ++i) records.push_back({3, 1, 0x409, ids[i], utf16be(texts[i])});
  }
  return build_name_table(records);
}

struct outline_tables {
  std::vector<font_table> tables;  // glyf, hmtx, loca, hhea, maxp, OS/2
  glyph_box box;
};

hhea_fields sample_hhea(const std::vector<sample_glyph_data>& glyphs) {
  hhea_fields hhea;
  hhea.number_of_h_metrics = static_cast<uint16_t>(glyphs.size());
  hhea.min_left_side_bearing = hhea.min_right_side_bearing = 0x7FFF;
  for (const sample_glyph_data& g : glyphs) {
    hhea.advance_width_max = std::max(hhea.advance_width_max, g.advance);
    if (g.outline.contours.empty()) continue;
    const glyph_box b = outline_box(g.outline);
    const int16_t rsb = static_cast<int16_t>(g.advance - b.x_max);
    hhea.min_left_side_bearing = std::min(hhea.min_left_side_bearing, b.x_min);
    hhea.min_right_side_bearing = std::min(hhea.min_right_side_bearing, rsb);
    hhea.x_max_extent = std::max(hhea.x_max_extent, b.x_max);
  }
  return hhea;
}

std::vector<uint8_t> sample_maxp(const std::vector<sample_glyph_data>& glyphs) {
  uint16_t points = 0, contours = 0;
  for (const sample_glyph_data& g : glyphs) {
    size_t n = 0;
    for (const auto& c : g.outline.contours) n += c.size();
    points = std::max(points, static_cast<uint16_t>(n));
    contours = std::max(contours, static_cast<uint16_t>(g.outline.contours.size()));
  }
  return build_maxp_table(static_cast<uint16_t>(glyphs.size()), points, contours);
}

std::vector<uint8_t> sample_os2(const std::vector<sample_glyph_data>& glyphs) {
  os2_fields os2;
  uint32_t total = 0;
  for (const sample_glyph_data& g : glyphs) total += g.advance;
  os2.avg_char_width = static_cast<int16_t>(total / glyphs.size());
  // Basic Latin; Hiragana; Halfwidth and Fullwidth Forms. Code pages Latin 1 and JIS.
  os2.unicode_range[0] = 1u << 0;
  os2.unicode_range[1] = 1u << (49 - 32);
  os2.unicode_range[2] = 1u << (68 - 64);
  os2.code_page_range[0] = (1u << 0) | (1u << 17);
  os2.last_char_index = 0xFF71;
  return build_os2_table(os2);
}

outline_tables sample_outline_tables(int16_t index_to_loc_format) {
  const std::vector<sample_glyph_data> glyphs = sample_glyphs();
  std::vector<std::vector<uint8_t>> glyph_bytes;
  std::vector<horizontal_metric> metrics;
  std::vector<glyph_outline> outlines;
  for (const sample_glyph_data& g : glyphs) {
    glyph_bytes.push_back(build_simple_glyph(g.outline));
    metrics.push_back({g.advance, outline_box(g.outline).x_min});
    outlines.push_back(g.outline);
  }
  glyf_and_loca gl = build_glyf_and_loca(glyph_bytes, index_to_loc_format);
  outline_tables out;
  out.box = union_box(outlines);
  out.tables = {{"OS/2", sample_os2(glyphs)},
                {"glyf", gl.glyf},
                {"hhea", build_hhea_table(sample_hhea(glyphs))},
                {"hmtx", build_hmtx_table(metrics)},
                {"loca", gl.loca},
                {"maxp", sample_maxp(glyphs)}};
  return out;
}

}  // namespace

std::string sample_postscript_name(const sample_font_options& options) {
  std::string name;
  for (char c : options.family + "-" + options.style) {
    if (c != ' ') name.push_back(c);
  }
  return name;
}

std::vector<font_table> sample_font_tables(const sample_font_options& options) {
  outline_tables outlines = sample_outline_tables(options.index_to_loc_format);
  std::vector<font_table> tables = std::move(outlines.tables);
  tables.push_back({"cmap", sample_cmap(options)});
  tables.push_back({"head", build_head_table(options.head_flags, options.index_to_loc_format, 1000,
                                             outlines.box, options.font_revision)});
  tables.push_back({"name", sample_name(options)});
  tables.push_back({"post", build_post_table(options.is_fixed_pitch)});
  std::sort(tables.begin(), tables.end(),
            [](const font_table& a, const font_table& b) { return a.tag < b.tag; });
  return tables;
}

std::vector<uint8_t> sample_font(const sample_font_options& options) {
  return build_sfnt(sample_font_tables(options));
}

sample_font_options legacy_japanese_options(legacy_face face) {
  sample_font_options options;
  if (face == legacy_face::gothic) {
    options.family = "Sample Gothic";
    options.full_name = "Sample Gothic Regular";
    // Shift-JIS of "サンプルゴシック" and "サンプルゴシック Regular".
    options.mac_family = std::vector<uint8_t>{0x83, 0x54, 0x83, 0x93, 0x83, 0x76, 0x83, 0x8b,
                                              0x83, 0x53, 0x83, 0x56, 0x83, 0x62, 0x83, 0x4e};
    options.font_revision = 0x00010000;
  } else {
    options.family = "Sample Mincho";
    options.full_name = "Sample Mincho Regular";
    // Shift-JIS of "サンプル明朝" and "サンプル明朝 Regular".
    options.mac_family = std::vector<uint8_t>{0x83, 0x54, 0x83, 0x93, 0x83, 0x76,
                                              0x83, 0x8b, 0x96, 0xbe, 0x92, 0xa9};
    options.font_revision = 0x00020000;
  }
  options.mac_full = *options.mac_family;
  for (char c : std::string_view(" Regular")) options.mac_full->push_back(static_cast<uint8_t>(c));
  options.mac_roman_format6_256 = true;
  options.is_fixed_pitch = 1;
  options.head_flags = 0x000B;
  return options;
}

std::vector<uint8_t> legacy_sample_collection() {
  return build_ttc({sample_font_tables(legacy_japanese_options(legacy_face::gothic)),
                    sample_font_tables(legacy_japanese_options(legacy_face::mincho))});
}
