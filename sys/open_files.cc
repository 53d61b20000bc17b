#include "sys/open_files.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "sys/platform.h"

size_t files_left_to_open() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  if (limit.rlim_cur == RLIM_INFINITY) return SIZE_MAX;
  const size_t open = count_open_descriptors(limit.rlim_cur);
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
