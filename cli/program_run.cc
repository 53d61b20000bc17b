#include "cli/program_run.h"

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <new>

#include "cli/messages.h"

namespace {

// The C library hands freed memory at the top of its heap back to the system, and maps
// each block above a size that grows as blocks are freed afresh; the programs free and
// take again buffers of a table's size for every table and face. Each page taken afresh
// costs a fault, and in a virtual machine a fault costs more than copying the page, so
// freed memory is kept for reuse instead. Blocks of a megabyte or more (whole files, large
// tables) are still mapped on their own, where they can have huge pages (see
// byte_buffer.h), and given back when freed.
void keep_freed_memory() {
  constexpr int kMappedFrom = 1 << 20;
  ::mallopt(M_MMAP_THRESHOLD, kMappedFrom);
  ::mallopt(M_TRIM_THRESHOLD, INT_MAX);
}

// A program started with standard input, output or error closed would hand that number to
// the first file it opens, and its report would land in that file: an output being written,
// or facemend's set-aside tables. Each closed one is opened on /dev/null instead, or where
// there is none (a bare chroot) on the root folder as a path only, which can be neither read
// nor written, as the closed descriptor could not; false when neither can be had, the run
// then being unsafe to start.
bool fill_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    // The lowest free number is taken, and every lower one is open by now.
    int opened = ::open("/dev/null", O_RDWR);
    if (opened < 0) opened = ::open("/", O_PATH);
    if (opened == fd) continue;
    if (opened >= 0) ::close(opened);
    return false;
  }
  return true;
}

}  // namespace

exit_status finish_stdout(exit_status status) {
  if (flush_standard_output()) return status;
  return status != exit_status::success ? status : exit_status::failed;
}

int run_program(exit_status (*body)(int, char**), int argc, char** argv) {
  if (!fill_standard_descriptors()) return status_code(exit_status::failed);
  // A file that reaches the size the process may write then fails its write with EFBIG,
  // reported and cleaned up as a full disk is, instead of ending the process mid-write.
  std::signal(SIGXFSZ, SIG_IGN);
  keep_freed_memory();
  exit_status status = exit_status::refused;
  try {
    status = body(argc, argv);
  } catch (const std::bad_alloc&) {
    print_io_problem({io_step::memory, ""});
  }
  return status_code(finish_stdout(status));
}
