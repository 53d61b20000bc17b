// A disk that fills up while a program writes its output: each program must end with
// status 2, leave a file that already had the output's name with its old bytes, and leave
// no temporary file behind. Every case runs on a small tmpfs (as root) and under a file
// size limit (for anyone), once with some room left and once with none.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ostream>

#include "fontgen/sample_font.h"
#include "small_disk.h"

namespace {

namespace fs = std::filesystem;

// A tmpfs of 64 KiB, or a limit of 32 KiB on every file. A small font (16 KiB) can be
// written on either while room is left; one of 40 KiB fits the tmpfs once but not twice,
// and not under the limit; a big one (200 KiB) never.
constexpr size_t kTmpfsRoom = 64 * 1024;
constexpr size_t kFileLimit = 32 * 1024;
constexpr size_t kSmall = 16 * 1024;
constexpr size_t kOnce = 40 * 1024;
constexpr size_t kBig = 200 * 1024;
const std::vector<uint8_t> kOldBytes = {'o', 'l', 'd'};

struct fault_case {
  const char* name;
  disk_kind kind;
  bool full_from_start;
};

void PrintTo(const fault_case& c, std::ostream* out) {
  *out << c.name;
}

// The sample face with an extra table of `filler` bytes, so that it has the size a test
// needs; `seed` makes the faces of one collection differ.
std::vector<font_table> face_tables(size_t filler, uint8_t seed) {
  std::vector<font_table> tables = sample_font_tables(legacy_japanese_options());
  std::vector<uint8_t> bytes(filler);
  for (size_t i = 0; i < filler; ++i) bytes[i] = static_cast<uint8_t>(i * 31 + seed);
  tables.push_back({"zzzz", std::move(bytes)});
  return tables;
}

bool running_in_ci() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && *ci != '\0' && std::string(ci) != "false" && std::string(ci) != "0";
}

class FullDisk : public testing::TestWithParam<fault_case> {
 protected:
  void SetUp() override {
    inputs_ = make_temp_dir();
    const disk_kind kind = GetParam().kind;
    disk_ = make_small_disk(kind, kind == disk_kind::tmpfs ? kTmpfsRoom : kFileLimit);
    if (disk_.unavailable.empty()) return;
    // Root under CI must be able to mount one; anyone else has the file size limit case.
    if (running_in_ci() && ::geteuid() == 0) FAIL() << disk_.unavailable;
    GTEST_SKIP() << disk_.unavailable;
  }
  void TearDown() override {
    remove_small_disk(disk_);
    fs::remove_all(inputs_);
  }

  // Puts `bytes` on the disk as `name`.
  void put(const std::string& name, const std::vector<uint8_t>& bytes) {
    write_bytes(disk_.dir / name, bytes);
  }
  std::string input(const std::string& name, const std::vector<uint8_t>& bytes) {
    write_bytes(inputs_ / name, bytes);
    return (inputs_ / name).string();
  }
  // Takes what room is left, when the case says the disk is full from the start.
  void fill_if_full() {
    if (GetParam().full_from_start) fill_small_disk(disk_, "filler");
  }
  // The files on the disk besides the filler: no temporary file may remain.
  std::vector<std::string> files() const {
    std::vector<std::string> names = list_dir(disk_.dir);
    std::erase(names, "filler");
    return names;
  }
  void expect_write_failure(const tool_run& run) const {
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_NE(run.err.find(full_disk_error(disk_)), std::string::npos) << run.err;
  }

  fs::path inputs_;
  small_disk disk_;
};

TEST_P(FullDisk, FacemendKeepsTheOldOutput) {
  put("out.ttf", kOldBytes);
  const std::string in = input("in.ttf", build_sfnt(face_tables(kBig, 1)));
  fill_if_full();
  const tool_run run = run_on_disk(disk_, FACEMEND_PATH, {in, "out.ttf"});
  expect_write_failure(run);
  EXPECT_NE(run.out.find("Done."), std::string::npos) << "the passes ran before the write";
  EXPECT_EQ(read_bytes(disk_.dir / "out.ttf"), kOldBytes);
  EXPECT_EQ(files(), (std::vector<std::string>{"out.ttf"}));
}

