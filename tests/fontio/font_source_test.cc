#include "fontio/font_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fontgen/font_builder.h"
#include "fontio/sfnt_directory.h"
#include "support/run_tool.h"

namespace {

class FontSource : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = make_temp_dir(); }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

std::vector<uint8_t> counting(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + (i >> 8));
  return bytes;
}

// Reads [offset, offset + size) of `source`, with what it printed on standard error.
std::pair<std::optional<std::vector<uint8_t>>, std::string> read_range(const font_source& source,
                                                                       uint64_t offset,
                                                                       size_t size) {
  std::vector<uint8_t> bytes(size);
  testing::internal::CaptureStderr();
  const bool read = read_source(source, offset, bytes);
  const std::string err = testing::internal::GetCapturedStderr();
  if (!read) return {std::nullopt, err};
  return {bytes, err};
}

}  // namespace

// A file and the same bytes in memory give the same answers for every extent, and an
// extent that leaves the source is refused unread, however large its numbers.
TEST_F(FontSource, FileAndMemoryReadAlikeAndRefuseExtentsOutside) {
  const std::vector<uint8_t> bytes = counting(300000);
  write_bytes(path("font"), bytes);
  std::optional<font_source> file = open_font_source(path("font"));
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->size, bytes.size());
  for (const font_source& source : {*file, memory_font_source(bytes)}) {
    for (const auto& [offset, size] : std::vector<std::pair<uint64_t, size_t>>{
             {0, 0}, {0, 300000}, {299999, 1}, {300000, 0}, {1234, 70000}}) {
      const auto [read, err] = read_range(source, offset, size);
      ASSERT_TRUE(read.has_value()) << offset << " " << size;
      EXPECT_TRUE(std::equal(read->begin(), read->end(), bytes.begin() + offset));
      EXPECT_EQ(err, "");
    }
    for (const auto& [offset, size] : std::vector<std::pair<uint64_t, size_t>>{
             {299999, 2}, {300001, 0}, {UINT64_MAX, 1}, {UINT64_MAX - 2, 4}}) {
      const auto [read, err] = read_range(source, offset, size);
      EXPECT_FALSE(read.has_value()) << offset << " " << size;
      EXPECT_EQ(err, "End of file...\n");
    }
  }
  close_font_source(*file);
  EXPECT_EQ(file->fd, -1);
}

// A file cut short after it was opened ends the read with the loader's words, instead of
// leaving the rest of the buffer as it was.
TEST_F(FontSource, FileCutShortWhileOpenIsAnEarlyEnd) {
  write_bytes(path("font"), counting(100000));
  std::optional<font_source> source = open_font_source(path("font"));
  ASSERT_TRUE(source.has_value());
  std::filesystem::resize_file(path("font"), 60000);
  EXPECT_TRUE(read_range(*source, 0, 60000).first.has_value());
  const auto [read, err] = read_range(*source, 50000, 20000);
  EXPECT_FALSE(read.has_value());
  EXPECT_EQ(err, "End of file...\n");
  close_font_source(*source);
}

TEST_F(FontSource, OpenFailuresAreReportedAsTheLoaderReportsThem) {
  for (const auto& [name, message] : std::vector<std::pair<std::string, std::string>>{
           {"missing", "fopen: No such file or directory\n"}, {"", "fopen: Is a directory\n"}}) {
    testing::internal::CaptureStderr();
    const std::optional<font_source> source = open_font_source(path(name));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), message);
    EXPECT_FALSE(source.has_value());
  }
}

// Given only the directory's bytes, the reader checks the tables against the whole file's
// size and answers as it would with the whole file at hand.
TEST(SfntDirectoryHead, AnswersAsTheWholeFileReaderDoes) {
  const std::vector<uint8_t> font =
      build_sfnt({{"glyf", std::vector<uint8_t>(5000, 1)}, {"head", std::vector<uint8_t>(54, 2)}});
  const std::span<const uint8_t> whole(font);
  const uint64_t dir_size = sfnt_directory_size(2);
  for (const uint64_t size : {uint64_t{font.size()}, font.size() - 1, dir_size, uint64_t{11}}) {
    const std::span<const uint8_t> file = whole.first(size);
    std::string problem_whole, problem_head;
    const auto from_whole = read_sfnt_directory(file, 0, problem_whole);
    const auto from_head =
        read_sfnt_directory_head(file.first(std::min(size, dir_size)), size, 0, problem_head);
    ASSERT_EQ(from_whole.has_value(), from_head.has_value()) << size;
    EXPECT_EQ(problem_head, problem_whole) << size;
    if (!from_whole) continue;
    ASSERT_EQ(from_head->records.size(), 2u);
    EXPECT_EQ(from_head->records[1].offset, from_whole->records[1].offset);
  }
}
