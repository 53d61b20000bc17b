// make_sample writes the sample collection and its two faces, silently, or fails with a
// message and status 1.
#include <gtest/gtest.h>

#include <filesystem>

#include "fontgen/sample_font.h"
#include "support/run_tool.h"

namespace {

TEST(MakeSample, WritesTheCollectionAndBothFaces) {
  const std::filesystem::path dir = make_temp_dir();
  const tool_run run = run_tool(MAKE_SAMPLE_PATH, {dir.string()}, dir);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(list_dir(dir),
            (std::vector<std::string>{"sample-gothic.ttf", "sample-mincho.ttf", "sample.ttc"}));
  EXPECT_EQ(read_bytes(dir / "sample.ttc"), legacy_sample_collection());
  EXPECT_EQ(read_bytes(dir / "sample-gothic.ttf"),
            sample_font(legacy_japanese_options(legacy_face::gothic)));
  EXPECT_EQ(read_bytes(dir / "sample-mincho.ttf"),
            sample_font(legacy_japanese_options(legacy_face::mincho)));
  std::filesystem::remove_all(dir);
}

TEST(MakeSample, FailsWithStatusOneAndAMessage) {
  const std::filesystem::path dir = make_temp_dir();
  const tool_run usage = run_tool(MAKE_SAMPLE_PATH, {}, dir);
  EXPECT_EQ(usage.status, 1);
  EXPECT_EQ(usage.err, "usage: make_sample OUTDIR\n");

  const tool_run missing = run_tool(MAKE_SAMPLE_PATH, {(dir / "missing").string()}, dir);
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("make_sample: cannot create"), std::string::npos) << missing.err;

  // A folder standing where the collection should go.
  std::filesystem::create_directory(dir / "sample.ttc");
  const tool_run blocked = run_tool(MAKE_SAMPLE_PATH, {dir.string()}, dir);
  EXPECT_EQ(blocked.status, 1);
  EXPECT_NE(blocked.err.find("sample.ttc"), std::string::npos) << blocked.err;
  std::filesystem::remove_all(dir);
}

}  // namespace
