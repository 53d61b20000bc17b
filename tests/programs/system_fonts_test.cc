// The tools on real fonts of the system, opened afterwards with FreeType. Each test skips,
// saying why, when its fonts are not installed.

#include <algorithm>
#include <map>
#include <set>

#include "support/freetype_face.h"
#include "tool_test.h"

namespace {

using SystemFonts = ToolTest;

const std::filesystem::path kDejaVu = "/usr/share/fonts/truetype/dejavu";
const std::filesystem::path kZenHei = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";

struct loaded_face {
  long num_faces = 0;
  long num_glyphs = 0;
  std::string family, style;
};

// What FreeType makes of face `index` of `bytes` after rendering one glyph outline;
// nothing when it refuses the face.
std::optional<loaded_face> freetype_load(const std::vector<uint8_t>& bytes, long index) {
  const ft_library library = open_freetype();
  const ft_face face = library ? open_face(library.get(), bytes, index) : nullptr;
  if (!face || FT_Load_Glyph(face.get(), face->num_glyphs > 1 ? 1 : 0, FT_LOAD_NO_SCALE) != 0)
    return std::nullopt;
  return loaded_face{face->num_faces, face->num_glyphs, face->family_name,
                     face->style_name ? face->style_name : ""};
}

bool same_face(const loaded_face& a, const loaded_face& b) {
  return a.num_glyphs == b.num_glyphs && a.family == b.family && a.style == b.style;
}

std::vector<std::filesystem::path> dejavu_fonts() {
  std::vector<std::filesystem::path> fonts;
  if (!std::filesystem::is_directory(kDejaVu)) return fonts;
  for (const auto& entry : std::filesystem::directory_iterator(kDejaVu)) {
    if (entry.path().extension() == ".ttf") fonts.push_back(entry.path());
  }
  std::sort(fonts.begin(), fonts.end());
  return fonts;
}

// True when no two records of the collection hold the same tag and bytes at two places.
bool stores_identical_tables_once(const std::vector<face_view>& faces) {
  std::map<std::pair<std::string, std::vector<uint8_t>>, std::set<uint32_t>> places;
  for (const face_view& face : faces) {
    for (size_t i = 0; i < face.tables.size(); ++i) {
      places[{face.tables[i].tag, face.tables[i].bytes}].insert(face.offsets[i]);
    }
  }
  return std::all_of(places.begin(), places.end(),
                     [](const auto& p) { return p.second.size() == 1; });
}

}  // namespace

TEST_F(SystemFonts, DejaVuJoinsIntoACollectionFreeTypeOpensAndSplitsBack) {
  const std::vector<std::filesystem::path> fonts = dejavu_fonts();
  if (fonts.size() < 2) GTEST_SKIP() << "DejaVu fonts not installed in " << kDejaVu;
  std::vector<std::string> args = {"all.ttc"};
  for (const auto& font : fonts) args.push_back(font.string());
  ASSERT_EQ(pack(args).status, 0);
  const std::vector<uint8_t> collection = get("all.ttc");
  const std::vector<face_view> faces = faces_of(collection);
  ASSERT_EQ(faces.size(), fonts.size());
  EXPECT_TRUE(stores_identical_tables_once(faces));

  const tool_run run = split({"all.ttc"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, std::to_string(fonts.size()) + " faces\n");
  for (size_t i = 0; i < fonts.size(); ++i) {
    SCOPED_TRACE(fonts[i].string());
    const std::vector<uint8_t> input = read_bytes(fonts[i]);
    const face_view original = faces_of(input)[0];
    EXPECT_TRUE(same_fields_and_tables(faces[i], original));
    char name[32];
    std::snprintf(name, sizeof name, "face_%02zu.ttf", i);
    const std::vector<uint8_t> single = get(name);
    EXPECT_TRUE(same_fields_and_tables(faces_of(single)[0], original));

    const auto expected = freetype_load(input, 0);
    const auto from_collection = freetype_load(collection, static_cast<long>(i));
    const auto from_split = freetype_load(single, 0);
    ASSERT_TRUE(expected && from_collection && from_split);
    EXPECT_EQ(from_collection->num_faces, static_cast<long>(fonts.size()));
    EXPECT_TRUE(same_face(*from_collection, *expected));
    EXPECT_TRUE(same_face(*from_split, *expected));
  }
}

TEST_F(SystemFonts, ZenHeiSplitsIntoFacesFreeTypeLoads) {
  if (!std::filesystem::exists(kZenHei)) GTEST_SKIP() << kZenHei << " not installed";
  const std::vector<uint8_t> collection = read_bytes(kZenHei);
  const std::vector<face_view> faces = faces_of(collection);
  const tool_run run = split({kZenHei.string()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, std::to_string(faces.size()) + " faces\n");
  for (size_t i = 0; i < faces.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "face_%02zu.ttf", i);
    SCOPED_TRACE(name);
    const std::vector<uint8_t> single = get(name);
    EXPECT_TRUE(same_fields_and_tables(faces_of(single)[0], faces[i]));
    const auto expected = freetype_load(collection, static_cast<long>(i));
    const auto loaded = freetype_load(single, 0);
    ASSERT_TRUE(expected && loaded);
    EXPECT_TRUE(same_face(*loaded, *expected));
  }
}
