// facemend on a collection: it is repaired exactly as splitting it, mending each face and
// packing the faces again would repair it.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <cstdio>
#include <filesystem>

#include "cli/messages.h"
#include "fixer/collection_repair.h"
#include "fontgen/sample_font.h"
#include "mend_support.h"
#include "ttc/ttc_writer.h"

namespace {

namespace fs = std::filesystem;

const fs::path kZenHei = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";

std::string face_name(size_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "face_%02zu.ttf", index);
  return name;
}

// What the three programs give one after another: the collection facepack writes, and the
// reports of the facemend runs, each after its "Face N:" line.
struct three_steps {
  std::vector<uint8_t> collection;
  std::string out, err;
};

three_steps split_mend_pack(const std::vector<uint8_t>& collection) {
  const fs::path dir = make_temp_dir();
  write_bytes(dir / "in.ttc", collection);
  EXPECT_EQ(run_tool(FACESPLIT_PATH, {"in.ttc"}, dir).status, 0);
  three_steps result;
  std::vector<std::string> faces;
  for (size_t i = 0; fs::exists(dir / face_name(i)); ++i) {
    const tool_run mend = run_tool(FACEMEND_PATH, {face_name(i), face_name(i)}, dir);
    EXPECT_EQ(mend.status, 0) << mend.err;
    result.out += "Face " + std::to_string(i) + ":\n" + mend.out;
    result.err += mend.err;
    faces.push_back(face_name(i));
  }
  faces.insert(faces.begin(), "out.ttc");
  EXPECT_EQ(run_tool(FACEPACK_PATH, faces, dir).status, 0);
  result.collection = read_bytes(dir / "out.ttc");
  fs::remove_all(dir);
  return result;
}

// The collection as the writer writes it; empty when it could not be written.
std::vector<uint8_t> written_collection(const ttc_info& info) {
  char* buffer = nullptr;
  size_t size = 0;
  output_stream stream{open_memstream(&buffer, &size), std::nullopt};
  const bool written = ttc_write_to_file(info, stream, extent_copy::checked) >= 0;
  std::fclose(stream.file);
  std::vector<uint8_t> bytes(buffer, buffer + (written ? size : 0));
  std::free(buffer);
  return bytes;
}

sample_font_options without_windows_names(sample_font_options options) {
  options.windows_names = false;
  return options;
}

}  // namespace

TEST(MendCollection, GivesWhatSplittingMendingAndPackingGives) {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> collections = {
      {"sample", legacy_sample_collection()}};
  if (fs::exists(kZenHei)) collections.push_back({"wqy-zenhei", read_bytes(kZenHei)});
  for (const auto& [name, collection] : collections) {
    const three_steps expected = split_mend_pack(collection);
    const fs::path dir = make_temp_dir();
    write_bytes(dir / "c.ttc", collection);
    const tool_run run = run_tool(FACEMEND_PATH, {"c.ttc", "c.ttc"}, dir);  // in place
    EXPECT_EQ(run.status, 0) << name;
    EXPECT_EQ(run.out, expected.out) << name;
    EXPECT_EQ(run.err, expected.err) << name;
    EXPECT_TRUE(read_bytes(dir / "c.ttc") == expected.collection) << name;
    EXPECT_EQ(list_dir(dir), std::vector<std::string>{"c.ttc"});
    fs::remove_all(dir);
  }
  if (!fs::exists(kZenHei)) GTEST_SKIP() << kZenHei << " not installed (fonts-wqy-zenhei)";
}

TEST(MendCollection, FaceThatFailsEndsTheRunAndNoFacesWriteAnEmptyCollection) {
  const std::vector<uint8_t> failing = build_ttc(
      {sample_font_tables(legacy_japanese_options()),
       sample_font_tables(without_windows_names(legacy_japanese_options(legacy_face::mincho))),
       sample_font_tables()});
  const fs::path dir = make_temp_dir();
  write_bytes(dir / "bad.ttc", failing);
  write_bytes(dir / "none.ttc", build_ttc({}));
  const tool_run bad = run_tool(FACEMEND_PATH, {"bad.ttc", "out.ttc"}, dir);
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.out.rfind("Conversion failed.\n"), bad.out.size() - 19) << bad.out;
  EXPECT_NE(bad.out.find("Face 1:\n"), std::string::npos);
  EXPECT_EQ(bad.out.find("Face 2:\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "out.ttc"));

  const tool_run none = run_tool(FACEMEND_PATH, {"none.ttc", "out.ttc"}, dir);
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out + none.err, "");
  EXPECT_EQ(read_bytes(dir / "out.ttc"),
            (std::vector<uint8_t>{'t', 't', 'c', 'f', 0, 1, 0, 0, 0, 0, 0, 0}));
  fs::remove_all(dir);
}

// Two faces whose repaired cmaps come out equal: the second is compared with the first,
// set aside in a scratch file that cannot be read back. The failed read is named as such,
// not taken for a full pool.
TEST(MendCollection, SetAsideTableThatCannotBeReadBackEndsTheRepair) {
  const std::vector<uint8_t> collection =
      build_ttc({sample_font_tables(legacy_japanese_options()),
                 sample_font_tables(legacy_japanese_options())});
  const fs::path dir = make_temp_dir();
  input_file scratch;
  scratch.name = "scratch";
  scratch.sink = print_io_problem;
  scratch.fd = ::open((dir / "scratch").c_str(), O_WRONLY | O_CREAT, 0600);  // no reading
  ASSERT_GE(scratch.fd, 0);
  mended_tables changed{};
  struct : mend_sink {
    bool pool_full = false;
    void report(const mend_event_any& e) override {
      pool_full |= std::holds_alternative<mend_event::collection_too_large>(e);
    }
  } events;
  testing::internal::CaptureStderr();
  const collection_repair result =
      repair_collection("c.ttc", std::span<const uint8_t>(collection), changed, events, &scratch);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(err.find("scratch: could not be read in full\n"), std::string::npos) << err;
  EXPECT_FALSE(events.pool_full);
  close_input(scratch);
  fs::remove_all(dir);
}

// Tables set aside and taken back make the collection a repair in memory makes, and none
// of them is read from the scratch file any more once it is closed.
TEST(MendCollection, SetAsideTablesTakenBackNeedNoScratchFile) {
  const std::vector<uint8_t> collection = legacy_sample_collection();
  const std::span<const uint8_t> bytes(collection);
  const fs::path dir = make_temp_dir();
  input_file scratch;  // a named file: systems without unnamed files have no other kind
  scratch.name = "scratch";
  scratch.sink = print_io_problem;
  scratch.fd = ::open((dir / "scratch").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(scratch.fd, 0);
  mended_tables changed{};
  struct : mend_sink {
    void report(const mend_event_any&) override {}
  } events;
  const collection_repair in_memory = repair_collection("c.ttc", bytes, changed, events);
  collection_repair set_aside = repair_collection("c.ttc", bytes, changed, events, &scratch);
  ASSERT_EQ(set_aside.status, 0);
  ASSERT_GT(scratch.size, 0u);
  EXPECT_TRUE(take_back_set_aside(set_aside.repaired, scratch));
  close_input(scratch);
  const std::vector<uint8_t> expected = written_collection(in_memory.repaired);
  EXPECT_FALSE(expected.empty());
  EXPECT_TRUE(written_collection(set_aside.repaired) == expected);
  fs::remove_all(dir);
}
