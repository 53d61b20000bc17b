#include "sys/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <new>

#include "sys/byte_buffer.h"
#include "sys/platform.h"
#include "sys/program_run.h"

namespace {

file_stamp stamp_of(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
          static_cast<int64_t>(st.st_size), modified_ns(st), changed_ns(st)};
}

bool same_stamp(const file_stamp& a, const file_stamp& b) {
  return a.device == b.device && a.inode == b.inode && a.size == b.size &&
         a.modified_ns == b.modified_ns && a.changed_ns == b.changed_ns;
}

void report_unopened(const std::string& path) {
  std::perror("fopen");
  std::fprintf(stderr, "%s: could not be opened\n", path.c_str());
}

// A pipe, device or socket: a file that may never end or may wait for a writer.
bool is_special(const struct stat& st) {
  return !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

int refuse_special(const std::string& path, const struct stat& st) {
  const char* kind = "a special file";
  if (S_ISFIFO(st.st_mode)) kind = "a pipe";
  if (S_ISCHR(st.st_mode)) kind = "a character device";
  if (S_ISBLK(st.st_mode)) kind = "a block device";
  if (S_ISSOCK(st.st_mode)) kind = "a socket";
  std::fprintf(stderr, "%s: not a regular file (%s)\n", path.c_str(), kind);
  return -1;
}

// Reads from the file wait again, as for any regular file.
bool clear_nonblock(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// Opens a regular file. Anything else is refused at once: a device is not even opened
// (opening some has effects of their own), and O_NONBLOCK keeps the open of a pipe that
// took the file's place after that look from waiting for a writer; fstat then catches it.
// A folder, which opens on some systems but has no bytes to give, counts as the open
// failure it is.
int open_file(const std::string& path, file_stamp& stamp) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && is_special(st)) return refuse_special(path, st);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd >= 0 && ::fstat(fd, &st) == 0) {
    stamp = stamp_of(st);
    if (S_ISREG(st.st_mode) && clear_nonblock(fd)) return fd;
    if (is_special(st)) {
      ::close(fd);
      return refuse_special(path, st);
    }
    if (S_ISDIR(st.st_mode)) errno = EISDIR;
  }
  report_unopened(path);
  if (fd >= 0) ::close(fd);
  return -1;
}

// The size found by seeking to the end; -1 after the problem has been reported.
int64_t seek_size(int fd, const std::string& path) {
  const off_t end = ::lseek(fd, 0, SEEK_END);
  if (end < 0) {
    std::perror("fseek");
    std::fputs("Couldn't get file size...\n", stderr);
    std::fprintf(stderr, "%s: could not be sized\n", path.c_str());
    return -1;
  }
  if (end > kMaxFileSize) {
    std::fputs("File too large (2 GiB or more)...\n", stderr);
    std::fprintf(stderr, "%s: too large to be read\n", path.c_str());
    return -1;
  }
  return end;
}

// Gives `data` exactly `size` bytes; false (reported) when the memory cannot be had.
bool size_buffer(std::vector<uint8_t>& data, size_t size, const std::string& path) {
  try {
    reserve_bytes(data, size);
    data.resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    report_memory_failure();
    std::fprintf(stderr, "%s: could not be held in memory\n", path.c_str());
    return false;
  }
}

// A failed read ends with the line that names the file; `false` for the caller.
bool report_unread(const input_file& file) {
  std::fprintf(stderr, "%s: could not be read in full\n", file.name.c_str());
  return false;
}

}  // namespace

std::optional<input_file> open_input(const std::string& path) {
  input_file file;
  file.name = path;
  file.fd = open_file(path, file.stamp);
  if (file.fd < 0) return std::nullopt;
  const int64_t size = seek_size(file.fd, path);
  if (size < 0) {
    close_input(file);
    return std::nullopt;
  }
  file.size = static_cast<uint64_t>(size);
  return file;
}

void close_input(input_file& file) {
  if (file.fd >= 0) ::close(file.fd);
  file.fd = -1;
}

bool read_input(const input_file& file, uint64_t offset, std::span<uint8_t> dest) {
  // Subtraction form: offsets come from the font and must not wrap around.
  if (offset > file.size || dest.size() > file.size - offset) {
    std::fputs("End of file...\n", stderr);
    return report_unread(file);
  }
  size_t done = 0;
  while (done < dest.size()) {
    const ssize_t got =
        ::pread(file.fd, dest.data() + done, dest.size() - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      std::perror("fread");
      return report_unread(file);
    }
    if (got == 0) {
      std::fputs("End of file...\n", stderr);
      return report_unread(file);
    }
    done += static_cast<size_t>(got);
  }
  return true;
}

bool input_unchanged(const input_file& file) {
  struct stat st {};
  return ::fstat(file.fd, &st) == 0 && same_stamp(stamp_of(st), file.stamp);
}

load_status load_input(const input_file& file, std::vector<uint8_t>& data) {
  load_status status = load_status::failed;
  if (size_buffer(data, static_cast<size_t>(file.size), file.name))
    status = read_input(file, 0, data) ? load_status::loaded : load_status::read_short;
  if (status != load_status::loaded) data.clear();
  return status;
}

loaded_file load_file(const std::string& path) {
  loaded_file result;
  std::optional<input_file> file = open_input(path);
  if (!file) return result;
  result.status = load_input(*file, result.data);
  close_input(*file);
  return result;
}
