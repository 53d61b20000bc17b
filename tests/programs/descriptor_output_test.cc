// An output named after one of the program's own descriptors (/dev/stdout, /dev/fd/N,
// /proc/self/fd/N, a link to one) is written through that descriptor: appended to a log
// opened with >>, into a pipe, into a file already deleted, never put in the place of the
// file the descriptor has open. When it is standard output, the report goes to standard
// error and the output holds nothing but the font. A descriptor open on an input is
// refused: the output would land on the input.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fontgen/sample_font.h"
#include "support/run_tool.h"

namespace {

namespace fs = std::filesystem;

std::string to_string(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// What a run writes, as a run to a named file gave it: the file and the report.
struct reference {
  const char* file;
  tool_run run;
};

struct descriptor_case {
  const char* name;
  // Run by sh with facemend as $0 and facepack as $1; leaves what the program wrote in the
  // file "result", after `before`.
  std::string script;
  const reference* expected;
  std::string before;
  bool on_stdout = true;  // the output is standard output: the report goes to stderr
};

TEST(DescriptorOutput, IsWrittenThroughAndTheReportGoesToStandardError) {
  const fs::path dir = make_temp_dir();
  write_bytes(dir / "legacy.ttf", sample_font(legacy_japanese_options()));
  write_bytes(dir / "other.ttf", sample_font(legacy_japanese_options(legacy_face::mincho)));
  write_bytes(dir / "legacy.ttc", build_ttc({sample_font_tables(), sample_font_tables()}));
  const reference mend{"mended.ttf", run_tool(FACEMEND_PATH, {"legacy.ttf", "mended.ttf"}, dir)};
  const reference mend_ttc{"mended.ttc",
                           run_tool(FACEMEND_PATH, {"legacy.ttc", "mended.ttc"}, dir)};
  const reference pack{
      "packed.ttc", run_tool(FACEPACK_PATH, {"-v", "packed.ttc", "legacy.ttf", "other.ttf"}, dir)};
  ASSERT_EQ(mend.run.status + mend_ttc.run.status + pack.run.status, 0);
  ASSERT_EQ(mend.run.err + mend_ttc.run.err + pack.run.err, "");
  const std::vector<std::string> kept = list_dir(dir);
  const std::string mend_ttf = "\"$0\" legacy.ttf ";
  const std::string pack_two = "\"$1\" -f -v ";
  const std::string fonts = " legacy.ttf other.ttf";
  const std::vector<descriptor_case> cases = {
      {"> file", mend_ttf + "/dev/stdout > result", &mend, ""},
      {">> log", "echo log > result; " + mend_ttf + "/dev/stdout >> result", &mend, "log\n"},
      {"pipe", mend_ttf + "/dev/stdout | cat > result", &mend, ""},
      {"/dev/fd/3", mend_ttf + "/dev/fd/3 3>> result > report", &mend, "", false},
      {"/proc/self/fd/1", mend_ttf + "/proc/self/fd/1 > result", &mend, ""},
      {"a link to /dev/stdout", "ln -s /dev/stdout out; " + mend_ttf + "out > result; rm out",
       &mend, ""},
      {"deleted",
       "exec 3> gone 4< gone; rm gone; " + mend_ttf + "/dev/stdout >&3; cat <&4 > result", &mend,
       ""},
      {"collection >> log", "echo log > result; \"$0\" legacy.ttc /dev/stdout >> result", &mend_ttc,
       "log\n"},
      {"facepack >> log", "echo log > result; " + pack_two + "/dev/stdout" + fonts + " >> result",
       &pack, "log\n"},
      {"facepack pipe", pack_two + "/dev/stdout" + fonts + " | cat > result", &pack, ""},
  };
  for (const descriptor_case& c : cases) {
    SCOPED_TRACE(c.name);
    const tool_run run = run_tool("/bin/sh", {"-c", c.script, FACEMEND_PATH, FACEPACK_PATH}, dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.on_stdout ? c.expected->run.out : "");
    if (!c.on_stdout) {
      EXPECT_EQ(to_string(read_bytes(dir / "report")), c.expected->run.out);
    }
    fs::remove(dir / "report");
    std::vector<uint8_t> expected(c.before.begin(), c.before.end());
    const std::vector<uint8_t> bytes = read_bytes(dir / c.expected->file);
    expected.insert(expected.end(), bytes.begin(), bytes.end());
    EXPECT_EQ(read_bytes(dir / "result"), expected);
    fs::remove(dir / "result");
    EXPECT_EQ(list_dir(dir), kept);  // nothing replaced, nothing made
  }
  fs::remove_all(dir);
}

// `>> input` would append the output to the input: nothing is written, the input stays as
// it was, and the run fails.
TEST(DescriptorOutput, OpenOnAnInputIsRefusedUnwritten) {
  const fs::path dir = make_temp_dir();
  write_bytes(dir / "legacy.ttf", sample_font(legacy_japanese_options()));
  write_bytes(dir / "other.ttf", sample_font(legacy_japanese_options(legacy_face::mincho)));
  write_bytes(dir / "legacy.ttc", build_ttc({sample_font_tables(), sample_font_tables()}));
  const std::pair<const char*, std::string> cases[] = {
      {"legacy.ttf", "\"$0\" legacy.ttf /dev/stdout >> legacy.ttf"},
      {"legacy.ttc", "\"$0\" legacy.ttc /dev/stdout >> legacy.ttc"},
      {"other.ttf", "\"$1\" -f /dev/stdout legacy.ttf other.ttf >> other.ttf"},
  };
  for (const auto& [input, script] : cases) {
    SCOPED_TRACE(script);
    const std::vector<uint8_t> before = read_bytes(dir / input);
    const tool_run run = run_tool("/bin/sh", {"-c", script, FACEMEND_PATH, FACEPACK_PATH}, dir);
    EXPECT_EQ(run.status, 2);
    const std::string refusal =
        "/dev/stdout is the same file as " + std::string(input) + "; nothing written\n";
    EXPECT_TRUE(run.err.ends_with(refusal)) << run.err;
    EXPECT_TRUE(read_bytes(dir / input) == before);
  }
  fs::remove_all(dir);
}

}  // namespace
