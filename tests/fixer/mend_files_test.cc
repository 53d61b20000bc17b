// facemend over many files: --check and its verdict lines, --in-place, -q and --json, and
// the command line that chooses among them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "fontgen/sample_font.h"
#include "mend_support.h"

namespace {

namespace fs = std::filesystem;

const char kNameSign[] = "Legacy signs: Shift-JIS name.\n";
const char kNoSign[] = "No legacy signs.\n";
const char kLeft[] = "No legacy signs; left unchanged.\n";

sample_font_options head_only() {
  sample_font_options options;
  options.head_flags = 0x000B;
  return options;
}

sample_font_options failing() {
  sample_font_options options = legacy_japanese_options();
  options.windows_names = false;
  return options;
}

std::string summary(int legacy, int clean, int failed) {
  char line[160];
  const int files = legacy + clean + failed;
  std::snprintf(line, sizeof line,
                "%d %s: %d with legacy signs, %d needing nothing, %d could not be read or "
                "repaired.\n",
                files, files == 1 ? "file" : "files", legacy, clean, failed);
  return line;
}

// One legacy face with 64 KiB of filler, named 400 times by a collection: 26 MB as fonts
// of their own from a file of 68 kB, more than the reader's budget allows.
std::vector<uint8_t> one_legacy_face_many_times() {
  constexpr uint32_t kFaces = 400, kDirectory = 12 + 4 * kFaces;
  std::vector<font_table> tables = sample_font_tables(legacy_japanese_options());
  tables.push_back({"zzzz", std::vector<uint8_t>(65536, 7)});
  std::vector<uint8_t> face = build_sfnt(tables);
  // Table offsets count from the start of the collection, where the face now starts later.
  for (size_t record = 12; record < 12 + 16 * tables.size(); record += 16) {
    std::vector<uint8_t> offset;
    put_u32(offset, (uint32_t{face[record + 8]} << 24 | uint32_t{face[record + 9]} << 16 |
                     uint32_t{face[record + 10]} << 8 | face[record + 11]) +
                        kDirectory);
    std::copy(offset.begin(), offset.end(), face.begin() + record + 8);
  }
  return faces_at(std::vector<uint32_t>(kFaces, kDirectory), face);
}

class MendFiles : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = make_temp_dir(); }
  void TearDown() override { fs::remove_all(dir_); }
  void put(const std::string& name, const std::vector<uint8_t>& bytes) const {
    write_bytes(dir_ / name, bytes);
  }
  std::vector<uint8_t> get(const std::string& name) const { return read_bytes(dir_ / name); }
  tool_run mend(const std::vector<std::string>& args) const {
    return run_tool(FACEMEND_PATH, args, dir_);
  }
  fs::path dir_;
};

// One file: the report of a repair, then the signs and what would change; the status says
// whether the file shows legacy signs, not whether a repair would change something.
TEST_F(MendFiles, CheckOfOneFileAddsItsLegacySigns) {
  const struct {
    const char* name;
    std::vector<uint8_t> font;
    int status;
    std::string last_lines;
  } cases[] = {
      {"legacy font", sample_font(legacy_japanese_options()), 3,
       std::string(kNameSign) + "Would change: cmap name post head\n"},
      {"head only", sample_font(head_only()), 0, std::string(kNoSign) + "Would change: head\n"},
      {"sound font", sample_font(), 0, std::string(kNoSign) + "Nothing to change.\n"},
      {"legacy collection", legacy_sample_collection(), 3,
       std::string(kNameSign) + "Would change: cmap name post head\n"},
      {"failing font", sample_font(failing()), 2, ""},
  };
  for (const auto& c : cases) {
    put("f", c.font);
    const tool_run check = mend({"--check", "f"});
    const tool_run repair = mend({"f", "out"});
    fs::remove(dir_ / "out");
    EXPECT_EQ(check.status, c.status) << c.name;
    EXPECT_EQ(check.out, repair.out + c.last_lines) << c.name;
    EXPECT_EQ(check.err, repair.err) << c.name;
    EXPECT_EQ(list_dir(dir_), std::vector<std::string>{"f"}) << c.name;
  }
}

