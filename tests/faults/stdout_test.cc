// Standard output that cannot be written (here /dev/full): the report is lost, so the run
// ends with a message on standard error and status 2, or keeps a status that already says
// something (facemend --check's 3).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fontgen/sample_font.h"
#include "support/run_tool.h"

namespace {

namespace fs = std::filesystem;

struct stdout_case {
  const char* name;
  std::string program;
  std::vector<std::string> args;
  int status;
  std::string err;
};

TEST(FullStdout, EndsTheRunWithAMessageAndStatusTwo) {
  const fs::path dir = make_temp_dir();
  write_bytes(dir / "legacy.ttf", sample_font(legacy_japanese_options()));
  write_bytes(dir / "all.ttc", build_ttc({sample_font_tables(), sample_font_tables()}));
  ASSERT_EQ(run_tool(FACEMEND_PATH, {"legacy.ttf", "mended.ttf"}, dir).status, 0);
  // The programs that flush their report before writing learn of the failure then, and
  // its reason is gone by the end.
  const std::string kFull = "stdout: No space left on device\n";
  const std::string kLost = "stdout: write error\n";
  const std::vector<stdout_case> cases = {
      {"check, nothing to change", FACEMEND_PATH, {"--check", "mended.ttf"}, 2, kFull},
      {"check, a change", FACEMEND_PATH, {"--check", "legacy.ttf"}, 3, kFull},
      {"repair", FACEMEND_PATH, {"legacy.ttf", "out.ttf"}, 2, kLost},
      {"split", FACESPLIT_PATH, {"all.ttc"}, 2, kLost},
  };
  for (const stdout_case& c : cases) {
    std::vector<std::string> args = {"-c", "exec \"$0\" \"$@\" > /dev/full", c.program};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const tool_run run = run_tool("/bin/sh", args, dir);
    EXPECT_EQ(run.status, c.status) << c.name;
    EXPECT_EQ(run.err, c.err) << c.name;
  }
  fs::remove_all(dir);
}

}  // namespace
