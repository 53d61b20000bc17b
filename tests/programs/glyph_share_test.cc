// facepack --share-glyphs and facesplit --compact on crafted fonts: every face keeps every
// glyph and every other table, glyphs shared by the faces are stored once, and the table-
// shared file is written when sharing glyphs would not pay.
#include <algorithm>

#include "fontgen/sample_font.h"
#include "fontgen/tables.h"
#include "support/freetype_face.h"
#include "tool_test.h"

namespace {

using GlyphSharing = ToolTest;

// A simple glyph of `points` points whose coordinates depend on `seed`.
std::vector<uint8_t> glyph(int points, int seed) {
  glyph_outline outline{{{}}};
  for (int i = 0; i < points; ++i)
    outline.contours[0].push_back({static_cast<int16_t>(seed * 7 + i * 31 % 500),
                                   static_cast<int16_t>(seed * 3 + i * 17 % 700)});
  return build_simple_glyph(outline);
}

// The sample face with `glyphs` as its glyph data (short loca), named `family`.
std::vector<font_table> face_of(const std::vector<std::vector<uint8_t>>& glyphs,
                                const std::string& family, bool signed_face = false) {
  sample_font_options options;
  options.family = family;
  options.full_name = family + " Regular";
  std::vector<font_table> tables = sample_font_tables(options);
  const glyf_and_loca built = build_glyf_and_loca(glyphs, 0);
  const auto count = static_cast<uint16_t>(glyphs.size());
  hhea_fields hhea;
  hhea.advance_width_max = 600;
  hhea.number_of_h_metrics = count;
  for (font_table& table : tables) {
    if (table.tag == "glyf") table.bytes = built.glyf;
    if (table.tag == "loca") table.bytes = built.loca;
    if (table.tag == "maxp") table.bytes = build_maxp_table(count, 64, 1);
    if (table.tag == "hhea") table.bytes = build_hhea_table(hhea);
    if (table.tag == "hmtx")
      table.bytes = build_hmtx_table(std::vector<horizontal_metric>(count, {600, 0}));
  }
  if (signed_face) tables.insert(tables.begin(), {"DSIG", {0, 0, 0, 1, 0, 0, 0, 0}});
  return tables;
}

std::vector<font_table> without_signature(std::vector<font_table> tables) {
  std::erase_if(tables, [](const font_table& table) { return table.tag == "DSIG"; });
  return tables;
}

}  // namespace

TEST_F(GlyphSharing, FacesKeepEveryGlyphAndTableWhileSharedGlyphsAreStoredOnce) {
  std::vector<std::vector<uint8_t>> common;
  for (int i = 0; i < 60; ++i) common.push_back(i == 1 ? std::vector<uint8_t>{} : glyph(40, i));
  std::vector<std::vector<uint8_t>> proportional = common;
  for (const int i : {2, 3, 30}) proportional[i] = glyph(12, 100 + i);
  const auto gothic = face_of(common, "Gothic", true);
  const auto pgothic = face_of(proportional, "PGothic");
  const std::vector<font_table> cff = {{"CFF ", {1, 0, 4, 2, 9, 9}}, {"head", {7}}};
  put("gothic.ttf", build_sfnt(gothic));
  put("pgothic.ttf", build_sfnt(pgothic));
  put("cff.otf", build_sfnt(cff, {0x4F54544F}));

  ASSERT_EQ(pack({"plain.ttc", "gothic.ttf", "pgothic.ttf", "cff.otf"}).status, 0);
  const tool_run run =
      pack({"--share-glyphs", "shared.ttc", "gothic.ttf", "pgothic.ttf", "cff.otf"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out + run.err, "");
  const std::vector<uint8_t> shared = get("shared.ttc");
  EXPECT_LT(shared.size() * 10, get("plain.ttc").size() * 6);

  const std::vector<face_view> faces = faces_of(shared);
  ASSERT_EQ(faces.size(), 3u);
  const std::vector<std::vector<font_table>> sources = {without_signature(gothic), pgothic};
  for (size_t f = 0; f < sources.size(); ++f) {
    SCOPED_TRACE("face " + std::to_string(f));
    ASSERT_EQ(faces[f].tables.size(), sources[f].size());
    for (size_t t = 0; t < sources[f].size(); ++t) {
      const std::string& tag = sources[f][t].tag;
      EXPECT_EQ(faces[f].tables[t].tag, tag);
      if (tag != "glyf" && tag != "loca" && tag != "head") {
        EXPECT_EQ(faces[f].tables[t].bytes, sources[f][t].bytes) << tag;
      }
    }
    EXPECT_EQ(glyph_renderings(shared, static_cast<long>(f)),
              glyph_renderings(get(f == 0 ? "gothic.ttf" : "pgothic.ttf"), 0));
  }
  EXPECT_TRUE(same_fields_and_tables(faces[2], faces_of(get("cff.otf"))[0]));

  // Compacted, each face is its source again (less its signature); split as it is, a face
  // carries the other's glyphs.
  ASSERT_EQ(split({"--compact", "-d", "compact", "shared.ttc"}).status, 0);
  ASSERT_EQ(split({"-d", "loose", "shared.ttc"}).status, 0);
  EXPECT_EQ(get("compact/face_00.ttf"), build_sfnt(sources[0]));
  EXPECT_EQ(get("compact/face_01.ttf"), build_sfnt(sources[1]));
  EXPECT_EQ(get("compact/face_02.ttf"), get("loose/face_02.ttf"));
  EXPECT_GT(get("loose/face_01.ttf").size(), get("pgothic.ttf").size());
}

TEST_F(GlyphSharing, TableSharedFileWhenGlyphSharingSavesUnderOnePercent) {
  std::vector<std::vector<uint8_t>> mincho, gothic;
  for (int i = 0; i < 40; ++i) {
    mincho.push_back(glyph(30, i));
    gothic.push_back(glyph(30, 1000 + i));
  }
  gothic[20] = mincho[20];  // one glyph in common: a saving well under 1 %
  put("mincho.ttf", build_sfnt(face_of(mincho, "Mincho")));
  put("gothic.ttf", build_sfnt(face_of(gothic, "Gothic")));
  ASSERT_EQ(pack({"plain.ttc", "mincho.ttf", "gothic.ttf"}).status, 0);
  const tool_run run = pack({"-v", "--share-glyphs", "shared.ttc", "mincho.ttf", "gothic.ttf"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("Glyphs not shared: that would save under 1 %.\n", 0), 0u) << run.out;
  EXPECT_EQ(get("shared.ttc"), get("plain.ttc"));
  put("cff.otf", build_sfnt({{"CFF ", {1, 0, 4, 2}}, {"head", {7}}}, {0x4F54544F}));
  const tool_run cff = pack({"-v", "--share-glyphs", "cff.ttc", "cff.otf"});
  EXPECT_EQ(cff.status, 0);
  EXPECT_EQ(cff.out.rfind("Glyphs not shared: no TrueType faces whose glyphs can be laid out "
                          "together.\n",
                          0),
            0u)
      << cff.out;

  // Faces without other faces' glyphs in their spans are split exactly as without --compact.
  ASSERT_EQ(split({"--compact", "-d", "compact", "plain.ttc"}).status, 0);
  ASSERT_EQ(split({"-d", "loose", "plain.ttc"}).status, 0);
  EXPECT_EQ(list_dir(path("compact")), list_dir(path("loose")));
  for (const std::string& name : list_dir(path("loose")))
    EXPECT_EQ(get("compact/" + name), get("loose/" + name)) << name;
}
