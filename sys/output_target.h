// What an output's name stands for: a file to create or replace, with symbolic links
// followed so that a link named as the output stays a link and the file it points to is
// replaced, or a device, pipe or other special file that is written to as it is.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>

enum class target_kind {
  new_file,  // nothing has the name (or a link's end) yet: a file is created
  replaced,  // a regular file has it: a new file takes its place
  special,   // a device, pipe or the like: written to in place, never replaced
};

struct output_target {
  target_kind kind = target_kind::new_file;
  // The file to create or replace, reached through any symbolic links; for a special
  // file, the name as given (a link such as /dev/stdout may lead to a pipe with no name).
  std::string path;
  struct stat old {};  // the file being replaced (kind replaced only)
};

// Nothing when the name cannot be written (errno set: EISDIR for a folder, ELOOP for links
// without end, or what the system says of the name).
std::optional<output_target> resolve_output(const std::string& path);

// The folder part of `path` with its trailing slash ("" for a bare name: the current
// folder), and the rest. The one split of a path into its folder and its name.
std::string folder_of(const std::string& path);
std::string base_of(const std::string& path);
