#include "sys/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sys/file_attributes.h"

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

// A device or pipe is opened as it is, without O_TRUNC, which it has no use for. One of the
// program's own descriptors is copied: the copy shares its position and its O_APPEND.
bool open_special_file(output_file& out, const output_target& target) {
  if (target.kind == target_kind::descriptor)
    out.special_fd = ::fcntl(target.descriptor, F_DUPFD_CLOEXEC, 0);
  else
    out.special_fd = ::open(out.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  return out.special_fd >= 0;
}

// Whether the output is written where it is, not as a new file that takes its name.
bool written_in_place(target_kind kind) {
  return kind == target_kind::special || kind == target_kind::descriptor;
}

// Gives the complete file the replaced file's extended attributes (its ACL among them); one
// that cannot be kept is handed to the output's notices, and the file keeps the narrower
// permissions (see file_attributes.h). Answers the mode the file is to get.
mode_t keep_attributes(const output_file& out, mode_t mode) {
  const attribute_copy copy = copy_attributes(out.path, out.temp.fd, mode);
  for (const attribute_loss& loss : copy.lost) {
    io_problem lost{io_step::attribute, out.name, loss.error};
    lost.detail = loss.name;
    hand_on(out.notices, lost);
  }
  return copy.mode;
}

// Gives the complete file the replaced file's owner and group where the process may, its
// extended attributes, and its final mode; the setuid, setgid and sticky bits only stay with
// the owner and group they were set for.
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
    mode = keep_attributes(out, mode);
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
  close_fd(out.special_fd);
  remove_temp_file(out.folder, out.temp);
  close_fd(out.folder);
}

// The failure of `step` on the output, from errno; the new file is removed.
io_problem fail(output_file& out, io_step step) {
  const io_problem problem{step, out.name, errno};
  release(out);
  return problem;
}

// Puts the complete, closed file in place of its name.
std::optional<io_problem> finish_new_file(output_file& out) {
  set_owner_and_mode(out);
  if (out.kind == target_kind::replaced && ::fsync(out.temp.fd) != 0)
    return fail(out, io_step::sync);
  // The name within its folder, taken without allocating: a lack of memory now would
  // leave a named new file behind.
  const size_t slash = out.path.rfind('/');
  const char* base = out.path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
  if (!place_temp_file(out.folder, out.temp, base)) return fail(out, io_step::create);
  // The rename over an old file must survive a crash, or neither file might; a new name
  // that a crash loses leaves nothing lost, and flushing a folder costs a journal commit.
  if (out.kind == target_kind::replaced) sync_folder(out.folder);
  release(out);
  return std::nullopt;
}

}  // namespace

opened_output open_output(const std::string& path) {
  return open_output_with(path, temp_kind::unnamed_first);
}

opened_output open_output_with(const std::string& path, temp_kind kind) {
  std::optional<output_target> target = resolve_output(path);
  if (!target) return {std::nullopt, {io_step::create, path, errno}};
  output_file out;
  out.name = path;
  out.path = target->path;
  out.kind = target->kind;
  const bool opened = written_in_place(out.kind) ? open_special_file(out, *target)
                                                 : open_new_file(out, *target, kind);
  // The stream has a descriptor of its own, so that the new file stays open past fclose:
  // an unnamed file is only given a name after that.
  const int fd = written_in_place(out.kind) ? out.special_fd : out.temp.fd;
  const int stream_fd = opened ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
  if (stream_fd >= 0) out.stream.file = ::fdopen(stream_fd, "wb");
  if (out.stream.file == nullptr) {
    const io_problem problem{io_step::create, path, errno};
    if (stream_fd >= 0) ::close(stream_fd);
    release(out);
    return {std::nullopt, problem};
  }
  return {std::move(out), {}};
}

bool note_output_problem(output_stream& stream, io_problem problem) {
  if (!stream.problem) stream.problem = std::move(problem);
  return false;
}

bool write_output_bytes(output_stream& stream, std::span<const uint8_t> bytes) {
  if (stream.problem) return false;
  if (bytes.empty()) return true;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stream.file) == bytes.size()) return true;
  return note_output_problem(stream, {io_step::write, "", errno});
}

int flush_output(output_stream& stream) {
  if (stream.problem) return -1;
  if (std::fflush(stream.file) == 0) return ::fileno(stream.file);
  note_output_problem(stream, {io_step::write, "", errno});
  return -1;
}

std::optional<io_problem> commit_output(output_file& out) {
  const bool closed = std::fclose(out.stream.file) == 0;
  out.stream.file = nullptr;
  if (!closed) return fail(out, io_step::close);
  if (written_in_place(out.kind)) {
    release(out);
    return std::nullopt;
  }
  return finish_new_file(out);
}

void discard_output(output_file& out) {
  if (out.stream.file != nullptr) std::fclose(out.stream.file);
  out.stream.file = nullptr;
  release(out);
}

std::optional<io_problem> finish_output(output_file& out, std::optional<io_problem> failure) {
  if (!failure) return commit_output(out);
  discard_output(out);
  return failure;
}

bool out_of_room(const io_problem& problem) {
  const bool writing = problem.step == io_step::write || problem.step == io_step::close ||
                       problem.step == io_step::sync;
  return writing && (problem.error == ENOSPC || problem.error == EDQUOT || problem.error == EFBIG);
}
