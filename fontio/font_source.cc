#include "fontio/font_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "fontio/byte_reader.h"
#include "fontio/file_op.h"

namespace {

// The size of an open file found by seeking, as the whole-file loader finds it, so that a
// pipe is refused in the same words; -1 after the problem has been reported.
int64_t seek_size(int fd) {
  const off_t end = ::lseek(fd, 0, SEEK_END);
  if (end < 0) {
    std::perror("fseek");
    std::fputs("Couldn't get file size...\n", stderr);
    return -1;
  }
  if (end > kMaxFileSize) {
    std::fputs("File too large (2 GiB or more)...\n", stderr);
    return -1;
  }
  return end;
}

}  // namespace

std::optional<font_source> open_font_source(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || is_folder(fd)) {
    std::perror("fopen");
    if (fd >= 0) ::close(fd);
    return std::nullopt;
  }
  const int64_t size = seek_size(fd);
  if (size < 0) {
    ::close(fd);
    return std::nullopt;
  }
  font_source source;
  source.fd = fd;
  source.size = static_cast<uint64_t>(size);
  return source;
}

font_source memory_font_source(std::span<const uint8_t> bytes) {
  font_source source;
  source.memory = bytes;
  source.size = bytes.size();
  return source;
}

void close_font_source(font_source& source) {
  if (source.fd >= 0) ::close(source.fd);
  source.fd = -1;
}

bool read_source(const font_source& source, uint64_t offset, std::span<uint8_t> dest) {
  if (!extent_fits(source.size, offset, dest.size())) {
    std::fputs("End of file...\n", stderr);
    return false;
  }
  if (source.fd < 0) {
    const std::span<const uint8_t> bytes = source.memory.subspan(offset, dest.size());
    std::copy(bytes.begin(), bytes.end(), dest.begin());
    return true;
  }
  size_t done = 0;
  while (done < dest.size()) {
    const ssize_t got = ::pread(source.fd, dest.data() + done, dest.size() - done,
                                static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      std::perror("fread");
      return false;
    }
    if (got == 0) {
      std::fputs("End of file...\n", stderr);
      return false;
    }
    done += static_cast<size_t>(got);
  }
  return true;
}
