#include "sys/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "sys/byte_buffer.h"
#include "sys/platform.h"

namespace {

file_stamp stamp_of(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
          static_cast<int64_t>(st.st_size), modified_ns(st)};
}

bool same_content_stamp(const file_stamp& a, const file_stamp& b) {
  return a.size == b.size && a.modified_ns == b.modified_ns;
}

// A pipe, device or socket: a file that may never end or may wait for a writer.
bool is_special(const struct stat& st) {
  return !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

int refuse_special(const std::string& path, const struct stat& st, io_sink sink) {
  special_kind kind = special_kind::other;
  if (S_ISFIFO(st.st_mode)) kind = special_kind::pipe;
  if (S_ISCHR(st.st_mode)) kind = special_kind::character_device;
  if (S_ISBLK(st.st_mode)) kind = special_kind::block_device;
  if (S_ISSOCK(st.st_mode)) kind = special_kind::socket;
  hand_on(sink, {io_step::not_regular, path, 0, kind});
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
int open_file(const std::string& path, file_stamp& stamp, io_sink sink) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && is_special(st)) return refuse_special(path, st, sink);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd >= 0 && ::fstat(fd, &st) == 0) {
    stamp = stamp_of(st);
    if (S_ISREG(st.st_mode) && clear_nonblock(fd)) return fd;
    if (is_special(st)) {
      ::close(fd);
      return refuse_special(path, st, sink);
    }
    if (S_ISDIR(st.st_mode)) errno = EISDIR;
  }
  hand_on(sink, {io_step::open, path, errno});
  if (fd >= 0) ::close(fd);
  return -1;
}

// The size found by seeking to the end; -1 after the problem has been handed on.
int64_t seek_size(int fd, const std::string& path, io_sink sink) {
  const off_t end = ::lseek(fd, 0, SEEK_END);
  if (end < 0) {
    hand_on(sink, {io_step::size, path, errno});
    return -1;
  }
  if (end > kMaxFileSize) {
    hand_on(sink, {io_step::too_large, path});
    return -1;
  }
  return end;
}

// Gives `data` exactly `size` bytes; false (handed on) when the memory cannot be had.
bool size_buffer(std::vector<uint8_t>& data, size_t size, const input_file& file) {
  try {
    reserve_bytes(data, size);
    data.resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    hand_on(file.sink, {io_step::memory, file.name});
    return false;
  }
}

bool report_unread(const input_file& file, io_step step, int error) {
  hand_on(file.sink, {step, file.name, error});
  return false;
}

}  // namespace

std::optional<input_file> open_input(const std::string& path, io_sink sink) {
  input_file file;
  file.name = path;
  file.sink = sink;
  file.fd = open_file(path, file.stamp, sink);
  if (file.fd < 0) return std::nullopt;
  const int64_t size = seek_size(file.fd, path, sink);
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
  if (offset > file.size || dest.size() > file.size - offset)
    return report_unread(file, io_step::early_end, 0);
  size_t done = 0;
  while (done < dest.size()) {
    const ssize_t got =
        ::pread(file.fd, dest.data() + done, dest.size() - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return report_unread(file, io_step::read, errno);
    if (got == 0) return report_unread(file, io_step::early_end, 0);
    done += static_cast<size_t>(got);
  }
  return true;
}

bool input_unchanged(const input_file& file) {
  struct stat st {};
  return ::fstat(file.fd, &st) == 0 && same_content_stamp(stamp_of(st), file.stamp);
}

load_status load_input(const input_file& file, std::vector<uint8_t>& data) {
  load_status status = load_status::failed;
  if (size_buffer(data, static_cast<size_t>(file.size), file))
    status = read_input(file, 0, data) ? load_status::loaded : load_status::read_short;
  if (status != load_status::loaded) data.clear();
  return status;
}

loaded_file load_file(const std::string& path, io_sink sink) {
  loaded_file result;
  std::optional<input_file> file = open_input(path, sink);
  if (!file) return result;
  result.status = load_input(*file, result.data);
  close_input(*file);
  return result;
}
