// The demo that the README's first command runs: it must get through the whole workflow on
// the sample and show each repair of each face, before and after.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_tool.h"

namespace {

namespace fs = std::filesystem;

// Where `what` first appears in `text` at or after `from`; fails the test when it does not.
size_t expect_after(const std::string& text, const std::string& what, size_t from) {
  const size_t at = text.find(what, from);
  EXPECT_NE(at, std::string::npos) << "missing after offset " << from << ": " << what;
  return at == std::string::npos ? from : at;
}

TEST(Demo, RunsTheWorkflowOnTheSampleAndShowsEveryChange) {
  const fs::path dir = make_temp_dir();
  const tool_run run =
      run_tool("/bin/bash",
               {fs::path(SOURCE_DIR) / "scripts/demo.sh", dir / "work", MAKE_SAMPLE_PATH,
                FONT_REPORT_PATH, FACESPLIT_PATH, FACEMEND_PATH, FACEPACK_PATH},
               dir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string& out = run.out;
  size_t at = expect_after(out, "$ facemend --check sample.ttc\nFace 0:\n", 0);
  at = expect_after(out, "Face 1:\nFont family: Sample Mincho\n", at);
  at = expect_after(out, "Would change: cmap name post head\n(exit status 3", at);
  at = expect_after(out, "$ facemend sample.ttc sample-mended.ttc\nFace 0:\n", at);
  at = expect_after(out, "$ font_report sample.ttc sample-mended.ttc\n", at);
  for (const char* family : {"Sample Gothic", "Sample Mincho"}) {
    at = expect_after(out, "\"" + std::string(family) + "\":\n", at);
    at = expect_after(out, "(Shift-JIS for \"サンプル", at);
    at = expect_after(out, "-> \"" + std::string(family) + "\"\n", at);
    at = expect_after(out, "-> \"" + std::string(family) + " Regular\"\n", at);
    at = expect_after(out, "format 6, 256 codes (0x00-0xff)\n     -> format 6, 127 codes", at);
    at = expect_after(out, "post  isFixedPitch: 1 -> 0\n", at);
    at = expect_after(out, "head  flags: 0x000b -> 0x0009\n", at);
    at = expect_after(out, "head  checkSumAdjustment: 0x00000000 (unchanged)\n", at);
    at = expect_after(out, "tables changed: cmap head name post\n", at);
  }
  at = expect_after(out, "$ facesplit ../sample.ttc\n2 faces\n", at);
  at = expect_after(out, "$ facemend face_01.ttf face_01.ttf\n", at);
  at = expect_after(out, "$ facepack ../sample-3steps.ttc face_00.ttf face_01.ttf\n", at);
  expect_after(out, "$ cmp sample-mended.ttc sample-3steps.ttc\nsame bytes", at);
  EXPECT_TRUE(fs::exists(dir / "work/sample-mended.ttc"));
  fs::remove_all(dir);
}

TEST(Demo, ReportShowsNoChangeBetweenAFontAndItself) {
  const fs::path dir = make_temp_dir();
  const tool_run made = run_tool(MAKE_SAMPLE_PATH, {dir}, dir);
  ASSERT_EQ(made.status, 0) << made.err;
  const tool_run run = run_tool(FONT_REPORT_PATH, {"sample-gothic.ttf", "sample-gothic.ttf"}, dir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("sample-gothic.ttf: a single font of 10 tables\n"), std::string::npos);
  EXPECT_EQ(run.out.find("->"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("tables changed: (none)\n"), std::string::npos) << run.out;

  const tool_run refused = run_tool(FONT_REPORT_PATH, {"sample-gothic.ttf", "missing.ttf"}, dir);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("fopen: No such file or directory"), std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
