#include "sys/output_target.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

namespace {

// As many links as the system itself follows before it gives up with ELOOP.
constexpr int kMaxLinks = 40;

std::optional<std::string> read_link(const std::string& path) {
  std::string target(PATH_MAX, '\0');
  const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
  if (length < 0) return std::nullopt;
  if (static_cast<size_t>(length) == target.size()) {
    errno = ENAMETOOLONG;
    return std::nullopt;
  }
  target.resize(static_cast<size_t>(length));
  return target;
}

// The folder's name with every link and dot resolved; nothing when it has none.
std::optional<std::string> real_folder(const std::string& folder) {
  char resolved[PATH_MAX];
  if (::realpath(folder.empty() ? "." : folder.c_str(), resolved) == nullptr) return std::nullopt;
  return std::string(resolved);
}

// The descriptor `path` stands for when it names one of the program's own: /dev/stdin,
// /dev/stdout, /dev/stderr, or a number in the folder that lists the process's descriptors
// (/dev/fd, /proc/self/fd, /proc/PID/fd, by whatever name it is reached).
std::optional<int> descriptor_named(const std::string& path) {
  const char* const standard[] = {"/dev/stdin", "/dev/stdout", "/dev/stderr"};
  for (int fd = 0; fd < 3; ++fd)
    if (path == standard[fd]) return fd;
  const std::string base = base_of(path);
  const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  if (base.empty() || base.size() > 9 || !std::all_of(base.begin(), base.end(), digit))
    return std::nullopt;
  const std::optional<std::string> folder = real_folder(folder_of(path));
  if (!folder) return std::nullopt;
  for (const char* listing : {"/dev/fd", "/proc/self/fd", "/proc/thread-self/fd"})
    if (real_folder(listing) == folder) return std::stoi(base);
  return std::nullopt;
}

// Where a chain of symbolic links ends: a name, or one of the program's descriptors.
struct link_end {
  std::string path;
  std::optional<int> descriptor;
};

// Follows `path` through symbolic links to the name where they end, which need not exist
// (a dangling link names the file to create). A relative link is read from its own folder.
// A name on the way that stands for one of the program's descriptors ends the walk: on
// Linux /dev/stdout leads to /proc/self/fd/1, and that to the file descriptor 1 has open.
std::optional<link_end> follow_links(std::string path) {
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    if (const std::optional<int> fd = descriptor_named(path)) return link_end{path, fd};
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return link_end{path, {}};
    std::optional<std::string> target = read_link(path);
    if (!target) return std::nullopt;
    path = target->starts_with('/') ? *target : folder_of(path) + *target;
  }
  errno = ELOOP;
  return std::nullopt;
}

// The descriptor `fd` as an output named `path`; nothing unless it is open for writing.
std::optional<output_target> descriptor_target(const std::string& path, int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return std::nullopt;
  if ((flags & O_ACCMODE) == O_RDONLY) {
    errno = EBADF;
    return std::nullopt;
  }
  output_target target{target_kind::descriptor, path, {}, fd};
  if (::fstat(fd, &target.old) != 0) return std::nullopt;
  return target;
}

}  // namespace

std::optional<output_target> resolve_output(const std::string& path) {
  const std::optional<link_end> end = follow_links(path);
  if (end && end->descriptor) return descriptor_target(path, *end->descriptor);
  const int follow_error = errno;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      errno = EISDIR;
      return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) return output_target{target_kind::special, path, st};
  } else if (errno != ENOENT) {
    return std::nullopt;
  }
  if (!end) {
    errno = follow_error;
    return std::nullopt;
  }
  output_target target{target_kind::new_file, end->path, {}};
  if (::lstat(end->path.c_str(), &target.old) == 0) target.kind = target_kind::replaced;
  return target;
}

std::optional<file_identity> output_identity(const std::string& path) {
  const std::optional<output_target> target = resolve_output(path);
  if (!target) return std::nullopt;
  if (target->kind != target_kind::new_file)
    return file_identity{target->old.st_dev, target->old.st_ino, ""};
  const std::string folder = folder_of(target->path);
  struct stat st {};
  if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0) return std::nullopt;
  return file_identity{st.st_dev, st.st_ino, base_of(target->path)};
}

std::string folder_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string base_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
