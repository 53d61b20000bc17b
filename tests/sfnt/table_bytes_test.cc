// Table bytes wherever they are: an extent of an open file reads, compares and writes as the
// same bytes held in memory do, whatever the output is; a file that changed under a checked
// copy, or shrank, is named.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include "cli/messages.h"
#include "sfnt/table_bytes.h"
#include "support/memory_stream.h"
#include "support/run_tool.h"
#include "sys/input_file.h"

namespace {

namespace fs = std::filesystem;

class TableBytes : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = make_temp_dir(); }
  void TearDown() override {
    if (file_) close_input(*file_);
    fs::remove_all(dir_);
  }
  // Opens a file of `bytes` as an input.
  const input_file& input(const std::vector<uint8_t>& bytes) {
    write_bytes(dir_ / "in.ttf", bytes);
    file_ = open_input((dir_ / "in.ttf").string(), print_io_problem);
    EXPECT_TRUE(file_.has_value());
    return *file_;
  }
  fs::path dir_;
  std::optional<input_file> file_;
};

// Everything write_table put into `stream`'s file descriptor, read from the other end of a
// pipe: the kernel cannot copy from a file into a pipe, so extents take the fallback.
using stream_writer = std::function<bool(output_stream&)>;

std::vector<uint8_t> through_pipe(const stream_writer& write) {
  int ends[2];
  EXPECT_EQ(::pipe(ends), 0);
  std::vector<uint8_t> got;
  std::thread reader([&] {
    uint8_t buffer[65536];
    ssize_t n;
    while ((n = ::read(ends[0], buffer, sizeof buffer)) > 0)
      got.insert(got.end(), buffer, buffer + n);
  });
  output_stream stream{::fdopen(ends[1], "wb"), std::nullopt};
  EXPECT_TRUE(write(stream));
  std::fclose(stream.file);
  reader.join();
  ::close(ends[0]);
  return got;
}

std::vector<uint8_t> through_file(const fs::path& path, const stream_writer& write) {
  output_stream stream{std::fopen(path.c_str(), "wb"), std::nullopt};
  EXPECT_TRUE(write(stream));
  std::fclose(stream.file);
  return read_bytes(path);
}

std::vector<uint8_t> through_memory(const stream_writer& write) {
  return written_bytes([&](output_stream& s) { EXPECT_TRUE(write(s)); });
}

}  // namespace

TEST_F(TableBytes, ExtentsReadAndCompareAsTheSameBytesHeld) {
  const std::vector<uint8_t> bytes = patterned_bytes(600000, 1);
  const input_file& file = input(bytes);
  const table_bytes whole = file_extent{&file, 0, file.size};
  const table_bytes part = table_slice(table_slice(whole, 1000, 400000), 3, 300000);
  const table_bytes held = std::span<const uint8_t>(bytes).subspan(1003, 300000);
  std::vector<uint8_t> room, other;
  EXPECT_EQ(same_table_bytes(part, held, room, other), true);
  const sfnt_tag tag = make_tag("glyf");
  EXPECT_EQ(table_checksum(tag, part, room), table_checksum(tag, held, other));
  std::vector<uint8_t> changed(bytes.begin() + 1003, bytes.begin() + 1003 + 300000);
  changed[299999] ^= 1;
  EXPECT_EQ(same_table_bytes(part, changed, room, other), false);
  EXPECT_FALSE(read_table_piece(part, 299999, 2, room).has_value());
}

TEST_F(TableBytes, EveryKindWritesTheSameBytesToAFileAPipeOrMemory) {
  const std::vector<uint8_t> bytes = patterned_bytes(300001, 2);
  const input_file& file = input(bytes);
  const sfnt_tag tag = make_tag("glyf");
  std::vector<uint8_t> expected = bytes;
  expected.resize(300004, 0);
  std::vector<uint8_t> room;
  const uint32_t sum = *table_checksum(tag, bytes, room);
  const std::vector<std::pair<table_bytes, extent_copy>> kinds = {
      {bytes, extent_copy::checked},
      {std::span<const uint8_t>(bytes), extent_copy::checked},
      {file_extent{&file, 0, file.size}, extent_copy::checked},
      {file_extent{&file, 0, file.size}, extent_copy::kernel}};
  for (size_t k = 0; k < kinds.size(); ++k) {
    const auto write = [&](output_stream& s) {
      return write_table(s, tag, kinds[k].first, sum, kinds[k].second, room);
    };
    EXPECT_EQ(through_file(dir_ / "out", write), expected) << k;
    EXPECT_EQ(through_pipe(write), expected) << k;
    EXPECT_EQ(through_memory(write), expected) << k;
  }
}

TEST_F(TableBytes, FileThatChangedOrShrankIsNamed) {
  const std::vector<uint8_t> bytes = patterned_bytes(70000, 3);
  const input_file& file = input(bytes);
  const table_bytes extent = file_extent{&file, 0, file.size};
  std::vector<uint8_t> room;
  const sfnt_tag tag = make_tag("glyf");
  const uint32_t sum = *table_checksum(tag, extent, room);

  // A checked copy fails when the bytes no longer sum to the checksum taken when they were
  // read (here: a checksum that was never theirs), naming the file on the stream.
  std::optional<io_problem> noted;
  through_memory([&](output_stream& s) {
    const bool failed = !write_table(s, tag, extent, sum + 1, extent_copy::checked, room);
    noted = s.problem;
    return failed;
  });
  ASSERT_TRUE(noted.has_value());
  EXPECT_EQ(noted->step, io_step::changed);
  EXPECT_EQ(noted->file, file.name);

  ASSERT_EQ(::truncate((dir_ / "in.ttf").c_str(), 100), 0);
  for (const extent_copy how : {extent_copy::checked, extent_copy::kernel}) {
    testing::internal::CaptureStderr();
    const auto fails = [&](output_stream& s) {
      return !write_table(s, tag, extent, sum, how, room);
    };
    through_file(dir_ / "out", fails);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "End of file...\n" + dir_.string() + "/in.ttf: could not be read in full\n");
  }
}

// Every refusal names the input; a pipe without a writer, a device or a socket is refused
// at once, without waiting and without reading its endless or missing bytes.
TEST_F(TableBytes, InputsThatCannotBeReadAreRefusedByName) {
  fs::create_directory(dir_ / "folder");
  ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0600), 0);
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string sock_path = (dir_ / "sock").string();
  ASSERT_LT(sock_path.size(), sizeof address.sun_path);
  sock_path.copy(address.sun_path, sock_path.size());
  ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"folder", "fopen: Is a directory\n$: could not be opened\n"},
      {"pipe", "$: not a regular file (a pipe)\n"},
      {"sock", "$: not a regular file (a socket)\n"},
      {"/dev/urandom", "$: not a regular file (a character device)\n"},
  };
  for (const auto& [name, message] : cases) {
    const std::string path = name.starts_with('/') ? name : (dir_ / name).string();
    std::string expected = message;
    expected.replace(expected.find('$'), 1, path);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(open_input(path, print_io_problem).has_value()) << name;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);
  }
  ::close(sock);
}