TEST_F(MendFiles, CheckOfSeveralFilesNamesEachAndSumsUp) {
  put("a.ttf", sample_font(legacy_japanese_options()));
  put("b.ttf", sample_font());
  put("c.ttf", sample_font(failing()));
  const tool_run one = mend({"--check", "b.ttf"});
  const struct {
    std::vector<std::string> files;
    int status;
  } cases[] = {{{"a.ttf", "b.ttf"}, 3},
               {{"b.ttf", "b.ttf"}, 0},
               {{"missing.ttf", "c.ttf", "a.ttf"}, 2},
               {{"a.ttf", "missing.ttf"}, 1}};
  for (const auto& c : cases) {
    std::vector<std::string> args = c.files;
    args.insert(args.begin(), "--check");
    const tool_run run = mend(args);
    EXPECT_EQ(run.status, c.status);
    std::string expected;
    int legacy = 0, clean = 0, failed = 0;
    for (const std::string& file : c.files) {
      const tool_run alone = mend({"--check", file});
      expected += file + ":\n" + alone.out;
      ++(alone.status == 3 ? legacy : alone.status == 0 ? clean : failed);
    }
    EXPECT_EQ(run.out, expected + summary(legacy, clean, failed));
  }
  const tool_run quiet = mend({"-q", "--check", "a.ttf", "b.ttf", "missing.ttf"});
  EXPECT_EQ(quiet.status, 1);
  EXPECT_EQ(quiet.out, "missing.ttf:\n" + summary(1, 1, 1));
  EXPECT_EQ(quiet.err, "fopen: No such file or directory\nmissing.ttf: could not be opened\n");
  EXPECT_EQ(mend({"--quiet", "--check", "a.ttf"}).out, "");
}

// A collection is checked as its repair reads it: one that the repair refuses is refused
// by the check in the same words, not judged for signs.
TEST_F(MendFiles, CheckRefusesTheCollectionsTheRepairRefuses) {
  put("many.ttc", one_legacy_face_many_times());
  const tool_run check = mend({"--check", "many.ttc"});
  const tool_run repair = mend({"many.ttc", "out.ttc"});
  EXPECT_EQ(repair.status, 1);
  EXPECT_EQ(check.status, repair.status);
  EXPECT_NE(repair.err, "");
  EXPECT_EQ(check.err, repair.err);
}

// Only the files that show legacy signs are written; the others keep their bytes and their
// times, and a failure does not stop the run.
TEST_F(MendFiles, InPlaceRepairsExactlyTheLegacyFiles) {
  const std::vector<uint8_t> legacy = sample_font(legacy_japanese_options());
  put("legacy.ttf", legacy);
  put("sound.ttf", sample_font(head_only()));
  put("failing.ttf", sample_font(failing()));
  put("legacy.ttc", legacy_sample_collection());
  const tool_run repaired = mend({"legacy.ttf", "expected.ttf"});
  const tool_run repaired_ttc = mend({"legacy.ttc", "expected.ttc"});
  const tool_run failed = mend({"failing.ttf", "x.ttf"});
  struct stat before {};
  ASSERT_EQ(::stat((dir_ / "sound.ttf").c_str(), &before), 0);
  const std::vector<uint8_t> sound = get("sound.ttf");

  const tool_run run = mend({"-i", "legacy.ttf", "sound.ttf", "failing.ttf", "legacy.ttc"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "legacy.ttf:\n" + repaired.out + "sound.ttf:\n" + kLeft + "failing.ttf:\n" +
                         failed.out + "legacy.ttc:\n" + repaired_ttc.out + summary(2, 1, 1));
  EXPECT_EQ(get("legacy.ttf"), get("expected.ttf"));
  EXPECT_EQ(get("legacy.ttc"), get("expected.ttc"));
  EXPECT_EQ(get("failing.ttf"), sample_font(failing()));
  EXPECT_EQ(get("sound.ttf"), sound);
  struct stat after {};
  ASSERT_EQ(::stat((dir_ / "sound.ttf").c_str(), &after), 0);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

  const tool_run quiet = mend({"--in-place", "--quiet", "sound.ttf", "legacy.ttf"});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out, summary(0, 2, 0));  // repaired above, legacy.ttf needs nothing now
  EXPECT_EQ(get("sound.ttf"), sound);

  const tool_run forced = mend({"--force", "-i", "sound.ttf"});
  EXPECT_EQ(forced.status, 0);
  EXPECT_EQ(forced.out.substr(forced.out.size() - summary(0, 1, 0).size()), summary(0, 1, 0));
  EXPECT_NE(get("sound.ttf"), sound);
}

