// Shared pieces of the collection tools' tests: a fresh folder per test, a cap on the size
// of files a run may write (to make writes fail even for root), and an independent
// reading of the fonts the tools write.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fontgen/font_builder.h"
#include "support/run_tool.h"

class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = make_temp_dir(); }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path path(const std::string& name) const { return dir_ / name; }
  void put(const std::string& name, const std::vector<uint8_t>& bytes) const {
    write_bytes(path(name), bytes);
  }
  std::vector<uint8_t> get(const std::string& name) const { return read_bytes(path(name)); }
  tool_run pack(const std::vector<std::string>& args) const {
    return run_tool(FACEPACK_PATH, args, dir_);
  }
  tool_run split(const std::vector<std::string>& args) const {
    return run_tool(FACESPLIT_PATH, args, dir_);
  }
  std::filesystem::path dir_;
};

// While it lives, programs started by the test may not write past `bytes` in any file:
// the write fails with EFBIG (SIGXFSZ is ignored so the program sees the failure).
struct file_size_limit {
  explicit file_size_limit(rlim_t bytes);
  ~file_size_limit();
  rlimit old{};
};

// While it lives, programs started by the test may have at most `files` files open.
struct open_file_limit {
  explicit open_file_limit(rlim_t files);
  ~open_file_limit();
  rlimit old{};
};

// One face of a font file as stored: its offset-table fields, and per directory record the
// tag, stored checksum and offset, and the table's bytes without padding.
struct face_view {
  uint32_t version = 0;
  uint16_t search_range = 0, entry_selector = 0, range_shift = 0;
  std::vector<font_table> tables;
  std::vector<uint32_t> checksums;
  std::vector<uint32_t> offsets;
};

// Every face of a collection, or the one face of a single font. Throws std::out_of_range
// when a structure runs past the end of the file.
std::vector<face_view> faces_of(const std::vector<uint8_t>& file);

// The tag and bytes of each table, for comparing faces laid out differently.
inline bool same_fields_and_tables(const face_view& a, const face_view& b) {
  if (a.tables.size() != b.tables.size()) return false;
  for (size_t i = 0; i < a.tables.size(); ++i) {
    if (a.tables[i].tag != b.tables[i].tag || a.tables[i].bytes != b.tables[i].bytes) return false;
  }
  return a.version == b.version && a.search_range == b.search_range &&
         a.entry_selector == b.entry_selector && a.range_shift == b.range_shift;
}
