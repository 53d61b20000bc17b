#include "sys/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "sys/platform.h"

namespace {

// 0666 less the umask, the mode a plain create gives. The umask can only be read by
// setting it, so it is put back at once.
mode_t plain_create_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

void close_fd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Opens the new file in the folder of `target` and notes what it must get once complete.
bool open_new_file(output_file& out, const output_target& target, temp_kind kind) {
  const std::string folder = folder_of(target.path);
  out.folder = open_folder(folder.empty() ? "." : folder.c_str());
  if (out.folder < 0) return false;
  std::optional<temp_file> temp = create_temp_file(out.folder, kind);
  if (!temp) return false;
  out.temp = *temp;
  if (target.kind == target_kind::replaced) {
    out.mode = target.old.st_mode & 07777;
    out.owner = target.old.st_uid;
    out.group = target.old.st_gid;
  } else {
    out.mode = plain_create_mode();
  }
  return true;
}

// A device or pipe is opened as it is, without O_TRUNC, which it has no use for.
bool open_special_file(output_file& out) {
  out.temp.fd = ::open(out.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  return out.temp.fd >= 0;
}

// Gives the complete file the replaced file's owner and group where the process may, and
// its final mode; the setuid, setgid and sticky bits only stay with the owner and group
// they were set for.
void set_owner_and_mode(output_file& out) {
  mode_t mode = out.mode;
  const int fd = out.temp.fd;
  if (out.kind == target_kind::replaced) {
    // Only root may give a file away; anyone may still give it one of their own groups.
    // What could not be kept shows in the file's owner and group, checked next.
    [[maybe_unused]] const bool kept = ::fchown(fd, out.owner, out.group) == 0 ||
                                       ::fchown(fd, static_cast<uid_t>(-1), out.group) == 0;
    struct stat now {};
    if (::fstat(fd, &now) != 0 || now.st_uid != out.owner || now.st_gid != out.group)
      mode &= ~mode_t{07000};
  }
  ::fchmod(fd, mode);
}

// Flushes the folder's entries to the disk after the rename. A failure changes nothing
// for the run, whose file is in place, and some file systems refuse it outright.
void sync_folder(int folder) {
  const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

void release(output_file& out) {
  if (out.kind == target_kind::special)
    close_fd(out.temp.fd);
  else
    remove_temp_file(out.folder, out.temp);
  close_fd(out.folder);
}

// Names the output that was not written, after the failure's own messages; its errno
// stays for `out.failure`.
output_error report_unwritten(output_file& out, int error) {
  out.failure = error;
  std::fprintf(stderr, "%s: could not be written\n", out.name.c_str());
  return output_error::write;
}

// Puts the complete, closed file in place of its name.
output_error finish_new_file(output_file& out) {
  set_owner_and_mode(out);
  if (out.kind == target_kind::replaced && ::fsync(out.temp.fd) != 0) {
    const int error = errno;
    std::perror("fsync");
    release(out);
    return report_unwritten(out, error);
  }
  // The name within its folder, taken without allocating: a lack of memory now would
  // leave a named new file behind.
  const size_t slash = out.path.rfind('/');
  const char* base = out.path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
  if (!place_temp_file(out.folder, out.temp, base)) {
    const int saved = errno;
    release(out);
    errno = saved;
    return output_error::create;
  }
  // The rename over an old file must survive a crash, or neither file might; a new name
  // that a crash loses leaves nothing lost, and flushing a folder costs a journal commit.
  if (out.kind == target_kind::replaced) sync_folder(out.folder);
  release(out);
  return output_error::none;
}

}  // namespace

std::optional<output_file> open_output(const std::string& path) {
  return open_output_with(path, temp_kind::unnamed_first);
}

std::optional<output_file> open_output_with(const std::string& path, temp_kind kind) {
  std::optional<output_target> target = resolve_output(path);
  if (!target) return std::nullopt;
  output_file out;
  out.name = path;
  out.path = target->path;
  out.kind = target->kind;
  const bool opened =
      out.kind == target_kind::special ? open_special_file(out) : open_new_file(out, *target, kind);
  // The stream has a descriptor of its own, so that the new file stays open past fclose:
  // an unnamed file is only given a name after that.
  const int stream_fd = opened ? ::fcntl(out.temp.fd, F_DUPFD_CLOEXEC, 0) : -1;
  if (stream_fd >= 0) out.stream = ::fdopen(stream_fd, "wb");
  if (out.stream == nullptr) {
    const int saved = errno;
    if (stream_fd >= 0) ::close(stream_fd);
    release(out);
    errno = saved;
    return std::nullopt;
  }
  return out;
}

void kept_errno_perror(const char* what) {
  const int error = errno;
  std::perror(what);
  errno = error;
}

void report_create_failure(const std::string& name) {
  std::perror("fopen");
  std::fprintf(stderr, "%s: could not be created\n", name.c_str());
}

bool write_output_bytes(std::FILE* stream, std::span<const uint8_t> bytes) {
  if (bytes.empty()) return true;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size()) return true;
  kept_errno_perror("fwrite");
  return false;
}

int flush_output(std::FILE* stream) {
  if (std::fflush(stream) == 0) return ::fileno(stream);
  kept_errno_perror("fwrite");
  return -1;
}

output_error commit_output(output_file& out) {
  const bool closed = std::fclose(out.stream) == 0;
  out.stream = nullptr;
  if (!closed) {
    const int error = errno;
    std::perror("fclose");
    release(out);
    return report_unwritten(out, error);
  }
  if (out.kind == target_kind::special) {
    release(out);
    return output_error::none;
  }
  return finish_new_file(out);
}

void discard_output(output_file& out) {
  const int saved = errno;
  if (out.stream != nullptr) std::fclose(out.stream);
  out.stream = nullptr;
  release(out);
  errno = saved;
}

output_error finish_output(output_file& out, bool written) {
  if (written) return commit_output(out);
  const int error = errno;
  discard_output(out);
  return report_unwritten(out, error);
}

bool out_of_room(int error) {
  return error == ENOSPC || error == EDQUOT || error == EFBIG;
}
