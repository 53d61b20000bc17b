#include <filesystem>
#include <optional>

#include "fontgen/sample_font.h"
#include "tool_test.h"

namespace {

const char kUsage[] = "usage: facepack ttcfile ttffile [ttffile ...]\n";

using Facepack = ToolTest;

}  // namespace

TEST_F(Facepack, UsageNeedsAnOutputAndAnInput) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, std::vector<std::string>{"out.ttc"}}) {
    const tool_run run = pack(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, kUsage);
  }
  EXPECT_TRUE(list_dir(dir_).empty());
}

TEST_F(Facepack, JoinsFontsStoringIdenticalTablesOnce) {
  const auto gothic = sample_font_tables(legacy_japanese_options(legacy_face::gothic));
  const auto mincho = sample_font_tables(legacy_japanese_options(legacy_face::mincho));
  put("gothic.ttf", build_sfnt(gothic));
  put("mincho.ttf", build_sfnt(mincho));

  tool_run run = pack({"both.ttc", "gothic.ttf", "mincho.ttf"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out + run.err, "");
  EXPECT_EQ(get("both.ttc"), legacy_sample_collection());  // shares all but name and head

  // The output may be among the inputs: it is read before it is replaced.
  run = pack({"-f", "gothic.ttf", "gothic.ttf", "gothic.ttf", "mincho.ttf"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(get("gothic.ttf"), build_ttc({gothic, gothic, mincho}));
}

// The inputs share one reading buffer: whatever order their sizes come in, nothing of a
// larger input may show through in a smaller one read after it.
TEST_F(Facepack, InputsOfEverySizeInAnyOrder) {
  const std::vector<font_table> large = {{"glyf", std::vector<uint8_t>((3 << 20) + 1, 5)},
                                         {"name", {1, 2, 3}}};
  const std::vector<font_table> small = {{"glyf", std::vector<uint8_t>(10, 6)}, {"name", {4}}};
  const std::vector<font_table> middle = {{"glyf", std::vector<uint8_t>(2 << 20, 7)},
                                          {"name", {1, 2, 3}}};
  put("large.ttf", build_sfnt(large));
  put("small.ttf", build_sfnt(small));
  put("middle.ttf", build_sfnt(middle));
  const std::vector<std::pair<std::vector<std::string>, std::vector<std::vector<font_table>>>>
      orders = {
          {{"large.ttf", "small.ttf", "middle.ttf"}, {large, small, middle}},
          {{"small.ttf", "middle.ttf", "large.ttf", "small.ttf"}, {small, middle, large, small}}};
  for (const auto& [inputs, faces] : orders) {
    std::vector<std::string> args = {"out.ttc"};
    args.insert(args.end(), inputs.begin(), inputs.end());
    const tool_run run = pack(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_TRUE(get("out.ttc") == build_ttc(faces)) << inputs[0];
  }
}

// Tables longer than the pieces that inputs are compared in, of one tag and length, that
// differ only in one piece: the first, a middle one or the last byte. Each is kept as its
// own entry, and a copy of any of them is stored once, whether the pool holds one
// candidate of that length (compared piece by piece) or several (found by hash), and
// whether the entries stay in their inputs or, past the number of inputs that may stay
// open, are held in memory: with so few files allowed (the three standard ones, 16 kept
// free, one more), only the first input stays open.
TEST_F(Facepack, SharesOnlyTablesEqualInEveryPiece) {
  const size_t length = (600 << 10) + 3;
  const std::vector<uint8_t> glyf = patterned_bytes(length);
  std::vector<std::vector<font_table>> fonts;
  for (const size_t changed : {length, size_t{0}, size_t{300} << 10, length - 1}) {
    std::vector<uint8_t> bytes = glyf;
    if (changed < length) bytes[changed] ^= 0x80;
    fonts.push_back({{"glyf", bytes}, {"name", {1, 2}}});
    put("f" + std::to_string(fonts.size() - 1) + ".ttf", build_sfnt(fonts.back()));
  }
  // The second input meets one candidate; the later ones meet several.
  for (const std::vector<size_t>& order :
       std::vector<std::vector<size_t>>{{0, 0, 1, 0}, {0, 2, 2, 0}, {0, 3, 1, 3, 0}, {3, 0, 3}}) {
    std::vector<std::string> args = {"out.ttc"};
    std::vector<std::vector<font_table>> faces;
    for (const size_t font : order) {
      args.push_back("f" + std::to_string(font) + ".ttf");
      faces.push_back(fonts[font]);
    }
    for (const bool few_files : {false, true}) {
      std::optional<open_file_limit> limit;
      if (few_files) limit.emplace(20);
      const tool_run run = pack(args);
      limit.reset();
      EXPECT_EQ(run.status, 0);
      EXPECT_EQ(run.out + run.err, "");
      EXPECT_TRUE(get("out.ttc") == build_ttc(faces)) << args[1] << " " << args[2] << few_files;
    }
  }
}

TEST_F(Facepack, RefusesBadInputsBeforeTouchingTheOutput) {
  const std::vector<uint8_t> font = sample_font();
  const std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o', ',', ' ', 'w', 'o', 'r', 'l', 'd'};
  put("good.ttf", font);
  put("all.ttc", build_ttc({sample_font_tables()}));
  std::vector<std::pair<std::vector<uint8_t>, std::string>> cases = {
      {{}, "bad: empty file\n"},
      {build_ttc({sample_font_tables()}),
       "bad: not a single-face font (it is a collection; facesplit splits it)\n"},
      {{0, 1, 0, 0, 0, 10, 0}, "bad: offset table runs past the end of the file\n"},
      {std::vector<uint8_t>(font.begin(), font.begin() + 100),
       "bad: table directory runs past the end of the file\n"},
      {std::vector<uint8_t>(font.begin(), font.end() - 8),
       "bad: table 'post' runs past the end of the file\n"},
      {text, "bad: not a font (unknown sfnt version 0x68656C6C)\n"},
      {std::vector<uint8_t>(12, 0), "bad: not a font (unknown sfnt version 0x00000000)\n"},
  };
  // 300 records that name one 64 KiB table: 19.7 MB as a font of its own, more than 32
  // times the file's size plus 16 MiB.
  std::vector<uint8_t> repeated;
  put_offset_table(repeated, 300);
  for (int i = 0; i < 300; ++i) put_record(repeated, "glyf", 12 + 16 * 300, 65536);
  repeated.resize(repeated.size() + 65536, 7);
  cases.push_back({repeated, "bad: its tables would take more than " +
                                 std::to_string(32 * repeated.size() + (16 << 20)) +
                                 " bytes, more than its size allows\n"});
  for (const auto& [bytes, message] : cases) {
    put("bad", bytes);
    const tool_run run = pack({"all.ttc", "good.ttf", "bad"});
    EXPECT_EQ(run.status, 1) << message;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, message);
  }
  const tool_run missing = pack({"all.ttc", "good.ttf", "missing.ttf"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "fopen: No such file or directory\nmissing.ttf: could not be opened\n");
  const tool_run itself = pack({"all.ttc", "all.ttc", "good.ttf"});
  EXPECT_EQ(itself.status, 1);
  EXPECT_EQ(itself.err,
            "all.ttc: not a single-face font (it is a collection; facesplit splits it)\n");

  EXPECT_EQ(get("all.ttc"), build_ttc({sample_font_tables()}));
  EXPECT_EQ(list_dir(dir_), (std::vector<std::string>{"all.ttc", "bad", "good.ttf"}));
}

// An input of 2 GiB (sparse, so it costs no disk) is refused by its size; no room is set
// aside for it before the inputs are read.
TEST_F(Facepack, InputOfTwoGigabytesIsRefusedBySize) {
  put("good.ttf", build_sfnt({{"glyf", std::vector<uint8_t>(100, 7)}}));
  put("huge.ttf", {});
  std::filesystem::resize_file(path("huge.ttf"), uintmax_t{1} << 31);
  const tool_run run = pack({"out.ttc", "good.ttf", "huge.ttf"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "File too large (2 GiB or more)...\nhuge.ttf: too large to be read\n");
  EXPECT_FALSE(std::filesystem::exists(path("out.ttc")));
}

TEST_F(Facepack, OutputFailuresEndWithStatusTwo) {
  put("a.ttf", build_sfnt({{"glyf", std::vector<uint8_t>(100000, 7)}}));
  std::filesystem::create_directory(path("folder.ttc"));
  tool_run run = pack({"folder.ttc", "a.ttf"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "fopen: Is a directory\nfolder.ttc: could not be created\n");

  put("out.ttc", {1, 2, 3});
  {
    const file_size_limit limit(65536);
    run = pack({"-f", "out.ttc", "a.ttf"});
  }
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "fwrite: File too large\nout.ttc: could not be written\nwrite failed.\n");
  EXPECT_EQ(get("out.ttc"), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(list_dir(dir_), (std::vector<std::string>{"a.ttf", "folder.ttc", "out.ttc"}));
}
