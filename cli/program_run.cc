#include "cli/program_run.h"

#include <malloc.h>

#include <climits>
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

}  // namespace

exit_status finish_stdout(exit_status status) {
  if (flush_standard_output()) return status;
  return status != exit_status::success ? status : exit_status::failed;
}

int run_program(exit_status (*body)(int, char**), int argc, char** argv) {
  keep_freed_memory();
  exit_status status = exit_status::refused;
  try {
    status = body(argc, argv);
  } catch (const std::bad_alloc&) {
    print_io_problem({io_step::memory, ""});
  }
  return status_code(finish_stdout(status));
}
