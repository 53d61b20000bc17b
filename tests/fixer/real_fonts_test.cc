// Every font of the Debian font packages the project is tried on goes through facemend and
// must come out loadable, with every charmap mapping every character as before (apart from
// the intended cut of the Mac Roman format 6 subtable) and only the repaired tables changed.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/package_fonts.h"
#include "support/repair_judge.h"
#include "support/run_tool.h"

namespace {

void check_font(const std::filesystem::path& path) {
  SCOPED_TRACE(path);
  const std::filesystem::path dir = make_temp_dir();
  const tool_run run = run_tool(FACEMEND_PATH, {path, "out.ttf"}, dir);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  const std::vector<uint8_t> input = read_bytes(path), output = read_bytes(dir / "out.ttf");
  std::filesystem::remove_all(dir);
  expect_freetype_same_face(input, 0, output, 0, true);
  expect_tables_kept(faces_of(input).at(0), faces_of(output).at(0), true,
                     run.out.find("Found substitute") != std::string::npos);
  EXPECT_EQ(run.out.find("Removing code area") != std::string::npos, has_full_mac_roman(input, 0));
}

class RealFonts : public testing::TestWithParam<std::string> {};

TEST_P(RealFonts, SurviveTheRepair) {
  std::string missing;
  const std::vector<std::filesystem::path> fonts = package_fonts(GetParam(), false, missing);
  if (fonts.empty() && missing.empty())
    GTEST_SKIP() << "no fonts of package " << GetParam() << " installed";
  for (const std::filesystem::path& font : fonts) check_font(font);
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
  const tool_run signs =
      run_python(dir,
                 "import json,sys\n"
                 "for f in json.load(open(sys.argv[1]))['files']:\n"
                 "  print(f['file'].rsplit('/', 1)[1], f['status'], *f['legacy_signs'], sep=':')\n",
                 "check.json", run.out);
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
