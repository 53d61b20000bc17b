// The programs' words for a collection file that could not be read.
#pragma once

#include "ttc/ttc_problem.h"

// Prints why the collection could not be read on standard error; nothing for a failed read,
// which was reported where it failed.
void print_ttc_problem(const ttc_problem& problem);
