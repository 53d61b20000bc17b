// The options of facesplit and facepack as a user runs them: each leaves the bytes of the
// plain run as they were, and each new message is checked here once.
#include <filesystem>

#include "fontgen/tables.h"
#include "tool_test.h"

namespace {

using Options = ToolTest;

const std::vector<uint8_t> kGlyf = {7, 7, 7};
constexpr uint32_t kOtto = 0x4F54544F;

// Four faces sharing glyf, faces 0 and 2 also their name ("Alpha"); face 1 ("Beta") has
// CFF outlines, face 3 no name table.
std::vector<std::vector<font_table>> named_faces() {
  const font_table alpha{"name", build_name_table({{3, 1, 0x409, 6, utf16be("Alpha")}})};
  const font_table beta{"name", build_name_table({{1, 0, 0, 6, bytes_of("Beta")}})};
  return {{{"glyf", kGlyf}, {"head", {1}}, alpha},
          {{"glyf", kGlyf}, {"head", {2}}, beta},
          {{"glyf", kGlyf}, {"head", {3}}, alpha},
          {{"glyf", kGlyf}, {"head", {4}}}};
}

// The collection of named_faces(), face 1 marked as CFF.
std::vector<uint8_t> named_collection() {
  std::vector<uint8_t> file = build_ttc(named_faces());
  const size_t at = size_t{file[18]} << 8 | file[19];  // face 1's offset table
  for (size_t i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(kOtto >> (24 - 8 * i));
  return file;
}

TEST_F(Options, FacesplitOptionsWriteThePlainSplitsBytes) {
  put("in.ttc", named_collection());
  struct split_case {
    std::vector<std::string> args;
    std::string folder, out;
    std::vector<std::pair<std::string, size_t>> files;  // in the folder, sorted
  };
  const std::vector<split_case> cases = {
      {{"--faces", "2,0", "-d", "b", "in.ttc"},
       "b",
       "4 faces\n",
       {{"face_00.ttf", 0}, {"face_02.ttf", 2}}},
      {{"in.ttc", "--name", "psname", "-d", "c"},
       "c",
       "4 faces\n",
       {{"Alpha-1.ttf", 2}, {"Alpha.ttf", 0}, {"Beta.otf", 1}, {"face_03.ttf", 3}}},
      {{"--name", "index", "--faces", "3", "-d", "d", "in.ttc"},
       "d",
       "4 faces\n",
       {{"face_03.ttf", 3}}},
      {{"--list", "--faces", "1-3", "-d", "e", "in.ttc"},
       "e",
       "1 Beta CFF 3 glyf\n2 Alpha TrueType 3 glyf name\n3 - TrueType 2 glyf\n",
       {}},
  };
  const auto faces = named_faces();
  for (const split_case& c : cases) {
    const tool_run run = split(c.args);
    EXPECT_EQ(run.status, 0) << c.folder;
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, "");
    std::vector<std::string> names;
    for (const auto& [name, face] : c.files) {
      names.push_back(name);
      const face_header header{face == 1 ? kOtto : 0x00010000};
      EXPECT_EQ(get(c.folder + "/" + name), build_sfnt(faces[face], header)) << name;
    }
    if (!names.empty()) {
      EXPECT_EQ(list_dir(path(c.folder)), names);
    }
  }
  EXPECT_EQ(list_dir(dir_), (std::vector<std::string>{"b", "c", "d", "in.ttc"}));
}

TEST_F(Options, FacesplitRefusesBadRequestsWritingNothing) {
  put("in.ttc", build_ttc(named_faces()));
  put("file", {1});
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--faces", "0,", "in.ttc"}, "facesplit: '0,' is not a face list such as 0,2-5\n"},
      {{"--faces", "0,1-4", "in.ttc"},
       "facesplit: face 4 is past the last face (the collection has 4 faces)\n"},
      {{"--name", "ps", "in.ttc"}, "facesplit: --name takes psname or index, not 'ps'\n"},
      {{"-d", "file", "in.ttc"}, "facesplit: file: Not a directory\n"},
      {{"-d", "no/dir", "in.ttc"}, "facesplit: no/dir: No such file or directory\n"},
      {{"-d", "out"}, "usage: facesplit [options] ttcfile\n"},
      {{"-x", "--help"}, "facesplit: unknown option '-x'\nusage: facesplit [options] ttcfile\n"},
      {{"in.ttc", "--faces"},
       "facesplit: option '--faces' needs a value\nusage: facesplit [options] ttcfile\n"},
      {{"in.ttc", "file"},
       "facesplit: unexpected operand 'file'\nusage: facesplit [options] ttcfile\n"},
      {{"--json", "in.ttc"},
       "facesplit: option '--json' goes only with --list\nusage: facesplit [options] ttcfile\n"},
  };
  for (const auto& [args, message] : cases) {
    const tool_run run = split(args);
    EXPECT_EQ(run.status, 1) << message;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, message);
  }
  EXPECT_EQ(list_dir(dir_), (std::vector<std::string>{"file", "in.ttc"}));
}

