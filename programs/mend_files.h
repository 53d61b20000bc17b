// facemend over several files: --check reports each file's legacy signs and what a repair
// would change, --in-place repairs the files that show legacy signs; both go on after a
// failure and end with one summary line.
#pragma once

#include <functional>
#include <string>

#include "fixer/mend_events.h"
#include "programs/mend_command.h"

// Repairs the file in place, reporting to the sink; its exit status.
using repair_function = std::function<int(const std::string&, mend_sink&)>;

// Checks every file of the request; the exit status: the worst of a file that could not be
// read or repaired (1 or 2), else 3 when any file shows legacy signs, else 0.
int check_files(const mend_request& request);

// Repairs in place, with `repair`, every
// file of the request that shows legacy signs, or every file with --force; the exit status:
// the worst of a file that could not be read or repaired, else 0.
int mend_files_in_place(const mend_request& request, const repair_function& repair);
