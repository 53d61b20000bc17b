// How each program's main runs and ends: a lack of memory anywhere ends the run with a
// message instead of an abort, and standard output is flushed and checked last, so that a
// report that never reached its reader (a full disk, a closed pipe) does not end with
// status 0.
#pragma once

#include "cli/exit_status.h"

// Flushes standard output. When that or an earlier write to it failed, says so on
// standard error ("stdout: reason", or "stdout: write error" when an earlier flush failed
// and its reason is gone) and answers `failed`, unless `status` already says the run
// failed; otherwise answers `status`.
exit_status finish_stdout(exit_status status);

// Runs `body` (the program's own main) and ends the run with finish_stdout. A lack of
// memory that reaches it is said ("Memory allocation failed.") and gives `refused` (1):
// where an output is being written, the writer has already caught it, discarded the output
// and answered `failed`. Memory the run frees is kept for its own reuse rather than given
// back at once.
//
// Before the body, standard input, output and error that were closed are opened on
// /dev/null (status 2, with nowhere sure to say so, when no descriptor can take their
// place), and SIGXFSZ is ignored, so that a write past the file size limit fails with
// EFBIG like a write to a full disk.
int run_program(exit_status (*body)(int, char**), int argc, char** argv);
