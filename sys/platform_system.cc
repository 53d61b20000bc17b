// Randomness, the C library's memory and stat times: the calls each system names its own
// way, and the portable way where the build has none of them.
#include <fcntl.h>
#include <unistd.h>

#include <climits>

#include "sys/platform.h"
#include "sys/platform_config.h"

#if FACETOOLS_HAVE_GETRANDOM || FACETOOLS_HAVE_GETENTROPY
#include <sys/random.h>  // getrandom; getentropy on macOS
#endif
#if FACETOOLS_HAVE_MALLOPT
#include <malloc.h>
#endif

namespace {

[[maybe_unused]] bool read_urandom(unsigned char* bytes, size_t size) {
  const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool read_all = ::read(fd, bytes, size) == static_cast<ssize_t>(size);
  ::close(fd);
  return read_all;
}

constexpr int64_t kNs = 1000000000;

}  // namespace

bool fill_random(unsigned char* bytes, size_t size) {
#if FACETOOLS_HAVE_GETRANDOM
  // GRND_NONBLOCK: early in boot, before the pool is ready, the caller does without.
  return ::getrandom(bytes, size, GRND_NONBLOCK) == static_cast<ssize_t>(size);
#elif FACETOOLS_HAVE_GETENTROPY
  return size <= 256 && ::getentropy(bytes, size) == 0;
#else
  return read_urandom(bytes, size);
#endif
}

// The C library hands freed memory at the top of its heap back to the system, and maps
// each block above a size that grows as blocks are freed afresh; the programs free and
// take again buffers of a table's size for every table and face. Each page taken afresh
// costs a fault, and in a virtual machine a fault costs more than copying the page, so
// freed memory is kept for reuse instead. Blocks of a megabyte or more (whole files, large
// tables) are still mapped on their own, where they can have huge pages (see
// byte_buffer.h), and given back when freed. Other C libraries have their own policies
// and no such knob; they are left to them.
void keep_freed_memory() {
#if FACETOOLS_HAVE_MALLOPT
  constexpr int kMappedFrom = 1 << 20;
  ::mallopt(M_MMAP_THRESHOLD, kMappedFrom);
  ::mallopt(M_TRIM_THRESHOLD, INT_MAX);
#endif
}

int64_t modified_ns(const struct stat& st) {
#if FACETOOLS_HAVE_ST_MTIM
  return st.st_mtim.tv_sec * kNs + st.st_mtim.tv_nsec;
#elif FACETOOLS_HAVE_ST_MTIMESPEC
  return st.st_mtimespec.tv_sec * kNs + st.st_mtimespec.tv_nsec;
#else
  return static_cast<int64_t>(st.st_mtime) * kNs;
#endif
}
