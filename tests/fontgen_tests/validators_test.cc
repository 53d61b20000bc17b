// The written samples pass the OpenType Sanitizer and load in fontTools, when the machine
// has them; otherwise the test is skipped and says which validator is missing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "fontgen/sample_font.h"
#include "support/run_tool.h"
#include "support/validator_tools.h"

namespace {

struct sample_files {
  std::filesystem::path dir;
  std::vector<std::string> fonts;  // single faces
  std::string collection;
};

sample_files write_samples() {
  sample_files files{make_temp_dir(), {}, "sample.ttc"};
  sample_font_options long_loca;
  long_loca.index_to_loc_format = 1;
  sample_font_options unshared;
  unshared.share_unicode_subtable = false;
  const std::pair<std::string, sample_font_options> fonts[] = {
      {"plain.ttf", {}},
      {"long-loca.ttf", long_loca},
      {"unshared.ttf", unshared},
      {"gothic.ttf", legacy_japanese_options(legacy_face::gothic)},
      {"mincho.ttf", legacy_japanese_options(legacy_face::mincho)}};
  for (const auto& [name, options] : fonts) {
    write_bytes(files.dir / name, sample_font(options));
    files.fonts.push_back(name);
  }
  write_bytes(files.dir / files.collection, legacy_sample_collection());
  return files;
}

void expect_clean(const tool_run& run, const std::string& what) {
  EXPECT_EQ(run.status, 0) << what << "\n" << run.out << run.err;
  EXPECT_EQ(run.err, "") << what;
}

TEST(Validators, OpenTypeSanitizerAcceptsEverySample) {
  std::string missing;
  const std::string ots = find_ots_sanitize(missing);
  SKIP_UNLESS_PRESENT(missing);
  const sample_files files = write_samples();
  for (const std::string& font : files.fonts) {
    expect_clean(run_tool(ots, {font}, files.dir), font);
  }
  for (const char* index : {"0", "1"}) {
    expect_clean(run_tool(ots, {files.collection, "out.bin", index}, files.dir),
                 files.collection + " face " + index);
  }
  std::filesystem::remove_all(files.dir);
}

// Loads every table of every face, checks the Unicode mapping and writes the font again.
const char* const k_fonttools_check = R"(
import io, sys
from fontTools.ttLib import TTFont, TTCollection
for path in sys.argv[1:]:
    faces = TTCollection(path).fonts if path.endswith('.ttc') else [TTFont(path)]
    for font in faces:
        for tag in font.keys():
            font[tag]
        best = font['cmap'].getBestCmap()
        assert best[0x41] == 'A' and best[0x3042] == 'uni3042', best
        assert font['maxp'].numGlyphs == 6
        font.save(io.BytesIO())
)";

TEST(Validators, FontToolsReadsAndRewritesEverySample) {
  SKIP_UNLESS_PRESENT(fonttools_missing());
  const std::string python = kSystemPython;

  const sample_files files = write_samples();
  std::vector<std::string> args = {"-c", k_fonttools_check};
  args.insert(args.end(), files.fonts.begin(), files.fonts.end());
  args.push_back(files.collection);
  expect_clean(run_tool(python, args, files.dir), "fontTools");
  std::filesystem::remove_all(files.dir);
}

}  // namespace
