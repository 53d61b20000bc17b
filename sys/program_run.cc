#include "sys/program_run.h"

#include <cstdio>
#include <new>

#include "sys/platform.h"

void report_memory_failure() {
  std::fputs("Memory allocation failed.\n", stderr);
}

int finish_stdout(int status) {
  const bool flushed = std::fflush(stdout) == 0;
  if (flushed && std::ferror(stdout) == 0) return status;
  if (flushed)  // a write that failed earlier left its mark on the stream, not its reason
    std::fputs("stdout: write error\n", stderr);
  else
    std::perror("stdout");
  return status != 0 ? status : 2;
}

int run_program(int (*body)(int, char**), int argc, char** argv) {
  keep_freed_memory();
  int status = 1;
  try {
    status = body(argc, argv);
  } catch (const std::bad_alloc&) {
    report_memory_failure();
  }
  return finish_stdout(status);
}
