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

// Four lowercase letters for `index` (below 26^3 * 10), in the order of the indices and
// after every tag of the sample font ("post" is its last).
std::string tag_of(unsigned index) {
  std::string tag(4, 'q');
  for (int i = 3; i > 0; --i, index /= 26) tag[i] = static_cast<char>('a' + index % 26);
  tag[0] = static_cast<char>('q' + index);
  return tag;
}

// `extra` tables of four bytes each, tagged so that they sort after `tables`' own.
std::vector<font_table> with_small_tables(std::vector<font_table> tables, unsigned extra) {
  for (unsigned i = 0; i < extra; ++i)
    tables.push_back({tag_of(i), {0, 0, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)}});
  return tables;
}

uint32_t u32_at(const std::vector<uint8_t>& bytes, size_t at) {
  return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 | bytes[at + 2] << 8 |
         bytes[at + 3];
}

// A collection of `count` faces, each with a directory of its own, that all name the one
// copy of `tables` stored after the directories.
std::vector<uint8_t> faces_sharing_tables(const std::vector<font_table>& tables, uint32_t count) {
  const std::vector<uint8_t> face = build_sfnt(tables);
  const size_t directory = 12 + 16 * tables.size();
  const uint32_t first = 12 + 4 * count;
  std::vector<uint8_t> file;
  put_tag(file, "ttcf");
  put_u32(file, 0x00010000);
  put_u32(file, count);
  for (uint32_t i = 0; i < count; ++i) put_u32(file, static_cast<uint32_t>(first + i * directory));
  // The tables move from just after the one directory to after all of them.
  const uint32_t moved = static_cast<uint32_t>(first + (count - 1) * directory);
  for (uint32_t i = 0; i < count; ++i) {
    file.insert(file.end(), face.begin(), face.begin() + 12);
    for (size_t t = 0; t < tables.size(); ++t) {
      const size_t record = 12 + 16 * t;
      file.insert(file.end(), face.begin() + record, face.begin() + record + 8);
      put_u32(file, u32_at(face, record + 8) + moved);
      put_u32(file, u32_at(face, record + 12));
    }
  }
  file.insert(file.end(), face.begin() + directory, face.end());
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
  // As many tables as a collection may hold, to read; and faces of 4000 tables, whose
  // collection needs a header several times as large as what the repair keeps of them
  // (the one writer of collections, which facepack shares). Both are as large as what
  // they ask a run to write, so that no limit on that refuses them first.
  const std::vector<font_table> many = with_small_tables({}, 65000);
  write_bytes(dir / "tables.ttf", build_sfnt(many));
  write_bytes(dir / "tables.ttc", faces_sharing_tables(many, 1));
  write_bytes(dir / "wide.ttc",
              faces_sharing_tables(with_small_tables(sample_font_tables(), 3990), 250));
  const std::vector<std::string> inputs = list_dir(dir);
  const std::string kFailed = "Memory allocation failed.\n";
  const std::vector<memory_case> cases = {
      {"facemend reading", FACEMEND_PATH, {"tables.ttc", "out.ttc"}, 10, 1, kFailed},
      {"facemend writing",
       FACEMEND_PATH,
       {"wide.ttc", "out.ttc"},
       24,
       2,
       kFailed + "out.ttc: could not be written\n"},
      {"facepack reading", FACEPACK_PATH, {"out.ttc", "tables.ttf"}, 10, 1, kFailed},
      {"facesplit reading", FACESPLIT_PATH, {"tables.ttc"}, 10, 1, kFailed},
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
