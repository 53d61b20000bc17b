#include "programs/write_messages.h"

#include <cstdio>

void print_too_large_output() {
  std::fputs("Output too large: its offsets would pass 4 GiB.\n", stderr);
}
