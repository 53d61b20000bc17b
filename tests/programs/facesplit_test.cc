#include <filesystem>
#include <functional>

#include "fontgen/sample_font.h"
#include "fontgen/tables.h"
#include "tool_test.h"

namespace {

using Facesplit = ToolTest;

// Three faces sharing "name"; face 1 has a table of `big_size` bytes.
std::vector<std::vector<font_table>> three_faces(size_t big_size = 6) {
  const font_table name{"name", {1, 2, 3, 4, 5}};
  return {{{"head", {1}}, name},
          {name, {"glyf", std::vector<uint8_t>(big_size, 2)}, {"head", {2}}},
          {{"head", {3}}, name}};
}

// 300 faces that name one face of one 64 KiB table: 19.7 MB as fonts of their own, from a
// file of 67 kB.
std::vector<uint8_t> one_face_many_times() {
  const uint32_t directory = 12 + 4 * 300;
  std::vector<uint8_t> body;
  put_offset_table(body, 1);
  put_record(body, "glyf", directory + 28, 65536);
  body.resize(body.size() + 65536, 7);
  return faces_at(std::vector<uint32_t>(300, directory), body);
}

// 70,000 faces 16 bytes apart in a run of one 16-byte pattern, which reads both as an
// offset table of 16 records and as a record: 18.8 MB of distinct directories in 1.4 MB.
std::vector<uint8_t> overlapping_directories() {
  constexpr uint32_t kFaces = 70000;
  std::vector<uint32_t> offsets;
  for (uint32_t i = 0; i < kFaces; ++i) offsets.push_back(12 + 4 * kFaces + 16 * i);
  std::vector<uint8_t> body;
  for (uint32_t i = 0; i < kFaces + 17; ++i) {
    put_u32(body, 0x00010000);  // as a record: the checksum
    put_u32(body, 0x00100000);  // numTables 16; as a record: the offset, 1 MiB
    put_u32(body, 0);           // as a record: the length
    put_tag(body, "abcd");      // as a record: the tag
  }
  return faces_at(offsets, body);
}

}  // namespace

TEST_F(Facesplit, WithoutArgumentEndsSilently) {
  const tool_run run = split({});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out + run.err, "");
}

TEST_F(Facesplit, WritesEachFaceToItsOwnFile) {
  const auto faces = three_faces();
  put("in.ttc", build_ttc(faces));
  put("face_01.ttf", {9, 9});  // replaced
  const tool_run run = split({"in.ttc"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "3 faces\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(list_dir(dir_),
            (std::vector<std::string>{"face_00.ttf", "face_01.ttf", "face_02.ttf", "in.ttc"}));
  for (size_t i = 0; i < faces.size(); ++i) {
    EXPECT_EQ(get("face_0" + std::to_string(i) + ".ttf"), build_sfnt(faces[i])) << i;
  }

  put("none.ttc", build_ttc({}));
  const tool_run none = split({"none.ttc"});
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, "0 faces\n");
  EXPECT_EQ(list_dir(dir_).size(), 5u);
}

