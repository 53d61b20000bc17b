#include "sys/open_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace {

// The descriptors open now, as /proc lists them (less the one that reads the list).
// Without /proc each number below `limit` is asked, up to a bound that keeps that cheap.
size_t descriptors_open(rlim_t limit) {
  if (DIR* fds = ::opendir("/proc/self/fd")) {
    size_t count = 0;
    while (const dirent* entry = ::readdir(fds))
      if (entry->d_name[0] != '.') ++count;
    ::closedir(fds);
    return count > 0 ? count - 1 : 0;
  }
  constexpr rlim_t kMostAsked = 65536;
  size_t count = 0;
  for (rlim_t fd = 0; fd < limit && fd < kMostAsked; ++fd)
    if (::fcntl(static_cast<int>(fd), F_GETFD) >= 0) ++count;
  return count;
}

}  // namespace

size_t files_left_to_open() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  if (limit.rlim_cur == RLIM_INFINITY) return SIZE_MAX;
  const size_t open = descriptors_open(limit.rlim_cur);
  return limit.rlim_cur > open ? static_cast<size_t>(limit.rlim_cur - open) : 0;
}

bool descriptor_available() {
  const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  return errno != EMFILE && errno != ENFILE;
}
