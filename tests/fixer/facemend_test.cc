// facemend as a user runs it: messages, their streams, exit statuses and output bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "fontgen/sample_font.h"
#include "fontgen/tables.h"
#include "mend_support.h"
#include "sfnt/byte_fields.h"

namespace {

std::vector<uint8_t> patched_u16(std::vector<uint8_t> bytes, size_t at, uint16_t value) {
  write_uint16(&bytes[at], value);
  return bytes;
}

// The legacy sample once repaired: ASCII Mac names, proportional, flags bit 1 clear and the
// Mac Roman format 6 subtable (second of the two subtables) cut to 127 entries.
std::vector<uint8_t> repaired_legacy_font() {
  sample_font_options options = legacy_japanese_options();
  options.mac_family.reset();
  options.mac_full.reset();
  options.is_fixed_pitch = 0;
  options.head_flags = 0x0009;
  const std::vector<font_table> tables = sample_font_tables(options);
  const std::vector<uint8_t>& cmap = table_of(tables, "cmap");
  const uint32_t format6_at = read_uint32(&cmap[4 + 8 * 1 + 4]);
  return build_sfnt(with_table(tables, "cmap", patched_u16(cmap, format6_at + 8, 127)));
}

const std::string kLegacyStdout = mend_stdout(
    "Sample Gothic", {"  Parsing cmap table.\n" + std::string(kCut),
                      std::string(kSuspectFamily) + "  Found substitute: \"Sample Gothic\"\n" +
                          kSuspectFull + "  Found substitute: \"Sample Gothic Regular\"\n",
                      "  isFixedPitch: 1 -> 0\n", "  flags: 000b -> 0009\n"});

TEST(Facemend, RepairsAnOldJapaneseFaceAndThenHasNothingLeftToDo) {
  const mend_run first = run_facemend(sample_font(legacy_japanese_options()));
  EXPECT_EQ(first.run.status, 0);
  EXPECT_EQ(first.run.out, kLegacyStdout);
  EXPECT_EQ(first.run.err, "");
  ASSERT_TRUE(first.output.has_value());
  EXPECT_EQ(*first.output, repaired_legacy_font());

  const mend_run second = run_facemend(*first.output);
  EXPECT_EQ(second.run.status, 0);
  EXPECT_EQ(second.run.out, mend_stdout("Sample Gothic", {}));
  EXPECT_EQ(second.output, first.output);
}

TEST(Facemend, RepairsInPlaceAndLeavesNoTemporaryFile) {
  const std::filesystem::path dir = make_temp_dir();
  write_bytes(dir / "font.ttf", sample_font(legacy_japanese_options()));
  const tool_run run = run_tool(FACEMEND_PATH, {"font.ttf", "font.ttf"}, dir);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, kLegacyStdout);
  EXPECT_EQ(read_bytes(dir / "font.ttf"), repaired_legacy_font());
  EXPECT_EQ(list_dir(dir), std::vector<std::string>{"font.ttf"});
  std::filesystem::remove_all(dir);
}

// Options anywhere, "--head" and a lone "-" set nothing; "--" ends the options.
TEST(Facemend, OptionsAroundTheFilesLeaveTheRepairAsItIs) {
  const std::filesystem::path dir = make_temp_dir();
  write_bytes(dir / "-in.ttf", sample_font(legacy_japanese_options()));
  const tool_run version = run_tool(FACEMEND_PATH, {"--version", "in.ttf"}, dir);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "facemend (facetools) " PROJECT_VERSION "\n");
  const tool_run run = run_tool(FACEMEND_PATH, {"--head", "-", "--", "-in.ttf", "out.ttf"}, dir);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, kLegacyStdout);
  EXPECT_EQ(read_bytes(dir / "out.ttf"), repaired_legacy_font());
  std::filesystem::remove_all(dir);
}

TEST(Facemend, OutputThatCannotBeCreatedFailsAfterDone) {
  const std::filesystem::path dir = make_temp_dir();
  write_bytes(dir / "in.ttf", sample_font());
  std::filesystem::create_directory(dir / "taken");
  const struct {
    std::string to;
    std::string err;
  } cases[] = {{"taken", "fopen: Is a directory\ntaken: could not be created\n"},
               {"missing/out.ttf",
                "fopen: No such file or directory\nmissing/out.ttf: could not be created\n"}};
  for (const auto& c : cases) {
    const tool_run run = run_tool(FACEMEND_PATH, {"in.ttf", c.to}, dir);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, mend_stdout("Sample Gothic", {}));
    EXPECT_EQ(run.err, c.err);
  }
  EXPECT_EQ(list_dir(dir), (std::vector<std::string>{"in.ttf", "taken"}));
  EXPECT_TRUE(std::filesystem::is_empty(dir / "taken"));
  std::filesystem::remove_all(dir);
}

