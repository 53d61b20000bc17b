#include "fontio/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

std::string folder_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return path.substr(0, slash + 1);
}

std::string base_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Opens a fresh temporary file beside `path` with the mode a plain create would give
// (0666 less the umask), or the mode of the file it is going to replace.
int create_temp(const std::string& path, std::string& temp_path) {
  struct stat existing {};
  const bool replaces = ::stat(path.c_str(), &existing) == 0;
  if (replaces && S_ISDIR(existing.st_mode)) {
    errno = EISDIR;
    return -1;
  }
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    temp_path = folder_of(path) + "." + base_of(path) + "." + std::to_string(::getpid()) + "." +
                std::to_string(attempt) + ".tmp";
    const int fd = ::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd >= 0 && replaces) ::fchmod(fd, existing.st_mode & 07777);
    return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

std::optional<output_file> open_output(const std::string& path) {
  output_file out;
  out.path = path;
  const int fd = create_temp(path, out.temp_path);
  if (fd < 0) return std::nullopt;
  out.stream = ::fdopen(fd, "wb");
  if (out.stream == nullptr) {
    const int saved = errno;
    ::close(fd);
    ::unlink(out.temp_path.c_str());
    errno = saved;
    return std::nullopt;
  }
  return out;
}

bool write_output_bytes(std::FILE* stream, std::span<const uint8_t> bytes) {
  if (bytes.empty()) return true;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size()) return true;
  std::perror("fwrite");
  return false;
}

output_error commit_output(output_file& out) {
  const bool closed = std::fclose(out.stream) == 0;
  out.stream = nullptr;
  if (!closed) {
    std::perror("fclose");
    ::unlink(out.temp_path.c_str());
    return output_error::write;
  }
  if (::rename(out.temp_path.c_str(), out.path.c_str()) != 0) {
    const int saved = errno;
    ::unlink(out.temp_path.c_str());
    errno = saved;
    return output_error::create;
  }
  return output_error::none;
}

void discard_output(output_file& out) {
  if (out.stream != nullptr) std::fclose(out.stream);
  out.stream = nullptr;
  const int saved = errno;
  ::unlink(out.temp_path.c_str());
  errno = saved;
}

output_error finish_output(output_file& out, bool written) {
  if (written) return commit_output(out);
  discard_output(out);
  return output_error::write;
}