// Tables are shared by tag and bytes alone: three different tables of one tag and length,
// the bytes of the first again at another offset, one range named under two tags and at
// two lengths. The stored checksums are 0 and must not be taken.
TEST_F(Facesplit, EachFaceGetsTheTablesItsRecordsName) {
  const std::vector<uint8_t> a = {1, 2, 3, 4, 5, 6, 7, 8}, b = {9, 9, 9, 9, 9, 9, 9, 9},
                             c = {1, 2, 3, 4, 5, 6, 7, 9};
  const uint32_t data = 12 + 4 * 3 + 2 * (12 + 2 * 16) + (12 + 3 * 16);
  std::vector<uint8_t> body;
  put_offset_table(body, 2);
  put_record(body, "fpgm", data, 8);
  put_record(body, "prep", data, 8);
  put_offset_table(body, 2);
  put_record(body, "fpgm", data + 8, 8);
  put_record(body, "prep", data, 8);
  put_offset_table(body, 3);
  put_record(body, "fpgm", data + 16, 8);
  put_record(body, "fpgm", data + 24, 8);
  put_record(body, "prep", data, 4);
  for (const auto* bytes : {&a, &b, &c, &a}) put_bytes(body, *bytes);
  put("in.ttc", faces_at({24, 24 + 44, 24 + 88}, body));
  const tool_run run = split({"in.ttc"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out + run.err, "3 faces\n");
  face_header zeros;
  zeros.derive_search_fields = false;
  const std::vector<std::vector<font_table>> expected = {
      {{"fpgm", a}, {"prep", a}},
      {{"fpgm", b}, {"prep", a}},
      {{"fpgm", c}, {"fpgm", a}, {"prep", {1, 2, 3, 4}}}};
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(get("face_0" + std::to_string(i) + ".ttf"), build_sfnt(expected[i], zeros)) << i;
}

TEST_F(Facesplit, SplitOfPackGivesBackTheFonts) {
  std::vector<font_table> many;
  for (uint8_t i = 0; i < 20; ++i) {
    many.push_back({std::string("t") + char('a' + i) + "xx", std::vector<uint8_t>(i, i)});
  }
  const std::vector<std::vector<uint8_t>> fonts = {
      sample_font(legacy_japanese_options(legacy_face::gothic)),
      build_sfnt(many, face_header{0x74727565, false, 1, 2, 3}),
      sample_font(legacy_japanese_options(legacy_face::mincho))};
  for (size_t i = 0; i < fonts.size(); ++i) put("in" + std::to_string(i), fonts[i]);
  ASSERT_EQ(pack({"all.ttc", "in0", "in1", "in2"}).status, 0);
  const tool_run run = split({"all.ttc"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "3 faces\n");
  for (size_t i = 0; i < fonts.size(); ++i) {
    EXPECT_EQ(get("face_0" + std::to_string(i) + ".ttf"), fonts[i]) << i;
  }
}

TEST_F(Facesplit, RefusesBadCollectionsWritingNothing) {
  const std::vector<uint8_t> good = build_ttc(three_faces());
  std::vector<uint8_t> huge = {'t', 't', 'c', 'f', 0, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
  huge.resize(64, 0);
  std::vector<uint8_t> face_past_end = good;
  face_past_end[12] = 0x7F;
  std::vector<uint8_t> huge_directory = good;
  huge_directory[128 + 4] = 0xFF;  // numTables of face 2, after 12 + 4 * 3 + 44 + 60 bytes
  std::vector<std::pair<std::vector<uint8_t>, std::string>> cases = {
      {sample_font(), "Not a TTC data.\n"},
      {{}, "Not a TTC data.\n"},
      {{'t', 't', 'c', 'f', 0, 1}, "TTC header runs past the end of the file.\n"},
      {huge, "TTC offset array runs past the end of the file.\n"},
      {face_past_end, "Face 0: offset table runs past the end of the file.\n"},
      {huge_directory, "Face 2: table directory runs past the end of the file.\n"},
      {std::vector<uint8_t>(good.begin(), good.end() - 4),
       "Face 2: table 'head' runs past the end of the file.\n"},
  };
  // The budget: 32 times the file's size plus 16 MiB for the faces, the size plus 16 MiB
  // for the directories.
  const std::vector<uint8_t> repeated = one_face_many_times();
  cases.push_back({repeated, "Collection's faces would take more than " +
                                 std::to_string(32 * repeated.size() + (16 << 20)) +
                                 " bytes as fonts of their own, more than its size allows.\n"});
  const std::vector<uint8_t> overlapping = overlapping_directories();
  cases.push_back({overlapping, "Collection's directories take more than " +
                                    std::to_string(overlapping.size() + (16 << 20)) +
                                    " bytes, more than its size allows.\n"});
  put("face_00.ttf", {1, 2, 3});
  for (const auto& [bytes, message] : cases) {
    put("in.ttc", bytes);
    const tool_run run = split({"in.ttc"});
    EXPECT_EQ(run.status, 1) << message;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, message + "parse failed...\n");
  }
  const tool_run missing = split({"missing.ttc"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "fopen: No such file or directory\nmissing.ttc: could not be opened\n");
  EXPECT_EQ(list_dir(dir_), (std::vector<std::string>{"face_00.ttf", "in.ttc"}));
  EXPECT_EQ(get("face_00.ttf"), (std::vector<uint8_t>{1, 2, 3}));
}

struct clash_case {
  const char* name;
  std::string collection;  // the collection's file name
  std::function<void(const std::filesystem::path& dir)> links;
  std::vector<std::string> options;
  std::string err;  // empty: every face written, as without links
};

// Before anything is written, every face's file is resolved and compared with the
// collection and with the other faces' files: a face that would replace the collection, or
// a face just written, stops the run with status 1.
TEST_F(Facesplit, NeverWritesOverTheCollectionOrAnotherFace) {
  namespace fs = std::filesystem;
  const std::vector<std::vector<font_table>> faces = {
      {{"head", {1}}, {"name", build_name_table({{3, 1, 0x409, 6, utf16be("all")}})}},
      {{"head", {2}}}};
  const std::vector<uint8_t> collection = build_ttc(faces);
  const auto none = [](const fs::path&) {};
  const auto same = [](const std::string& a, const std::string& b) {
    return "facesplit: " + a + " is the same file as " + b + "; nothing written\n";
  };
  const clash_case cases[] = {
      {"named face_00.ttf", "face_00.ttf", none, {}, same("face_00.ttf", "face_00.ttf")},
      {"named face_01.ttf", "face_01.ttf", none, {}, same("face_01.ttf", "face_01.ttf")},
      {"only face 1 of face_01.ttf",
       "face_01.ttf",
       none,
       {"--faces", "1"},
       same("face_01.ttf", "face_01.ttf")},
      {"only face 0 of face_01.ttf", "face_01.ttf", none, {"--faces", "0"}, ""},
      {"named after a face", "all.ttf", none, {"--name", "psname"}, same("all.ttf", "all.ttf")},
      {"a link to the collection",
       "in.ttc",
       [](const fs::path& dir) { fs::create_symlink("in.ttc", dir / "face_01.ttf"); },
       {},
       same("face_01.ttf", "in.ttc")},
      {"a hard link of the collection",
       "in.ttc",
       [](const fs::path& dir) { fs::create_hard_link(dir / "in.ttc", dir / "face_00.ttf"); },
       {},
       same("face_00.ttf", "in.ttc")},
      {"a link to the next face",
       "in.ttc",
       [](const fs::path& dir) { fs::create_symlink("face_01.ttf", dir / "face_00.ttf"); },
       {},
       same("face_01.ttf", "face_00.ttf")},
      {"a link to a face in its folder",
       "in.ttc",
       [](const fs::path& dir) {
         fs::create_directory(dir / "out");
         fs::create_symlink("../out/face_01.ttf", dir / "out" / "face_00.ttf");
       },
       {"-d", "out"},
       same("out/face_01.ttf", "out/face_00.ttf")},
  };
  for (const clash_case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& entry : fs::directory_iterator(dir_)) fs::remove_all(entry.path());
    put(c.collection, collection);
    c.links(dir_);
    const std::vector<std::string> before = list_dir(dir_);
    std::vector<std::string> args = c.options;
    args.push_back(c.collection);
    const tool_run run = split(args);
    EXPECT_EQ(run.status, c.err.empty() ? 0 : 1);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(get(c.collection), collection);
    if (c.err.empty()) {
      EXPECT_EQ(get("face_00.ttf"), build_sfnt(faces[0]));
    } else {
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(list_dir(dir_), before);
    }
  }
}

TEST_F(Facesplit, FileThatCannotBeCreatedStopsTheRun) {
  put("in.ttc", build_ttc(three_faces()));
  std::filesystem::create_directory(path("face_01.ttf"));
  const tool_run run = split({"in.ttc"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "3 faces\n");
  EXPECT_EQ(run.err, "face_01.ttf: Is a directory\n");
  EXPECT_EQ(list_dir(dir_), (std::vector<std::string>{"face_00.ttf", "face_01.ttf", "in.ttc"}));
  EXPECT_EQ(get("face_00.ttf"), build_sfnt(three_faces()[0]));
}

// A face that cannot be written for a reason other than room (its offsets would pass
// 4 GiB: it lists one sparse table of 300 MiB fifteen times) is reported, and the run goes
// on with the next face. (A lack of room stops the run: see the full-disk tests.)
TEST_F(Facesplit, FaceThatCannotBeWrittenIsReportedAndTheRunGoesOn) {
  constexpr uint32_t kBig = 300u << 20;
  constexpr uint32_t kHeadAt = 12 + 3 * 4 + 28 + (12 + 16 * 16) + 28;
  const auto directory = [](const std::vector<std::pair<std::string, uint32_t>>& entries) {
    std::vector<uint8_t> bytes;
    put_u32(bytes, 0x00010000);
    put_u16(bytes, static_cast<uint16_t>(entries.size()));
    put_u16(bytes, 0), put_u16(bytes, 0), put_u16(bytes, 0);
    for (const auto& [tag, length] : entries) {
      put_tag(bytes, tag);
      put_u32(bytes, 0);
      put_u32(bytes, tag == "head" ? kHeadAt : kHeadAt + 4);
      put_u32(bytes, length);
    }
    return bytes;
  };
  std::vector<std::pair<std::string, uint32_t>> oversized(15, {"big ", kBig});
  oversized.push_back({"head", 4});
  std::vector<uint8_t> file;
  put_tag(file, "ttcf");
  put_u32(file, 0x00010000);
  put_u32(file, 3);
  for (const uint32_t at : {24u, 24u + 28, 24u + 28 + 268}) put_u32(file, at);
  for (const auto& entries :
       {directory({{"head", 4}}), directory(oversized), directory({{"head", 4}})})
    put_bytes(file, entries);
  put_bytes(file, {1, 2, 3, 4});
  ASSERT_EQ(file.size(), kHeadAt + 4);
  put("in.ttc", file);
  std::filesystem::resize_file(path("in.ttc"), file.size() + kBig);
  put("face_01.ttf", {1, 2, 3});

  const tool_run run = split({"in.ttc"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "3 faces\n");
  EXPECT_EQ(run.err,
            "Output too large: its offsets would pass 4 GiB.\nface_01.ttf: could not be written\n");
  const std::vector<uint8_t> head_only =
      build_sfnt({{"head", {1, 2, 3, 4}}}, face_header{0x00010000, false, 0, 0, 0});
  EXPECT_EQ(get("face_00.ttf"), head_only);
  EXPECT_EQ(get("face_01.ttf"), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(get("face_02.ttf"), head_only);
  EXPECT_EQ(list_dir(dir_).size(), 4u);
}
