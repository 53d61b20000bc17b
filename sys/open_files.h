// How many more files the process may open, counting the descriptors it inherited, and
// whether it may open one more now.
#pragma once

#include <cstddef>

// The files the process may still open: its limit (RLIMIT_NOFILE) less the descriptors open
// now, inherited ones included; SIZE_MAX when it has no limit.
size_t files_left_to_open();

// Whether one more file can be opened now: false when the process or the system has no
// descriptor left to give (EMFILE, ENFILE).
bool descriptor_available();
