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