// The JSON listing says what the text listing says, and a JSON parser reads it.
TEST_F(Options, FacesplitListsAsJson) {
  put("in.ttc", named_collection());
  const tool_run run = split({"--list", "--json", "--faces", "1-3", "in.ttc"});
  EXPECT_EQ(run.status, 0);
  const std::string script =
      "import json,sys\n"
      "d = json.load(open(sys.argv[1]))\n"
      "for f in d['faces']:\n"
      "  print(f['index'], f['postscript_name'] or '-', f['outlines'], f['tables'], "
      "*f['shared'])\n";
  const tool_run parsed = run_python(dir_, script, "list.json", run.out);
  EXPECT_EQ(parsed.status, 0) << parsed.err;
  EXPECT_EQ(parsed.out, split({"--list", "--faces", "1-3", "in.ttc"}).out);
}

TEST_F(Options, HelpAndVersion) {
  tool_run run = split({"--help", "x.ttc"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.out.starts_with("usage: facesplit [options] ttcfile\n\n  -d, --directory DIR"));
  EXPECT_TRUE(run.out.ends_with("\n\nRead more: man facesplit\n")) << run.out;
  run = pack({"x", "--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "facepack (facetools) " PROJECT_VERSION "\n");
}

TEST_F(Options, VerboseAndDashDashKeepThePlainPacksBytes) {
  put("-a.ttf", build_sfnt({{"glyf", kGlyf}, {"cvt ", {1}}, {"name", {1, 2}}}));
  put("b.ttf", build_sfnt({{"glyf", kGlyf}, {"cvt ", {2}}, {"name", {1, 2}}}));
  ASSERT_EQ(pack({"plain.ttc", "./-a.ttf", "b.ttf"}).status, 0);
  const tool_run run = pack({"-v", "verbose.ttc", "--", "-a.ttf", "b.ttf"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "glyf 3 0,1\ncvt 1 0\nname 2 0,1\ncvt 1 1\n"
            "inputs 12 bytes, stored 7 bytes, saved 41.7%\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(get("verbose.ttc"), get("plain.ttc"));
  const tool_run flag = pack({"--verbose=1", "-a.ttf", "b.ttf"});
  EXPECT_EQ(flag.status, 1);
  EXPECT_EQ(flag.err,
            "facepack: option '--verbose' takes no value\n"
            "usage: facepack [options] ttcfile ttffile [ttffile ...]\n");
}

// A file of the collection's name is replaced only when it cannot be one of the fonts.
TEST_F(Options, FacepackReplacesOnlyWhatIsNoFont) {
  const std::vector<uint8_t> font = build_sfnt({{"glyf", kGlyf}});
  const std::vector<uint8_t> packed = build_ttc({{{"glyf", kGlyf}}});
  put("a.ttf", font);
  std::filesystem::create_symlink("a.ttf", path("link.ttc"));
  for (const auto& [bytes, replaced] : std::vector<std::pair<std::vector<uint8_t>, bool>>{
           {{}, true}, {{'t', 't', 'c', 'f'}, true}, {font, false}, {{'t', 't', 'c'}, false}}) {
    put("out.ttc", bytes);
    const tool_run run = pack({"out.ttc", "a.ttf"});
    EXPECT_EQ(run.status, replaced ? 0 : 1);
    EXPECT_EQ(run.err, replaced ? ""
                                : "facepack: out.ttc exists and is not a collection: name the "
                                  "collection first (or use -f to replace it)\n");
    EXPECT_EQ(get("out.ttc"), replaced ? packed : bytes);
  }
  EXPECT_EQ(pack({"--force", "out.ttc", "a.ttf"}).status, 0);
  EXPECT_EQ(get("out.ttc"), packed);
  EXPECT_EQ(pack({"link.ttc", "a.ttf"}).status, 1);  // the link leads to the font itself
  EXPECT_EQ(get("a.ttf"), font);
}

}  // namespace