TEST(Facemend, RefusesInputsItCannotRead) {
  std::vector<uint8_t> truncated = sample_font();
  truncated.resize(truncated.size() - 1);  // the last table (post) loses a byte
  std::vector<uint8_t> directory_cut = sample_font();
  directory_cut.resize(12 + 16 * 3);
  const std::vector<font_table> tables = sample_font_tables();
  std::vector<uint8_t> name = table_of(tables, "name");
  write_uint16(&name[6 + 8], 0xFFFF);  // the first record's length reaches past the table
  const struct {
    std::vector<uint8_t> font;
    std::string out, err;
  } cases[] = {
      {{0, 1, 0}, "", "Not a font file: it is too short to hold an offset table.\n"},
      {std::vector<uint8_t>(12, 0), "",
       "Not a font file: in.ttf has an unknown sfnt version (0x00000000).\n"},
      {{'t', 't', 'c', 'f', 0, 1, 0, 0},
       "",
       "TTC header runs past the end of the file.\nparse failed...\n"},
      {directory_cut, "", "Broken font file: table directory runs past the end of the file.\n"},
      {truncated, "", "Broken font file: table 'post' runs past the end of the file.\n"},
      {build_sfnt(with_table(tables, "name", name)), "",
       "Broken font file: a `name' string reaches past the end of the `name' table.\n"},
      {build_sfnt(with_table(tables, "name", std::vector<uint8_t>{0, 0, 0, 1, 0, 18})), "",
       "Broken font file: the `name' records reach past the end of the `name' table.\n"},
      {build_sfnt(with_table(tables, "name", std::nullopt)), "Couldn't find `name' table...\n", ""},
  };
  for (const auto& c : cases) {
    const mend_run run = run_facemend(c.font);
    EXPECT_EQ(run.run.status, 1);
    EXPECT_EQ(run.run.out, c.out);
    EXPECT_EQ(run.run.err, c.err);
    EXPECT_FALSE(run.output.has_value());
  }
  const tool_run missing = run_tool(FACEMEND_PATH, {"absent.ttf", "out.ttf"}, "/");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "fopen: No such file or directory\nabsent.ttf: could not be opened\n");
}

TEST(Facemend, PassesWithoutTheirTableReportAndTheRunGoesOn) {
  const std::vector<font_table> tables = sample_font_tables();
  for (const char* tag : {"cmap", "post", "head"}) {
    const std::vector<font_table> without = with_table(tables, tag, std::nullopt);
    const std::string line = std::string("Couldn't find `") + tag + "' table...\n";
    pass_findings findings;
    if (std::strcmp(tag, "cmap") == 0) findings.cmap = line;
    if (std::strcmp(tag, "post") == 0) findings.post = line;
    if (std::strcmp(tag, "head") == 0) findings.head = line;
    const mend_run run = run_facemend(build_sfnt(without));
    EXPECT_EQ(run.run.status, 0);
    EXPECT_EQ(run.run.out, mend_stdout("Sample Gothic", findings));
    EXPECT_EQ(run.output, build_sfnt(without));
  }
}

TEST(Facemend, ClearsIsFixedPitchAndHeadFlagBitOne) {
  const struct {
    uint32_t fixed_pitch;
    uint16_t flags, new_flags;
    std::string post_line, head_line;
  } cases[] = {{0, 0x000B, 0x0009, "", "  flags: 000b -> 0009\n"},
               {1, 0x0009, 0x0009, "  isFixedPitch: 1 -> 0\n", "  flags: 0009 -> 0009\n"},
               {2, 0xFFFF, 0xFFFD, "  isFixedPitch: 1 -> 0\n", "  flags: ffff -> fffd\n"}};
  for (const auto& c : cases) {
    sample_font_options options;
    options.is_fixed_pitch = c.fixed_pitch;
    options.head_flags = c.flags;
    const mend_run run = run_facemend(sample_font(options));
    EXPECT_EQ(run.run.status, 0);
    pass_findings findings;
    findings.post = c.post_line;
    findings.head = c.head_line;
    EXPECT_EQ(run.run.out, mend_stdout("Sample Gothic", findings));
    options.is_fixed_pitch = 0;
    options.head_flags = c.new_flags;
    EXPECT_EQ(run.output, sample_font(options));
  }
  // Tables too short for their field are kept as they are.
  const std::vector<font_table> short_tables =
      with_table(with_table(sample_font_tables(), "post", std::vector<uint8_t>(15, 0xFF)), "head",
                 std::vector<uint8_t>(17, 0xFF));
  const mend_run run = run_facemend(build_sfnt(short_tables));
  EXPECT_EQ(run.run.status, 0);
  pass_findings findings;
  findings.post = "  `post' table is too short (15 bytes); left unchanged.\n";
  findings.head = "  `head' table is too short (17 bytes); left unchanged.\n";
  EXPECT_EQ(run.run.out, mend_stdout("Sample Gothic", findings));
  EXPECT_EQ(run.output, build_sfnt(short_tables));
}

}  // namespace
