// The file an output is written to until it is complete, in the output's own folder.
// Where the system and the file system offer it, the file has no name while it is written
// (O_TMPFILE): whatever ends the process while it is written, SIGKILL or a crash too,
// leaves nothing behind (see place_temp_file for the one instant when it is complete).
// Elsewhere it has a short random name, created afresh (never one left by anyone else)
// and removed on failure and by SIGINT, SIGTERM and SIGHUP (see temp_cleanup.h). Either
// way the name never depends on the output's, whose length may leave no room for more.
#pragma once

#include <cstddef>
#include <optional>

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

// Puts the complete file in place under `name`, replacing whatever has that name. An
// unnamed file that finds the name free is linked in under it directly. Otherwise it is
// linked in under a random name first and that is renamed over `name`: no call links an
// unnamed file over an existing name, so SIGKILL in the instant between the two leaves
// the complete file under the random name. False with errno set when it could not be put
// in place; a named file then keeps its temporary name.
bool place_temp_file(int dirfd, temp_file& temp, const char* name);

// Removes the file's name, if it still has one, and closes it; errno is kept.
void remove_temp_file(int dirfd, temp_file& temp);
