// Laying out several faces' glyphs in one glyph table: each face reads back its own records
// in glyph order, records are shared by weight, and no span grows long.
#include <gtest/gtest.h>

#include <algorithm>

#include "fontgen/font_builder.h"
#include "fontgen/tables.h"
#include "ttc/glyph_merge.h"
#include "ttc/glyph_share.h"

namespace {

// A simple glyph of `points` points (about 14 + 5 * points bytes) whose coordinates
// depend on `seed`.
std::vector<uint8_t> glyph(int points, int seed) {
  glyph_outline outline{{{}}};
  for (int i = 0; i < points; ++i)
    outline.contours[0].push_back(
        {static_cast<int16_t>(seed * 7 + i), static_cast<int16_t>(seed * 13 - i)});
  return build_simple_glyph(outline);
}

// A face's glyph table (long loca), and its records, which view `glyf`.
struct test_face {
  std::vector<uint8_t> glyf, loca;
  explicit test_face(const std::vector<std::vector<uint8_t>>& glyphs) {
    glyf_and_loca built = build_glyf_and_loca(glyphs, 1);
    glyf = std::move(built.glyf);
    loca = std::move(built.loca);
  }
  glyf_shape shape() const { return {static_cast<uint16_t>(loca.size() / 4 - 1), true}; }
  std::vector<glyf_record> records() const { return *read_glyf_records(glyf, loca, shape()); }
};

glyph_layout lay_out(const std::vector<test_face>& faces) {
  std::vector<std::vector<glyf_record>> records;
  for (const test_face& face : faces) records.push_back(face.records());
  return lay_out_shared_glyphs(records);
}

std::span<const uint8_t> window_of(const glyph_layout& layout, size_t face) {
  return std::span<const uint8_t>(layout.glyf)
      .subspan(layout.faces[face].offset, layout.faces[face].length);
}

bool sound(const glyph_layout& layout, const std::vector<test_face>& faces, size_t face) {
  const glyph_window& window = layout.faces[face];
  return glyph_layout_sound(window_of(layout, face), window.loca,
                            {faces[face].shape().num_glyphs, window.long_loca},
                            faces[face].records());
}

size_t occurrences(const std::vector<uint8_t>& haystack, const std::vector<uint8_t>& needle) {
  size_t count = 0;
  for (auto at = haystack.begin();
       (at = std::search(at, haystack.end(), needle.begin(), needle.end())) != haystack.end(); ++at)
    ++count;
  return count;
}

}  // namespace

TEST(GlyphShare, EveryFaceReadsBackItsRecordsWithSharedOnesStoredOnce) {
  const std::vector<uint8_t> broken = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xEE};  // no contours
  std::vector<std::vector<uint8_t>> big_a, big_b;
  for (int i = 0; i < 200; ++i) big_a.push_back(glyph(3, 1000 + i));    // about 30 KB
  for (int i = 0; i < 100; ++i) big_b.push_back(glyph(200, 2000 + i));  // about 100 KB
  auto face = [](std::vector<std::vector<uint8_t>> head,
                 const std::vector<std::vector<uint8_t>>& run,
                 std::vector<std::vector<uint8_t>> tail) {
    head.insert(head.end(), run.begin(), run.end());
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  // A kept span takes the next record of its face with it (face 0's glyph(6, 2)).
  const std::vector<test_face> faces = {
      test_face(face({glyph(4, 0), glyph(5, 1), broken, glyph(6, 2)}, big_a, {glyph(7, 3)})),
      test_face(face({glyph(4, 0), {}, glyph(6, 2)}, big_b, {glyph(7, 3), broken})),
      test_face({}),
  };
  const glyph_layout layout = lay_out(faces);
  ASSERT_EQ(layout.faces.size(), faces.size());
  for (size_t f = 0; f < faces.size(); ++f) EXPECT_TRUE(sound(layout, faces, f)) << "face " << f;
  EXPECT_EQ(occurrences(layout.glyf, glyph(4, 0)), 1u);
  EXPECT_EQ(occurrences(layout.glyf, glyph(7, 3)), 1u);
  EXPECT_EQ(occurrences(layout.glyf, glyph(6, 2)), 2u);
  EXPECT_EQ(occurrences(layout.glyf, broken), 2u);  // kept spans are never shared
  EXPECT_EQ(layout.faces[2].length, 0u);
}

TEST(GlyphShare, HeavierRecordsWinOverMoreRecords) {
  const std::vector<uint8_t> big = glyph(300, 1), small_a = glyph(2, 2), small_b = glyph(2, 3);
  const std::vector<test_face> faces = {test_face({big, small_a, small_b}),
                                        test_face({small_a, small_b, big})};
  const glyph_layout layout = lay_out(faces);
  EXPECT_EQ(occurrences(layout.glyf, big), 1u);
  for (size_t f = 0; f < faces.size(); ++f) EXPECT_TRUE(sound(layout, faces, f));
}

TEST(GlyphShare, SelfCheckRefusesWhatReadersWouldMisread) {
  const std::vector<uint8_t> a = glyph(3, 1), b = glyph(3, 2);  // 29 bytes each, 32 padded
  const test_face face({a, b});
  std::vector<uint8_t> window = face.glyf;
  auto loca = [](std::vector<uint32_t> offsets) {
    std::vector<uint8_t> out;
    for (const uint32_t offset : offsets) put_u32(out, offset);
    return out;
  };
  EXPECT_TRUE(glyph_layout_sound(window, loca({0, 32, 64}), face.shape(), face.records()));
  struct bad_case {
    const char* what;
    std::vector<uint8_t> window, loca;
  };
  std::vector<uint8_t> swapped(window.begin() + 32, window.end());
  swapped.insert(swapped.end(), window.begin(), window.begin() + 32);
  std::vector<uint8_t> long_span = window;
  long_span.insert(long_span.begin() + 32, glyph_span_limit, 0);
  const std::vector<bad_case> cases = {
      {"descending", window, loca({0, 40, 32})},
      {"a span that starts with another record", swapped, loca({0, 32, 64})},
      {"a window longer than the last glyph's end", window, loca({0, 32, 60})},
      {"a span past the limit", long_span, loca({0, 32 + glyph_span_limit, 64 + glyph_span_limit})},
  };
  for (const bad_case& c : cases)
    EXPECT_FALSE(glyph_layout_sound(c.window, c.loca, face.shape(), face.records())) << c.what;
  // A kept span must stand exactly as it was: nothing may follow it in its own span.
  const std::vector<uint8_t> broken = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xEE, 0xEE};
  const test_face kept({broken, a});
  std::vector<uint8_t> padded = broken;
  padded.insert(padded.end(), {0, 0, 0, 0});
  padded.insert(padded.end(), a.begin(), a.end());
  EXPECT_TRUE(glyph_layout_sound(kept.glyf, loca({0, 12, 44}), kept.shape(), kept.records()));
  EXPECT_FALSE(glyph_layout_sound(padded, loca({0, 16, 45}), kept.shape(), kept.records()));
}
