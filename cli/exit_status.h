// The exit statuses of the three programs, by name.
#pragma once

enum class exit_status : int {
  success = 0,
  refused = 1,       // the command line or an input was refused; nothing was written
  failed = 2,        // an output could not be written, or a font could not be repaired
  would_change = 3,  // facemend --check: a repair would change something
};

inline int status_code(exit_status status) {
  return static_cast<int>(status);
}