TEST_F(MendFiles, CommandLineRefusesWhatItDoesNotKnow) {
  const std::vector<uint8_t> font = sample_font(legacy_japanese_options());
  put("a.ttf", font);
  const std::string usage =
      "usage: facemend [options] from to\n"
      "       facemend --check [options] file...\n"
      "       facemend --in-place [options] file...\n";
  const std::string program = FACEMEND_PATH;
  const struct {
    std::vector<std::string> args;
    std::string out, err;
  } cases[] = {
      {{"--chek", "a.ttf", "a.ttf"}, "", "facemend: unknown option '--chek'\n" + usage},
      {{"a.ttf", "a.ttf", "--dry-run"}, "", "facemend: unknown option '--dry-run'\n" + usage},
      {{"-x", "a.ttf"}, "", "facemend: unknown option '-x'\n" + usage},
      {{"--check", "-i", "a.ttf"},
       "",
       "facemend: options '--check' and '--in-place' exclude each other\n" + usage},
      {{"--force", "a.ttf", "b.ttf"},
       "",
       "facemend: option '--force' goes only with --in-place\n" + usage},
      {{"--json", "-i", "a.ttf"}, "", "facemend: option '--json' goes only with --check\n" + usage},
      {{}, "usage: " + program + " from to\n", ""},
      {{"-", "--head", "a.ttf"}, "usage: " + program + " from to\n", ""},
      {{"a.ttf", "b.ttf", "c.ttf"}, "usage: " + program + " from to\n", ""},
      {{"--check"}, "usage: " + program + " --check file...\n", ""},
      {{"-i", "--", "-"}, "", "fopen: No such file or directory\n-: could not be opened\n"},
      {{"-iq"}, "usage: " + program + " --in-place file...\n", ""},
  };
  for (const auto& c : cases) {
    const tool_run run = mend(c.args);
    EXPECT_EQ(run.status, 1) << c.err;
    EXPECT_EQ(run.out.substr(0, c.out.size()), c.out);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(get("a.ttf"), font);
    EXPECT_EQ(list_dir(dir_), std::vector<std::string>{"a.ttf"});
  }
  const tool_run help = mend({"-h"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with(usage + "\n")) << help.out;
}

// A name never starts a line of its own or reaches the terminal as a control sequence.
TEST_F(MendFiles, NamesAreShownEscaped) {
  sample_font_options hostile = legacy_japanese_options();
  hostile.family = "Evil\x1b]0;x\x07\nDone.";
  put("evil.ttf", sample_font(hostile));
  const tool_run run = mend({"evil.ttf", "out.ttf"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.out.starts_with("Font family: Evil\\x1b]0;x\\x07\\x0aDone.\n")) << run.out;
  EXPECT_NE(run.out.find("  Found substitute: \"Evil\\x1b]0;x\\x07\\x0aDone.\"\n"),
            std::string::npos);
  EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
}

// The document parses, escapes what a name may hold, and names the same signs as the text.
TEST_F(MendFiles, JsonDocumentParsesAndEscapesNames) {
  sample_font_options hostile = legacy_japanese_options();
  hostile.family = "Evil\x1b]0;x\x07\nDone.";
  put("evil.ttf", sample_font(hostile));
  put("sound.ttf", sample_font());
  const tool_run run = mend({"--check", "--json", "evil.ttf", "sound.ttf"});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
  EXPECT_NE(run.out.find(R"("family": "Evil\u001b]0;x\u0007\nDone.")"), std::string::npos)
      << run.out;
  const std::string script =
      "import json,sys\n"
      "d = json.load(open(sys.argv[1]))\n"
      "for f in d['files']:\n"
      "  for face in f['faces']:\n"
      "    print(f['file'], f['status'], face['face'], ','.join(face['legacy_signs']),\n"
      "          ' '.join(c['table'] + '=' + c['why'] for c in face['would_change']))\n"
      "print(d['status'])\n";
  const tool_run parsed = run_python(dir_, script, "doc.json", run.out);
  EXPECT_EQ(parsed.status, 0) << parsed.err;
  EXPECT_EQ(parsed.out,
            "evil.ttf 3 0 Shift-JIS name cmap=cut 0x80-0xFF name=Shift-JIS Macintosh names "
            "replaced post=monospaced mark cleared head=flags bit 1 cleared\n"
            "sound.ttf 0 0  \n"
            "3\n");
}

}  // namespace
