#include "sys/output_target.h"

#include <limits.h>
#include <unistd.h>

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

// Follows `path` through symbolic links to the name where they end, which need not exist
// (a dangling link names the file to create). A relative link is read from its own folder.
std::optional<std::string> follow_links(std::string path) {
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::optional<std::string> target = read_link(path);
    if (!target) return std::nullopt;
    path = target->starts_with('/') ? *target : folder_of(path) + *target;
  }
  errno = ELOOP;
  return std::nullopt;
}

}  // namespace

std::optional<output_target> resolve_output(const std::string& path) {
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
  std::optional<std::string> end = follow_links(path);
  if (!end) return std::nullopt;
  output_target target{target_kind::new_file, *end, {}};
  if (::lstat(end->c_str(), &target.old) == 0) target.kind = target_kind::replaced;
  return target;
}

std::string folder_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string base_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
