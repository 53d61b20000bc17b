// Standard descriptors closed at start, and descriptors inherited from the caller that leave
// few for the program: the output must come out as from a plain run.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fontgen/sample_font.h"
#include "support/run_tool.h"

namespace {

namespace fs = std::filesystem;

// Runs `program` through bash, which first runs `setup` (redirections, a ulimit).
tool_run run_after(const std::string& setup, const std::string& program,
                   std::vector<std::string> args, const fs::path& dir) {
  args.insert(args.begin(), {"-c", setup + "; exec \"$0\" \"$@\"", program});
  return run_tool("/bin/bash", args, dir);
}

// With standard input and output closed, the first files the program opens would take
// descriptors 0 and 1, and the report would be written into one of them.
TEST(Descriptors, ClosedStandardOnesLeaveTheOutputAsAPlainRunWritesIt) {
  const fs::path dir = make_temp_dir();
  write_bytes(dir / "sample.ttc", legacy_sample_collection());
  ASSERT_EQ(run_tool(FACEMEND_PATH, {"sample.ttc", "plain.ttc"}, dir).status, 0);
  const tool_run run = run_after("exec <&- >&-", FACEMEND_PATH, {"sample.ttc", "closed.ttc"}, dir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(read_bytes(dir / "closed.ttc"), read_bytes(dir / "plain.ttc"));
  fs::remove_all(dir);
}

// Twenty descriptors inherited under a limit of 40: facepack keeps no more inputs open than
// the descriptors left allow, and joins forty fonts as it would with room to spare.
TEST(Descriptors, FacepackCountsThoseItInherited) {
  const fs::path dir = make_temp_dir();
  std::vector<std::string> args = {"limited.ttc"};
  for (int i = 0; i < 40; ++i) {
    sample_font_options options;
    options.family = "Face " + std::to_string(i);
    args.push_back("f" + std::to_string(i) + ".ttf");
    write_bytes(dir / args.back(), sample_font(options));
  }
  const std::string inherit20 = "for fd in {3..22}; do eval \"exec $fd</dev/null\"; done";
  const tool_run run = run_after(inherit20 + "; ulimit -n 40", FACEPACK_PATH, args, dir);
  EXPECT_EQ(run.status, 0) << run.err;
  args[0] = "plain.ttc";
  ASSERT_EQ(run_tool(FACEPACK_PATH, args, dir).status, 0);
  EXPECT_EQ(read_bytes(dir / "limited.ttc"), read_bytes(dir / "plain.ttc"));
  fs::remove_all(dir);
}

}  // namespace
