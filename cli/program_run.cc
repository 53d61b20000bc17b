#include "cli/program_run.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <new>

#include "cli/messages.h"
#include "sys/platform.h"

namespace {

// A program started with standard input, output or error closed would hand that number to
// the first file it opens, and its report would land in that file: an output being written,
// or facemend's set-aside tables. Each closed one is opened on /dev/null instead, or where
// there is none (a bare chroot) on the root folder, opened so that it can be neither read
// nor written, as the closed descriptor could not; false when neither can be had, the run
// then being unsafe to start.
bool fill_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    // The lowest free number is taken, and every lower one is open by now.
    int opened = ::open("/dev/null", O_RDWR);
    if (opened < 0) opened = open_inert_root();
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
