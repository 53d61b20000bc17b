// Shared pieces of the collection tools' tests: a fresh folder per test and caps on the
// size of files a run may write (to make writes fail even for root) and on open files.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fontgen/font_builder.h"
#include "support/run_tool.h"
#include "support/stored_font.h"

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
