// Every font of the Debian font packages the project is tried on goes through facemend and
// must come out loadable, with every charmap mapping every character as before (apart from
// the intended cut of the Mac Roman format 6 subtable) and only the repaired tables changed.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <filesystem>
#include <map>
#include <memory>
#include <sstream>

#include "support/freetype_face.h"
#include "support/package_fonts.h"
#include "support/run_tool.h"

namespace {

// Tag to bytes of every table, in directory order, as FreeType reads them.
std::vector<std::pair<FT_ULong, std::vector<uint8_t>>> sfnt_tables(FT_Face face) {
  std::vector<std::pair<FT_ULong, std::vector<uint8_t>>> tables;
  FT_ULong tag = 0, length = 0;
  for (FT_UInt i = 0; FT_Sfnt_Table_Info(face, i, &tag, &length) == 0; ++i) {
    std::vector<uint8_t> bytes(length);
    FT_Load_Sfnt_Table(face, tag, 0, bytes.data(), &length);
    tables.emplace_back(tag, std::move(bytes));
  }
  return tables;
}

// Characters of charmap `index` of the output, looked up one by one.
void expect_same_mapping(FT_Face before, FT_Face after, int index, bool cut) {
  const FT_CharMap in = before->charmaps[index], out = after->charmaps[index];
  ASSERT_EQ(in->platform_id, out->platform_id);
  ASSERT_EQ(in->encoding_id, out->encoding_id);
  const std::map<FT_ULong, FT_UInt> mapped = charmap_contents(before, index);
  FT_Set_Charmap(after, out);
  for (const auto& [code, glyph] : mapped) {
    // The cut keeps the 127 codes from firstCode 0 of these fonts' Mac Roman subtables.
    const FT_UInt expected = cut && code >= 0x7F ? 0 : glyph;
    EXPECT_EQ(FT_Get_Char_Index(after, code), expected) << "charmap " << index << " code " << code;
  }
  std::map<FT_ULong, FT_UInt> left = charmap_contents(after, index);
  for (const auto& [code, glyph] : left) EXPECT_EQ(mapped.at(code), glyph);
}

// Every Mac Roman format 6 subtable of these packages has 256 entries and is cut.
bool is_full_mac_roman(FT_CharMap charmap) {
  return charmap->platform_id == 1 && charmap->encoding_id == 0 && FT_Get_CMap_Format(charmap) == 6;
}

void expect_only_repaired_tables_differ(FT_Face before, FT_Face after) {
  const auto in = sfnt_tables(before), out = sfnt_tables(after);
  ASSERT_EQ(in.size(), out.size());
  for (size_t i = 0; i < in.size(); ++i) {
    ASSERT_EQ(in[i].first, out[i].first);
    const FT_ULong tag = in[i].first;
    if (tag == TTAG_name || tag == TTAG_cmap) continue;
    std::vector<uint8_t> expected = in[i].second;
    if (tag == TTAG_post && expected.size() >= 16)
      std::fill(expected.begin() + 12, expected.begin() + 16, 0);
    if (tag == TTAG_head && expected.size() >= 18) expected[17] &= 0xFD;
    EXPECT_EQ(out[i].second, expected) << "table " << i;
  }
}

void check_font(FT_Library library, const std::filesystem::path& path) {
  SCOPED_TRACE(path);
  const std::filesystem::path dir = make_temp_dir();
  const tool_run run = run_tool(FACEMEND_PATH, {path, "out.ttf"}, dir);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  const std::vector<uint8_t> input = read_bytes(path), output = read_bytes(dir / "out.ttf");
  std::filesystem::remove_all(dir);
  const ft_face before = open_face(library, input), after = open_face(library, output);
  ASSERT_TRUE(before && after) << "FreeType refuses the font";
  ASSERT_EQ(before->num_charmaps, after->num_charmaps);
  bool any_cut = false;
  for (int i = 0; i < before->num_charmaps; ++i) {
    const bool cut = is_full_mac_roman(before->charmaps[i]);
    any_cut |= cut;
    expect_same_mapping(before.get(), after.get(), i, cut);
  }
  EXPECT_EQ(run.out.find("Removing code area") != std::string::npos, any_cut);
  expect_only_repaired_tables_differ(before.get(), after.get());
}

class RealFonts : public testing::TestWithParam<std::string> {};

TEST_P(RealFonts, SurviveTheRepair) {
  std::string missing;
  const std::vector<std::filesystem::path> fonts = package_fonts(GetParam(), false, missing);
  if (fonts.empty() && missing.empty())
    GTEST_SKIP() << "no fonts of package " << GetParam() << " installed";
  const ft_library library = open_freetype();
  ASSERT_NE(library, nullptr);
  for (const std::filesystem::path& font : fonts) check_font(library.get(), font);
  if (!missing.empty()) GTEST_SKIP() << "fonts missing from the installed package:" << missing;
}

// Of the fonts of these packages only fonts-mona's mona.ttf shows a legacy sign: the
// Shift-JIS layout of half-width katakana in its Mac Roman map. The others are checked
// as fonts that do not need facemend, monospaced ones and accented Mac Roman maps included.
TEST(RealFonts, OnlyMonaShowsLegacySigns) {
  const std::vector<std::string> packages = {
      "fonts-dejavu-core", "fonts-liberation", "fonts-ipafont-gothic", "fonts-vlgothic",
      "fonts-konatu",      "fonts-wqy-zenhei", "fonts-noto-cjk",       "fonts-mona"};
  std::vector<std::string> args = {"--check", "--quiet", "--json"};
  std::string missing;
  for (const std::string& package : packages)
    for (const std::filesystem::path& font : package_fonts(package, true, missing))
      args.push_back(font);
  if (args.size() == 3) GTEST_SKIP() << "none of the font packages is installed";
  const tool_run run = run_tool(FACEMEND_PATH, args, "/");
  const std::filesystem::path dir = make_temp_dir();
  write_bytes(dir / "check.json", std::vector<uint8_t>(run.out.begin(), run.out.end()));
  const tool_run signs =
      run_tool("/usr/bin/python3",
               {"-c",
                "import json,sys\n"
                "for f in json.load(open(sys.argv[1]))['files']:\n"
                "  print(f['file'].rsplit('/', 1)[1], f['status'], *f['legacy_signs'], sep=':')",
                "check.json"},
               dir);
  std::filesystem::remove_all(dir);
  EXPECT_EQ(signs.status, 0) << signs.err;
  std::istringstream lines(signs.out);
  size_t files = 0;
  for (std::string line; std::getline(lines, line); ++files) {
    if (line.starts_with("mona.ttf:"))
      EXPECT_EQ(line, "mona.ttf:3:half-width katakana in the Mac Roman cmap");
    else
      EXPECT_EQ(line.substr(line.find(':')), ":0") << line;
  }
  EXPECT_EQ(files, args.size() - 3);
}

// A folder of both kinds: only the legacy font is written; the others keep every byte and
// their modification times.
TEST(RealFonts, InPlaceRepairsOnlyTheLegacyFont) {
  namespace fs = std::filesystem;
  const std::vector<std::string> sources = {"/usr/share/fonts/truetype/mona/mona.ttf",
                                            "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
                                            "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"};
  for (const std::string& source : sources)
    if (!fs::is_regular_file(source)) GTEST_SKIP() << source << " not installed";
  const fs::path dir = make_temp_dir();
  std::vector<std::string> names;
  for (const std::string& source : sources) {
    names.push_back(fs::path(source).filename());
    fs::copy_file(source, dir / names.back(), fs::copy_options::none);
    fs::last_write_time(dir / names.back(), fs::last_write_time(source));
  }
  ASSERT_EQ(run_tool(FACEMEND_PATH, {names[0], "expected.ttf"}, dir).status, 0);
  names.insert(names.begin(), "-i");
  const tool_run run = run_tool(FACEMEND_PATH, names, dir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(read_bytes(dir / "mona.ttf"), read_bytes(dir / "expected.ttf"));
  for (size_t i = 1; i < sources.size(); ++i) {
    EXPECT_EQ(read_bytes(dir / names[i + 1]), read_bytes(sources[i])) << sources[i];
    EXPECT_EQ(fs::last_write_time(dir / names[i + 1]), fs::last_write_time(sources[i]));
  }
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(DebianPackages, RealFonts,
                         testing::Values("fonts-dejavu-core", "fonts-liberation",
                                         "fonts-ipafont-gothic", "fonts-vlgothic", "fonts-konatu"),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name;
                           for (char c : info.param) name += c == '-' ? '_' : c;
                           return name;
                         });

}  // namespace
