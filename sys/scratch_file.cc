#include "sys/scratch_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "sys/output_target.h"
#include "sys/platform.h"

std::optional<input_file> open_scratch_file(const std::string& beside, io_sink sink) {
  const std::optional<output_target> target = resolve_output(beside);
  if (!target || target->kind == target_kind::special || target->kind == target_kind::descriptor)
    return std::nullopt;
  const std::string folder = folder_of(target->path);
  const int fd = open_unnamed(AT_FDCWD, folder.empty() ? "." : folder.c_str(), O_RDWR);
  if (fd < 0) return std::nullopt;
  input_file scratch;
  scratch.name = "a temporary file beside " + beside;
  scratch.fd = fd;
  scratch.sink = sink;
  return scratch;
}

std::optional<file_extent> set_aside(input_file& scratch, std::span<const uint8_t> bytes) {
  const file_extent extent{&scratch, scratch.size, bytes.size()};
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::pwrite(scratch.fd, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(scratch.size + done));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return std::nullopt;
    done += static_cast<size_t>(wrote);
  }
  scratch.size += bytes.size();
  return extent;
}
