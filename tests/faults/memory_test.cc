// A lack of memory, made by a low limit on the address space of the program's process:
// each program says "Memory allocation failed." and ends with status 1, or 2 once its
// output is being written, and never aborts or leaves a file behind. AddressSanitizer
// cannot run under such a limit, so the test is skipped in that build.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fontgen/sample_font.h"
#include "support/run_tool.h"

#if defined(__SANITIZE_ADDRESS__)
#define FACETOOLS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FACETOOLS_ASAN 1
#endif
#endif

namespace {

namespace fs = std::filesystem;

// Four lowercase letters for `index`, in the order of the indices.
std::string tag_of(unsigned index) {
  std::string tag(4, 'a');
  for (int i = 3; i >= 0; --i, index /= 26) tag[i] = static_cast<char>('a' + index % 26);
  return tag;
}

// `extra` tables of four bytes each, tagged so that they sort after `tables`' own.
std::vector<font_table> with_small_tables(std::vector<font_table> tables, unsigned extra) {
  for (unsigned i = 0; i < extra; ++i)
    tables.push_back(
        {"z" + tag_of(i).substr(1), {0, 0, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)}});
  return tables;
}

// A collection of `count` faces that all name the one face stored after the offset array:
// small on disk, large once read.
std::vector<uint8_t> repeated_face(const std::vector<font_table>& tables, uint32_t count) {
  const std::vector<uint8_t> face = build_sfnt(tables);
  const uint32_t start = 12 + 4 * count;
  std::vector<uint8_t> file;
  put_tag(file, "ttcf");
  put_u32(file, 0x00010000);
  put_u32(file, count);
  for (uint32_t i = 0; i < count; ++i) put_u32(file, start);
  put_bytes(file, face);
  // The face's table offsets count from the start of the collection, not of the face.
  for (size_t t = 0; t < tables.size(); ++t) {
    uint8_t* offset = &file[start + 12 + 16 * t + 8];
    const uint32_t moved =
        (uint32_t{offset[0]} << 24 | uint32_t{offset[1]} << 16 | offset[2] << 8 | offset[3]) +
        start;
    for (int b = 0; b < 4; ++b) offset[b] = static_cast<uint8_t>(moved >> (24 - 8 * b));
  }
  return file;
}

struct memory_case {
  const char* name;
  std::string program;
  std::vector<std::string> args;
  unsigned limit_mib;  // the process's address space: room to start, not to finish
  int status;
  std::string err;
};

TEST(OutOfMemory, EndsWithTheMessageAndNoFileLeft) {
#ifdef FACETOOLS_ASAN
  GTEST_SKIP() << "AddressSanitizer cannot run under a low address-space limit";
#endif
  const fs::path dir = make_temp_dir();
  // Many faces to read; faces of 4000 tables, whose collection needs a header several
  // times as large as what the repair keeps of them (the one writer of collections, which
  // facepack shares); tables enough to fill facepack's pool.
  write_bytes(dir / "many.ttc", repeated_face(sample_font_tables(), 300000));
  write_bytes(dir / "wide.ttc", repeated_face(with_small_tables(sample_font_tables(), 3990), 1000));
  write_bytes(dir / "tables.ttf", build_sfnt(with_small_tables({}, 65000)));
  const std::vector<std::string> inputs = list_dir(dir);
  const std::string kFailed = "Memory allocation failed.\n";
  const std::vector<memory_case> cases = {
      {"facemend reading", FACEMEND_PATH, {"many.ttc", "out.ttc"}, 12, 1, kFailed},
      {"facemend writing",
       FACEMEND_PATH,
       {"wide.ttc", "out.ttc"},
       64,
       2,
       kFailed + "out.ttc: could not be written\n"},
      {"facepack reading", FACEPACK_PATH, {"out.ttc", "tables.ttf"}, 12, 1, kFailed},
      {"facesplit reading", FACESPLIT_PATH, {"many.ttc"}, 12, 1, kFailed},
  };
  for (const memory_case& c : cases) {
    std::vector<std::string> args = {
        "-c", "ulimit -v " + std::to_string(c.limit_mib * 1024) + " && exec \"$0\" \"$@\"",
        c.program};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const tool_run run = run_tool("/bin/sh", args, dir);
    EXPECT_EQ(run.status, c.status) << c.name << "\n" << run.err;
    EXPECT_EQ(run.err, c.err) << c.name;
    EXPECT_EQ(list_dir(dir), inputs) << c.name;
  }
  fs::remove_all(dir);
}

}  // namespace
