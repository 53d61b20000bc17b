// How the join tool reads one input: a single-face font becomes a new face of the
// collection, each of its tables shared with an identical one in the pool. The input is
// read piece by piece: a table that may be shared is compared with the pool's entry as it
// is read, and a new table is either left in the input, for the collection to copy when it
// is written, or read straight into the buffer the pool keeps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fontio/font_source.h"
#include "ttc/ttc_model.h"

// Reading room the caller keeps from one input to the next: for pieces of the input, and
// for pieces of the placed pool entries they are compared with.
struct join_buffers {
  std::vector<uint8_t> input;
  std::vector<uint8_t> pool;
};

// Adds the single-face font in `source` (called `path` in messages) to `info` as a new face.
// Its new tables are placed in the source when `keep_in` is the source's index in
// info.sources, which must then stay open until the collection is written; with -1 they
// are read into buffers the pool keeps. Returns 0, or -1 after the problem has been
// reported on standard error; the collection may then hold part of the face and is not to
// be written.
int add_font_file(ttc_info& info, const std::string& path, const font_source& source,
                  int32_t keep_in, join_buffers& buffers);
