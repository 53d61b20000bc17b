#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_tool.h"
#include "sys/input_file.h"

TEST(ReserveBytes, LargeFilesLoadWhole) {
  const std::filesystem::path dir = make_temp_dir();
  const std::vector<uint8_t> big = patterned_bytes((size_t{9} << 20) + 3);
  write_bytes(dir / "big", big);
  const loaded_file loaded = load_file((dir / "big").string(), nullptr);
  std::filesystem::remove_all(dir);
  EXPECT_EQ(loaded.status, load_status::loaded);
  EXPECT_TRUE(loaded.data == big);
}
