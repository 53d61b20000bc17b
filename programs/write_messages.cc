#include "programs/write_messages.h"

#include "cli/messages.h"

#include <cstdio>

void print_too_large_output() {
  say_problem("Output too large: its offsets would pass 4 GiB.\n");
}
