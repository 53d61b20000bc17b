// facepack --share-glyphs and facesplit --compact on a real family (Ume Mincho and its
// proportional twin, fonts-horai-umefont): the size the family packs to, every glyph as
// FreeType draws it, every other table's bytes, and the OpenType Sanitizer's verdict.
#include <gtest/gtest.h>

#include "support/freetype_face.h"
#include "support/run_tool.h"
#include "support/stored_font.h"
#include "validators.h"
#include "workflow.h"

namespace {

const std::filesystem::path kUme = "/usr/share/fonts/truetype/horai-umefont";
const char* const kFaces[] = {"ume-tmo3.ttf", "ume-pmo3.ttf"};
// One copy of each glyph of the two faces takes 5.91 MB; within 5 % of that.
constexpr uint64_t kSharedSize = 5'910'000;

bool kept_as_is(const std::string& tag) {
  return tag != "glyf" && tag != "loca" && tag != "head" && tag != "DSIG";
}

class GlyphSharingUme : public testing::Test {
 protected:
  void SetUp() override { dir_ = make_temp_dir(); }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

}  // namespace

TEST_F(GlyphSharingUme, PacksToOneCopyOfEachGlyphAndSplitsBackToTheSources) {
  std::string missing;
  const std::string ots = find_ots_sanitize(missing);
  if (!std::filesystem::exists(kUme / kFaces[0])) missing = "fonts-horai-umefont is not installed";
  SKIP_UNLESS_PRESENT(missing);
  std::vector<std::string> args = {"--share-glyphs", "shared.ttc"};
  for (const char* face : kFaces) args.push_back((kUme / face).string());
  ASSERT_EQ(run_tool(FACEPACK_PATH, args, dir_).status, 0);
  args.erase(args.begin(), args.begin() + 2);
  args.insert(args.begin(), "plain.ttc");
  ASSERT_EQ(run_tool(FACEPACK_PATH, args, dir_).status, 0);
  const std::vector<uint8_t> shared = read_bytes(dir_ / "shared.ttc");
  EXPECT_LE(shared.size(), std::filesystem::file_size(dir_ / "plain.ttc"));
  EXPECT_LE(shared.size() * 100, kSharedSize * 105);
  std::printf("[ figures  ] Ume Mincho tmo3+pmo3: %zu bytes with glyphs shared\n", shared.size());

  ASSERT_EQ(run_tool(FACESPLIT_PATH, {"--compact", "shared.ttc"}, dir_).status, 0);
  const std::vector<face_view> packed = faces_of(shared);
  for (long f = 0; f < 2; ++f) {
    SCOPED_TRACE(kFaces[f]);
    const std::vector<uint8_t> source = read_bytes(kUme / kFaces[f]);
    EXPECT_TRUE(glyph_renderings(shared, f) == glyph_renderings(source, 0));
    EXPECT_TRUE(ots_accepts(ots, dir_ / "shared.ttc", f));
    const face_view in = faces_of(source).at(0);
    for (const font_table& table_in : in.tables) {
      const std::string& tag = table_in.tag;
      if (!kept_as_is(tag)) continue;
      const auto out = std::find_if(packed[f].tables.begin(), packed[f].tables.end(),
                                    [&](const font_table& table) { return table.tag == tag; });
      ASSERT_NE(out, packed[f].tables.end()) << tag;
      EXPECT_TRUE(out->bytes == table_in.bytes) << tag;
    }
    // Compacted, the face holds its source's tables again, and nothing else.
    const std::string name = "face_0" + std::to_string(f) + ".ttf";
    EXPECT_TRUE(same_tables(faces_of(read_bytes(dir_ / name)).at(0), in));
    const tool_run sanitized = run_tool(ots, {name, "sanitized"}, dir_);
    EXPECT_EQ(sanitized.status, 0);
    EXPECT_EQ(sanitized.out.find("Extra bytes"), std::string::npos);
    EXPECT_EQ(sanitized.err.find("Extra bytes"), std::string::npos);
  }
}
