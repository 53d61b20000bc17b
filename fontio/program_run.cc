#include "fontio/program_run.h"

#include <cstdio>
#include <new>

void report_memory_failure() {
  std::fputs("Memory allocation failed.\n", stderr);
}

int run_program(int (*body)(int, char**), int argc, char** argv) {
  try {
    return body(argc, argv);
  } catch (const std::bad_alloc&) {
    report_memory_failure();
    return 1;
  }
}
