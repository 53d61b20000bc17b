// Folders, unnamed files, open descriptors and kernel copies: Linux's ways where the
// build has them, the POSIX ones elsewhere.
#ifndef _GNU_SOURCE
#define _GNU_SOURCE  // O_PATH, O_TMPFILE, AT_EMPTY_PATH and copy_file_range in glibc
#endif
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "sys/platform.h"
#include "sys/platform_config.h"

namespace {

#if FACETOOLS_HAVE_O_TMPFILE && FACETOOLS_HAVE_PROC_SELF_FD
void proc_path_of(int fd, char (&path)[40]) {
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
}

// Whether /proc shows the descriptor as the file it is: without /proc (a container or
// chroot that does not mount it) an unnamed file can be given a name only by a process
// that may link any descriptor, which the programs do not count on.
bool shown_in_proc(int fd) {
  char path[40];
  proc_path_of(fd, path);
  struct stat seen {};
  struct stat held {};
  return ::stat(path, &seen) == 0 && ::fstat(fd, &held) == 0 && seen.st_dev == held.st_dev &&
         seen.st_ino == held.st_ino;
}
#endif

}  // namespace

int open_folder(const char* path) {
#if FACETOOLS_HAVE_O_PATH
  return ::open(path, O_PATH | O_DIRECTORY | O_CLOEXEC);
#else
  const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#ifdef O_SEARCH
  // A folder the process may search and write but not list.
  if (fd < 0 && errno == EACCES) return ::open(path, O_SEARCH | O_DIRECTORY | O_CLOEXEC);
#endif
  return fd;
#endif
}

int open_inert_root() {
#if FACETOOLS_HAVE_O_PATH
  return ::open("/", O_PATH);
#else
  return ::open("/", O_RDONLY | O_DIRECTORY);
#endif
}

int open_unnamed(int dirfd, const char* path, int access) {
#if FACETOOLS_HAVE_O_TMPFILE && FACETOOLS_HAVE_PROC_SELF_FD
  const int fd = ::openat(dirfd, path, O_TMPFILE | access | O_CLOEXEC, 0600);
  if (fd < 0 || shown_in_proc(fd)) return fd;
  ::close(fd);
#else
  (void)dirfd, (void)path, (void)access;
#endif
  errno = EOPNOTSUPP;
  return -1;
}

bool link_unnamed(int fd, int dirfd, const char* name) {
#if FACETOOLS_HAVE_O_TMPFILE && FACETOOLS_HAVE_PROC_SELF_FD
#if FACETOOLS_HAVE_LINKAT_EMPTY_PATH
  if (::linkat(fd, "", dirfd, name, AT_EMPTY_PATH) == 0) return true;
  if (errno == EEXIST) return false;
#endif
  char path[40];
  proc_path_of(fd, path);
  return ::linkat(AT_FDCWD, path, dirfd, name, AT_SYMLINK_FOLLOW) == 0;
#else
  (void)fd, (void)dirfd, (void)name;
  errno = EOPNOTSUPP;  // never reached: open_unnamed made no such file
  return false;
#endif
}

size_t count_open_descriptors(uint64_t limit) {
#if FACETOOLS_HAVE_PROC_SELF_FD
  if (DIR* fds = ::opendir("/proc/self/fd")) {
    size_t count = 0;
    while (const dirent* entry = ::readdir(fds))
      if (entry->d_name[0] != '.') ++count;
    ::closedir(fds);
    return count > 0 ? count - 1 : 0;  // less the one that reads the list
  }
#endif
  constexpr uint64_t kMostAsked = 65536;
  size_t count = 0;
  for (uint64_t fd = 0; fd < limit && fd < kMostAsked; ++fd)
    if (::fcntl(static_cast<int>(fd), F_GETFD) >= 0) ++count;
  return count;
}

ssize_t copy_in_kernel(int in, uint64_t offset, int out, size_t size) {
#if FACETOOLS_HAVE_COPY_FILE_RANGE
  loff_t from = static_cast<loff_t>(offset);
  return ::copy_file_range(in, &from, out, nullptr, size, 0);
#else
  (void)in, (void)offset, (void)out, (void)size;
  errno = ENOSYS;
  return -1;
#endif
}
