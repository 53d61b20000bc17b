// How each program's main runs and ends: a lack of memory anywhere ends the run with a
// message instead of an abort, and standard output is flushed and checked last, so that a
// report that never reached its reader (a full disk, a closed pipe) does not end with
// status 0.
#pragma once

// Prints "Memory allocation failed." on standard error.
void report_memory_failure();

// Runs `body` (the program's own main) and ends the run. A lack of memory that reaches
// it is reported and gives status 1: where an output is being written, the writer has
// already caught it, discarded the output and answered 2.
int run_program(int (*body)(int, char**), int argc, char** argv);
