// How the join tool reads one input: a single-face font file, already loaded, becomes a new
// face of the collection, each of its tables shared with an identical one in the pool.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "ttc/ttc_model.h"

// Adds the single-face font `file` (called `path` in messages) to `info` as a new face.
// Returns 0, or -1 after the problem has been reported on standard error; the collection
// may then hold part of the face and is not to be written.
int add_font_file(ttc_info& info, const std::string& path, std::span<const uint8_t> file);
