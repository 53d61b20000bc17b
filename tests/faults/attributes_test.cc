// A replaced file's extended attribute that the program may not set: the output is written
// all the same, and the attribute is named.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fontgen/sample_font.h"
#include "support/run_tool.h"
#include "sys/platform_config.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// A file capability (revision 2: the magic word, then the permitted and inheritable sets of
// two words each, little-endian), which only a privileged process may give a file.
std::vector<uint8_t> chown_capability() {
  return {0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
}

TEST(Attributes, OneThatCannotBeKeptIsNamed) {
  if (!FACETOOLS_HAVE_XATTR) GTEST_SKIP() << "built without extended attributes";
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a file a capability";
  const fs::path dir = make_temp_dir();
  ASSERT_EQ(::chmod(dir.c_str(), 0777), 0);
  const fs::path font = dir / "font.ttf";
  write_bytes(font, sample_font(legacy_japanese_options()));
  // After the change of owner, which drops a capability.
  ASSERT_EQ(::chown(font.c_str(), kNobody, kNobody), 0);
  const std::vector<uint8_t> capability = chown_capability();
  if (::setxattr(font.c_str(), "security.capability", capability.data(), capability.size(), 0) !=
          0 ||
      ::setxattr(font.c_str(), "user.origin", "here", 4, 0) != 0) {
    fs::remove_all(dir);
    GTEST_SKIP() << "no extended attributes on " << dir;
  }
  const tool_run run = run_tool(
      "/usr/bin/setpriv",
      {"--reuid=65534", "--regid=65534", "--clear-groups", FACEMEND_PATH, "font.ttf", "font.ttf"},
      dir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err,
            "font.ttf: could not keep its extended attribute security.capability: Operation not "
            "permitted\n");
  char origin[8] = {};
  EXPECT_EQ(::getxattr(font.c_str(), "user.origin", origin, sizeof origin), 4);
  EXPECT_EQ(::getxattr(font.c_str(), "security.capability", nullptr, 0), -1);
  EXPECT_NE(read_bytes(font), sample_font(legacy_japanese_options()));
  fs::remove_all(dir);
}

}  // namespace
