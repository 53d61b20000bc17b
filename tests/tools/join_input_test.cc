#include "tools/join_input.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "fontgen/font_builder.h"
#include "support/run_tool.h"

// An input read piece by piece may be cut short by another program after its directory was
// read. The face is then refused in the words of a short read, never joined with bytes that
// were not read.
TEST(JoinInput, InputCutShortAfterItsDirectoryIsNotReadInFull) {
  const std::filesystem::path dir = make_temp_dir();
  const std::string file = (dir / "font.ttf").string();
  write_bytes(file, build_sfnt({{"glyf", std::vector<uint8_t>(50000, 3)}, {"name", {1}}}));
  std::optional<font_source> source = open_font_source(file);
  ASSERT_TRUE(source.has_value());
  std::filesystem::resize_file(file, 1000);

  ttc_info info = create_ttc_info(0x00010000);
  join_buffers buffers;
  testing::internal::CaptureStderr();
  const int status = add_font_file(info, "font.ttf", *source, -1, buffers);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "End of file...\nfont.ttf: could not be read in full\n");
  EXPECT_EQ(status, -1);
  EXPECT_TRUE(info.tables.empty());
  close_font_source(*source);
  std::filesystem::remove_all(dir);
}

// A table compared with a pool entry that lies in an earlier input is read from that input:
// when it can no longer be read, the earlier input is the one named, and the face is not
// joined.
TEST(JoinInput, PoolEntryWhoseInputShrankIsNamed) {
  const std::filesystem::path dir = make_temp_dir();
  const std::vector<uint8_t> font =
      build_sfnt({{"glyf", std::vector<uint8_t>(50000, 3)}, {"name", {1}}});
  write_bytes(dir / "first.ttf", font);
  write_bytes(dir / "second.ttf", font);
  std::optional<font_source> first = open_font_source((dir / "first.ttf").string());
  std::optional<font_source> second = open_font_source((dir / "second.ttf").string());
  ASSERT_TRUE(first.has_value() && second.has_value());

  ttc_info info = create_ttc_info(0x00010000);
  join_buffers buffers;
  const int32_t kept = ttc_add_source(info, "first.ttf", *first);
  ASSERT_EQ(add_font_file(info, "first.ttf", *first, kept, buffers), 0);
  EXPECT_EQ(info.tables.size(), 2u);
  EXPECT_TRUE(info.tables[0].data.empty());
  std::filesystem::resize_file(dir / "first.ttf", 1000);
  testing::internal::CaptureStderr();
  EXPECT_EQ(add_font_file(info, "second.ttf", *second, -1, buffers), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "End of file...\nfirst.ttf: could not be read in full\n");
  ttc_close_sources(info);
  close_font_source(*second);
  std::filesystem::remove_all(dir);
}
