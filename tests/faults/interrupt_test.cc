// A run ended by a signal at any moment leaves the old file or the complete new one, and
// nothing else (but see SIGKILL below): facemend repairs a font of a megabyte in place
// and is sent SIGINT, SIGTERM or SIGKILL after random delays that spread over a whole run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <random>

#include "fontgen/sample_font.h"
#include "support/run_tool.h"
#include "sys/platform_config.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kFiller = 1 << 20;
constexpr int kRunsPerSignal = 30;

// Starts facemend repairing `font` in place, in the background, with its output dropped.
pid_t start_facemend(const fs::path& font) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int null_fd = ::open("/dev/null", O_RDWR);
  ::dup2(null_fd, 0);
  ::dup2(null_fd, 1);
  ::dup2(null_fd, 2);
  ::execl(FACEMEND_PATH, FACEMEND_PATH, font.c_str(), font.c_str(), static_cast<char*>(nullptr));
  ::_exit(127);
}

int wait_for(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  return status;
}

TEST(Interrupted, FacemendLeavesTheOldFontOrTheNewOne) {
  const fs::path dir = make_temp_dir();
  const fs::path font = dir / "font.ttf";
  std::vector<font_table> tables = sample_font_tables(legacy_japanese_options());
  tables.push_back({"zzzz", std::vector<uint8_t>(kFiller, 0x5a)});
  const std::vector<uint8_t> old_font = build_sfnt(tables);

  // The shortest of three whole runs: the first ones may wait for the disk or the cache.
  auto whole_run = std::chrono::microseconds::max();
  for (int run = 0; run < 3; ++run) {
    write_bytes(font, old_font);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(wait_for(start_facemend(font)), 0);
    whole_run = std::min(whole_run, std::chrono::duration_cast<std::chrono::microseconds>(
                                        std::chrono::steady_clock::now() - start));
  }
  const std::vector<uint8_t> new_font = read_bytes(font);
  ASSERT_TRUE(new_font != old_font) << "the sample font needs repairs";

  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<long> delay(0, whole_run.count());
  for (const int signal_number : {SIGINT, SIGTERM, SIGKILL}) {
    int killed = 0;
    for (int run = 0; run < kRunsPerSignal; ++run) {
      SCOPED_TRACE(std::to_string(signal_number) + ", run " + std::to_string(run));
      write_bytes(font, old_font);
      const pid_t pid = start_facemend(font);
      ::usleep(static_cast<useconds_t>(delay(random)));
      ::kill(pid, signal_number);
      const int status = wait_for(pid);
      if (WIFSIGNALED(status)) {
        EXPECT_EQ(WTERMSIG(status), signal_number);
        ++killed;
      } else {
        EXPECT_EQ(WEXITSTATUS(status), 0);
      }
      std::vector<std::string> others = list_dir(dir);
      std::erase(others, "font.ttf");
      // SIGKILL in the instant between linking the new font under a random name and
      // renaming that over the old one leaves the link: the complete new font, nothing less.
      // Where files have no name while written, that is; a named one, as on systems without
      // them, is left as far as it got.
      if (signal_number == SIGKILL && others.size() == 1 && others[0].starts_with(".ft")) {
        if (FACETOOLS_HAVE_O_TMPFILE) {
          EXPECT_TRUE(read_bytes(dir / others[0]) == new_font) << others[0] << " is not complete";
        }
        fs::remove(dir / others[0]);
        others.clear();
      }
      ASSERT_EQ(others, std::vector<std::string>{});
      const std::vector<uint8_t> left = read_bytes(font);
      ASSERT_TRUE(left == old_font || left == new_font) << left.size() << " bytes";
    }
    EXPECT_GT(killed, 0) << "no run was interrupted";
  }
  fs::remove_all(dir);
}

}  // namespace
