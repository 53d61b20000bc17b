#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_tool.h"
#include "sys/byte_buffer.h"
#include "sys/input_file.h"

namespace {

std::vector<uint8_t> pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 131 + (i >> 12));
  return bytes;
}

}  // namespace

TEST(ReserveBytes, GivesRoomAndKeepsTheContentsAtEverySize) {
  // Small, just below and above the size that is backed at once, and uneven large sizes
  // whose ends fall inside a page.
  for (const size_t size :
       {size_t{0}, size_t{7}, (size_t{1} << 20) - 1, size_t{1} << 20, (size_t{5} << 20) + 4093}) {
    std::vector<uint8_t> buffer = {1, 2, 3};
    reserve_bytes(buffer, size);
    EXPECT_GE(buffer.capacity(), size);
    ASSERT_EQ(buffer, (std::vector<uint8_t>{1, 2, 3})) << size;
    const std::vector<uint8_t> wanted = pattern(size);
    buffer.assign(wanted.begin(), wanted.end());
    EXPECT_EQ(buffer, wanted) << size;
  }
}

TEST(ReserveBytes, LargeFilesLoadWhole) {
  const std::filesystem::path dir = make_temp_dir();
  const std::vector<uint8_t> big = pattern((size_t{9} << 20) + 3);
  write_bytes(dir / "big", big);
  const loaded_file loaded = load_file((dir / "big").string(), nullptr);
  std::filesystem::remove_all(dir);
  EXPECT_EQ(loaded.status, load_status::loaded);
  EXPECT_TRUE(loaded.data == big);
}
