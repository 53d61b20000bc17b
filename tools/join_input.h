// How the join tool reads one input: a single-face font becomes a new face of the
// collection, each of its tables shared with an identical one in the pool. The input is
// read piece by piece: a table that may be shared is compared with the pool's copy as it
// is read, and a new table is read straight into the buffer the pool keeps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fontio/font_source.h"
#include "ttc/ttc_model.h"

// Adds the single-face font in `source` (called `path` in messages) to `info` as a new face.
// `scratch` is reading room the caller keeps from one input to the next. Returns 0, or -1
// after the problem has been reported on standard error; the collection may then hold part
// of the face and is not to be written.
int add_font_file(ttc_info& info, const std::string& path, const font_source& source,
                  std::vector<uint8_t>& scratch);
