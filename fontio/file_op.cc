#include "fontio/file_op.h"

#include <sys/stat.h>

#include <cerrno>
#include <new>

#include "fontio/byte_buffer.h"

namespace {

constexpr size_t kReadChunk = size_t{1} << 20;

// Reads the rest of `data` from `file`; false after a read error or an early end of file,
// both reported.
bool read_whole(std::FILE* file, std::vector<uint8_t>& data) {
  size_t total = 0;
  while (total < data.size()) {
    const size_t chunk = std::min(data.size() - total, kReadChunk);
    const size_t got = std::fread(data.data() + total, 1, chunk, file);
    total += got;
    if (got == chunk) continue;
    if (std::ferror(file)) {
      std::perror("fread");
      return false;
    }
    if (std::feof(file)) {
      std::fputs("End of file...\n", stderr);
      return false;
    }
  }
  return true;
}

// Gives `data` exactly `size` bytes, all of which the caller overwrites: bytes left from an
// earlier file are not cleared first, and a buffer too small is dropped before a larger one
// is taken rather than copied into it. False (reported) when the memory cannot be had.
bool size_buffer(std::vector<uint8_t>& data, size_t size) {
  try {
    if (data.capacity() < size) std::vector<uint8_t>().swap(data);
    reserve_bytes(data, size);
    data.resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    std::fputs("Memory allocation failed.\n", stderr);
    return false;
  }
}

}  // namespace

bool is_folder(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  errno = EISDIR;
  return true;
}

int64_t get_file_size(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) {
    std::perror("fseek");
    return -1;
  }
  const long size = std::ftell(file);
  if (size < 0) {
    std::perror("ftell");
    return -1;
  }
  if (std::fseek(file, 0, SEEK_SET) != 0) {
    std::perror("fseek");
    std::clearerr(file);
  }
  return size;
}

load_status load_file_into(const std::string& path, std::vector<uint8_t>& data) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr || is_folder(::fileno(file))) {
    std::perror("fopen");
    if (file != nullptr) std::fclose(file);
    data.clear();
    return load_status::failed;
  }
  load_status status = load_status::failed;
  const int64_t size = get_file_size(file);
  if (size < 0) {
    std::fputs("Couldn't get file size...\n", stderr);
  } else if (size > kMaxFileSize) {
    std::fputs("File too large (2 GiB or more)...\n", stderr);
  } else if (size_buffer(data, static_cast<size_t>(size))) {
    status = read_whole(file, data) ? load_status::loaded : load_status::read_short;
  }
  if (status != load_status::loaded) data.clear();
  std::fclose(file);
  return status;
}

loaded_file load_file(const std::string& path) {
  loaded_file result;
  result.status = load_file_into(path, result.data);
  return result;
}