TEST_P(FullDisk, FacemendRepairingInPlaceKeepsTheFont) {
  const std::vector<uint8_t> font = build_sfnt(face_tables(kOnce, 2));
  put("font.ttf", font);
  fill_if_full();
  expect_write_failure(run_on_disk(disk_, FACEMEND_PATH, {"font.ttf", "font.ttf"}));
  EXPECT_EQ(read_bytes(disk_.dir / "font.ttf"), font);
  EXPECT_EQ(files(), (std::vector<std::string>{"font.ttf"}));
}

TEST_P(FullDisk, FacepackKeepsTheOldOutput) {
  put("out.ttc", kOldBytes);
  const std::string a = input("a.ttf", build_sfnt(face_tables(kBig, 1)));
  const std::string b = input("b.ttf", build_sfnt(face_tables(kSmall, 2)));
  fill_if_full();
  const tool_run run = run_on_disk(disk_, FACEPACK_PATH, {"-f", "out.ttc", a, b});
  expect_write_failure(run);
  EXPECT_TRUE(run.err.ends_with("write failed.\n")) << run.err;
  EXPECT_EQ(read_bytes(disk_.dir / "out.ttc"), kOldBytes);
  EXPECT_EQ(files(), (std::vector<std::string>{"out.ttc"}));
}

TEST_P(FullDisk, FacepackOverItsOwnInputKeepsThatInput) {
  const std::vector<uint8_t> font = build_sfnt(face_tables(kOnce, 3));
  put("font.ttf", font);
  const std::string other = input("other.ttf", build_sfnt(face_tables(kSmall, 4)));
  fill_if_full();
  expect_write_failure(run_on_disk(disk_, FACEPACK_PATH, {"-f", "font.ttf", "font.ttf", other}));
  EXPECT_EQ(read_bytes(disk_.dir / "font.ttf"), font);
  EXPECT_EQ(files(), (std::vector<std::string>{"font.ttf"}));
}

// The first face that finds no room stops the run: a small face after it, which would
// fit, is not written either.
TEST_P(FullDisk, FacesplitKeepsTheOldFacesAndStopsAtTheFirstWithoutRoom) {
  const std::vector<std::vector<font_table>> faces = {face_tables(kSmall, 1), face_tables(kBig, 2),
                                                      face_tables(kSmall, 3)};
  const std::string in = input("in.ttc", build_ttc(faces));
  put("face_01.ttf", kOldBytes);
  fill_if_full();
  const tool_run run = run_on_disk(disk_, FACESPLIT_PATH, {in});
  expect_write_failure(run);
  EXPECT_EQ(run.out, "3 faces\n");
  const std::string stopped = GetParam().full_from_start ? "face_00.ttf" : "face_01.ttf";
  EXPECT_TRUE(run.err.ends_with(stopped + ": could not be written\n" + stopped +
                                ": no room left to write it; facesplit stopped\n"))
      << run.err;
  EXPECT_EQ(read_bytes(disk_.dir / "face_01.ttf"), kOldBytes);
  if (GetParam().full_from_start) {
    EXPECT_EQ(files(), (std::vector<std::string>{"face_01.ttf"}));
  } else {
    EXPECT_EQ(read_bytes(disk_.dir / "face_00.ttf"), build_sfnt(faces[0]));
    EXPECT_EQ(files(), (std::vector<std::string>{"face_00.ttf", "face_01.ttf"}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Disks, FullDisk,
    testing::Values(fault_case{"tmpfs_with_some_room", disk_kind::tmpfs, false},
                    fault_case{"tmpfs_full", disk_kind::tmpfs, true},
                    fault_case{"size_limit_with_some_room", disk_kind::file_size_limit, false},
                    fault_case{"size_limit_reached", disk_kind::file_size_limit, true}),
    [](const testing::TestParamInfo<fault_case>& info) { return std::string(info.param.name); });

}  // namespace
