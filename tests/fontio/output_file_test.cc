#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "fontio/output_file.h"
#include "support/run_tool.h"

class OutputFile : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = make_temp_dir(); }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string path(const char* name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

TEST_F(OutputFile, ReplacesOnlyOnCommitAndKeepsTheMode) {
  write_bytes(path("out"), {1, 2, 3});
  ASSERT_EQ(::chmod(path("out").c_str(), 0640), 0);

  std::optional<output_file> out = open_output(path("out"));
  ASSERT_TRUE(out.has_value());
  const std::vector<uint8_t> bytes = {9, 8, 7, 6};
  ASSERT_TRUE(write_output_bytes(out->stream, bytes));
  EXPECT_EQ(read_bytes(path("out")), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(commit_output(*out), output_error::none);

  EXPECT_EQ(read_bytes(path("out")), bytes);
  struct stat st {};
  ASSERT_EQ(::stat(path("out").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(list_dir(dir_), (std::vector<std::string>{"out"}));
}

TEST_F(OutputFile, NewFileGetsThePlainCreateMode) {
  const mode_t old_mask = ::umask(022);
  std::optional<output_file> out = open_output(path("new"));
  ::umask(old_mask);
  ASSERT_TRUE(out.has_value());
  EXPECT_EQ(commit_output(*out), output_error::none);
  struct stat st {};
  ASSERT_EQ(::stat(path("new").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST_F(OutputFile, DiscardLeavesTheOldFileAndNoTemporary) {
  write_bytes(path("out"), {1, 2, 3});
  std::optional<output_file> out = open_output(path("out"));
  ASSERT_TRUE(out.has_value());
  write_output_bytes(out->stream, std::vector<uint8_t>{5});
  discard_output(*out);
  EXPECT_EQ(read_bytes(path("out")), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(list_dir(dir_), (std::vector<std::string>{"out"}));
}

TEST_F(OutputFile, FolderOrMissingFolderCannotBeCreated) {
  std::filesystem::create_directory(dir_ / "sub");
  errno = 0;
  EXPECT_FALSE(open_output(path("sub")).has_value());
  EXPECT_EQ(errno, EISDIR);
  EXPECT_FALSE(open_output(path("nowhere/out")).has_value());
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(list_dir(dir_), (std::vector<std::string>{"sub"}));
}
