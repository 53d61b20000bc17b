// The calls that differ between systems, each with the portable way taken where the
// system lacks the faster or safer one (see sys/platform_config.h, which the configure
// step writes). The rest of sys/ uses these instead of testing for features itself.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>

// Opens the folder `path` to create files in with the *at calls: where it can, without
// reading it (O_PATH), so a folder the process may write in but not list still works.
// -1 with errno set when it cannot be opened.
int open_folder(const char* path);

// Opens the root folder as a descriptor that can be neither read nor written, to stand in
// for a closed one: as a path only where the system has O_PATH, else for reading, which
// read() refuses on a folder. -1 with errno set when it cannot be opened.
int open_inert_root();

// A new file without a name in the folder `path` relative to `dirfd`, opened with
// `access` (O_WRONLY or O_RDWR), mode 0600. -1 with errno set where the system, the file
// system or the build offers no unnamed files (EOPNOTSUPP when never offered), or where
// such a file could not later be given a name (see link_unnamed): the caller then takes a
// named file.
int open_unnamed(int dirfd, const char* path, int access);

// Gives the unnamed file `fd` the name `name` in the folder `dirfd`: through the
// descriptor itself where the process may do that, else through its entry in
// /proc/self/fd. False with errno set when neither works (EEXIST when the name is taken).
bool link_unnamed(int fd, int dirfd, const char* name);

// The descriptors the process has open now, of those below `limit`: as /proc lists them
// where the system shows them there, else by asking each number, up to a bound that keeps
// that cheap.
size_t count_open_descriptors(uint64_t limit);

// Fills `bytes` from the system's random source; false when it has none to give yet.
bool fill_random(unsigned char* bytes, size_t size);

// Asks the C library to keep freed memory for reuse where it can be asked (see
// platform_system.cc); nothing elsewhere.
void keep_freed_memory();

// The last modification of a file, in nanoseconds since the epoch, as fine as the system
// tells it.
int64_t modified_ns(const struct stat& st);

// Copies up to `size` bytes from `in` at `offset` to the end of `out` inside the kernel;
// what it returns and errno are those of copy_file_range, and -1 with errno ENOSYS where
// the system or the build has no such call (the caller then reads and writes).
ssize_t copy_in_kernel(int in, uint64_t offset, int out, size_t size);
