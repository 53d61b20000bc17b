#include <gtest/gtest.h>

#include <filesystem>

#include "fontio/file_op.h"
#include "support/run_tool.h"

class FileOp : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = make_temp_dir(); }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(FileOp, LoadsWholeFilesIncludingEmptyOnes) {
  std::vector<uint8_t> big(100000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  write_bytes(dir_ / "big", big);
  write_bytes(dir_ / "empty", {});

  const loaded_file loaded = load_file((dir_ / "big").string());
  EXPECT_EQ(loaded.status, load_status::loaded);
  EXPECT_EQ(loaded.data, big);
  const loaded_file empty = load_file((dir_ / "empty").string());
  EXPECT_EQ(empty.status, load_status::loaded);
  EXPECT_TRUE(empty.data.empty());
}

TEST_F(FileOp, MissingFileIsReportedWithFopen) {
  testing::internal::CaptureStderr();
  const loaded_file loaded = load_file((dir_ / "missing").string());
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(loaded.status, load_status::failed);
  EXPECT_EQ(err, "fopen: No such file or directory\n");
}

TEST_F(FileOp, FolderIsRefusedAsAnOpenFailure) {
  testing::internal::CaptureStderr();
  const loaded_file loaded = load_file(dir_.string());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "fopen: Is a directory\n");
  EXPECT_EQ(loaded.status, load_status::failed);
  EXPECT_TRUE(loaded.data.empty());
}

TEST_F(FileOp, OneBufferTakesFilesOfEverySizeInTurn) {
  std::vector<uint8_t> small(1000, 0xAB);
  std::vector<uint8_t> large((size_t{3} << 20) + 5);
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<uint8_t>(i % 251);
  write_bytes(dir_ / "small", small);
  write_bytes(dir_ / "large", large);
  write_bytes(dir_ / "empty", {});

  std::vector<uint8_t> buffer;
  EXPECT_EQ(load_file_into((dir_ / "small").string(), buffer), load_status::loaded);
  EXPECT_EQ(buffer, small);
  EXPECT_EQ(load_file_into((dir_ / "large").string(), buffer), load_status::loaded);
  EXPECT_TRUE(buffer == large);
  // A smaller file after a larger one leaves nothing of the larger behind.
  EXPECT_EQ(load_file_into((dir_ / "small").string(), buffer), load_status::loaded);
  EXPECT_EQ(buffer, small);
  EXPECT_EQ(load_file_into((dir_ / "empty").string(), buffer), load_status::loaded);
  EXPECT_TRUE(buffer.empty());

  EXPECT_EQ(load_file_into((dir_ / "large").string(), buffer), load_status::loaded);
  testing::internal::CaptureStderr();
  EXPECT_EQ(load_file_into((dir_ / "missing").string(), buffer), load_status::failed);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "fopen: No such file or directory\n");
  EXPECT_TRUE(buffer.empty());
}
