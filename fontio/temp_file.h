// The file an output is written to until it is complete, in the output's own folder.
// Where the system and the file system offer it, the file has no name while it is written
// (O_TMPFILE): nothing is left behind whatever ends the process, even SIGKILL or a crash.
// Elsewhere it has a short random name, created afresh (never one left by anyone else)
// and removed on failure and by SIGINT, SIGTERM and SIGHUP (see temp_cleanup.h). Either
// way the name never depends on the output's, whose length may leave no room for more.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

inline constexpr size_t kTempNameSize = 16;

enum class temp_kind {
  unnamed_first,  // unnamed where offered, else named
  named,          // always named, as where unnamed files are not offered
};

struct temp_file {
  int fd = -1;                    // open for writing only
  char name[kTempNameSize] = {};  // its name in the folder; empty while it has none
  int slot = -1;                  // where the name is registered for removal on a signal
};

// Creates the file, mode 0600, in the folder `dirfd`. Nothing when it cannot be created
// (errno set).
std::optional<temp_file> create_temp_file(int dirfd, temp_kind kind);

// Gives an unnamed file a fresh random name in its folder; a named one keeps its name.
// False with errno set when no name could be made.
bool name_temp_file(int dirfd, temp_file& temp);

// Renames the named file to `name`, replacing whatever had that name. False with errno
// set when the rename failed; the file keeps its temporary name.
bool rename_temp_file(int dirfd, temp_file& temp, const std::string& name);

// Removes the file's name, if it still has one, and closes it; errno is kept.
void remove_temp_file(int dirfd, temp_file& temp);
