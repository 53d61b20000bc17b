// What an output's name stands for: a file to create or replace, with symbolic links
// followed so that a link named as the output stays a link and the file it points to is
// replaced, a device, pipe or other special file that is written to as it is, or one of
// the program's own descriptors, written through.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>

enum class target_kind {
  new_file,  // nothing has the name (or a link's end) yet: a file is created
  replaced,  // a regular file has it: a new file takes its place
  special,   // a device, pipe or the like: written to in place, never replaced
  // One of the program's own open descriptors (/dev/stdout, /dev/fd/N, /proc/self/fd/N, or
  // a link to one): written through it, at its position and with its O_APPEND, never
  // resolved to the file it has open, which may be a log, a deleted file or a pipe.
  descriptor,
};

struct output_target {
  target_kind kind = target_kind::new_file;
  // The file to create or replace, reached through any symbolic links; for a special
  // file, the name as given (a link such as /dev/stdout may lead to a pipe with no name).
  std::string path;
  struct stat old {};   // the file as it is now (kinds replaced, special and descriptor)
  int descriptor = -1;  // kind descriptor only
};

// Nothing when the name cannot be written (errno set: EISDIR for a folder, ELOOP for links
// without end, EBADF for a descriptor that is not open for writing, or what the system
// says of the name).
std::optional<output_target> resolve_output(const std::string& path);

// Which file an output's name writes, so that two names can be found to write the same
// file: the file that is there (device and inode), or, when there is none yet, the folder
// it will be made in (device and inode) and its name there.
struct file_identity {
  uint64_t device = 0;
  uint64_t inode = 0;
  std::string name;  // empty when the file exists
  // Spelled out: the standard library of clang 14 has no three-way comparison of strings.
  bool operator==(const file_identity&) const = default;
  bool operator<(const file_identity& other) const {
    return std::tie(device, inode, name) < std::tie(other.device, other.inode, other.name);
  }
};

// Nothing when the name cannot be resolved, errno set as resolve_output sets it.
std::optional<file_identity> output_identity(const std::string& path);

// The folder part of `path` with its trailing slash ("" for a bare name: the current
// folder), and the rest. The one split of a path into its folder and its name.
std::string folder_of(const std::string& path);
std::string base_of(const std::string& path);
