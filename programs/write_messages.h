// The programs' words for an output that the collection writer refused to lay out.
#pragma once

// Prints, on standard error, that an output's offsets would pass 4 GiB.
void print_too_large_output();
