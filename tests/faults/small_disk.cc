#include "small_disk.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kMessageRoom = 4096;

// While it lives, processes started by the test may not write past `bytes` in any file.
// SIGXFSZ keeps its default action, which ends a process that writes past the limit: the
// programs must ignore it themselves to see the failed write.
struct file_size_cap {
  explicit file_size_cap(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit capped = old;
    capped.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &capped);
    old_handler = std::signal(SIGXFSZ, SIG_DFL);
  }
  ~file_size_cap() {
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, old_handler);
  }
  rlimit old{};
  void (*old_handler)(int) = nullptr;
};

std::string mount_tmpfs(const std::filesystem::path& dir, size_t room) {
  if (::geteuid() != 0) return "mounting a tmpfs needs root";
  const std::string options = "size=" + std::to_string(room) + ",mode=0700";
  if (::mount("facetools-test", dir.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
    return std::string("mount tmpfs: ") + std::strerror(errno);
  return {};
}

}  // namespace

small_disk make_small_disk(disk_kind kind, size_t room) {
  small_disk disk{kind, make_temp_dir(), room, false, {}};
  if (kind == disk_kind::tmpfs) {
    disk.unavailable = mount_tmpfs(disk.dir, room);
    disk.mounted = disk.unavailable.empty();
  }
  return disk;
}

void fill_small_disk(small_disk& disk, const std::string& name) {
  if (disk.kind == disk_kind::file_size_limit) {
    // Not 0: the programs' captured messages are files too, and must still fit.
    disk.room = kMessageRoom;
    return;
  }
  const int fd = ::open((disk.dir / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const std::vector<char> block(4096, 'x');
  while (fd >= 0 && ::write(fd, block.data(), block.size()) > 0) {
  }
  // A last page may take part of a block: write single bytes until none fits.
  while (fd >= 0 && ::write(fd, block.data(), 1) == 1) {
  }
  if (fd >= 0) ::close(fd);
}

void remove_small_disk(small_disk& disk) {
  if (disk.mounted) ::umount(disk.dir.c_str());
  disk.mounted = false;
  std::filesystem::remove_all(disk.dir);
}

tool_run run_on_disk(const small_disk& disk, const std::string& program,
                     const std::vector<std::string>& args) {
  if (disk.kind == disk_kind::tmpfs) return run_tool(program, args, disk.dir);
  const file_size_cap cap(disk.room);
  return run_tool(program, args, disk.dir);
}

std::string full_disk_error(const small_disk& disk) {
  return std::strerror(disk.kind == disk_kind::tmpfs ? ENOSPC : EFBIG);
}
