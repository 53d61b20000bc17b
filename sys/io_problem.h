// What went wrong with a file, as a value: the step that failed, the file's name as given
// and the system's error number. The libraries hand problems on at once, through the sink
// the program gave them, or return them; only the programs put them into words.
#pragma once

#include <string>

enum class io_step {
  open,         // the file could not be opened (error)
  not_regular,  // a pipe, device or socket: refused unopened (`kind` says which)
  size,         // the end of the file could not be found (error)
  too_large,    // the file has 2 GiB or more
  memory,       // the bytes could not be held in memory (`file` empty when not a file's)
  read,         // a read failed (error)
  early_end,    // the file ended before the bytes that were asked for
  changed,      // the file's bytes are no longer the ones read or summed
  create,       // an output could not be created under its name (error)
  write,        // a write to an output failed (error)
  close,        // closing an output failed (error)
  sync,         // flushing an output to the disk failed (error)
  attribute,    // a replaced file's extended attribute `detail` could not be kept (error);
                // the output is written all the same
  said,         // a failure already put into words where it happened (a read of an input,
                // handed on; a layout too large): nothing more to say of it
};

// What a special file is, for the refusal that names it.
enum class special_kind { other, pipe, character_device, block_device, socket };

struct io_problem {
  io_step step = io_step::open;
  std::string file;  // the name as given, or a description of a temporary file
  int error = 0;     // errno of the failed call; 0 when the failure was not the system's
  special_kind kind = special_kind::other;
  std::string detail{};  // the attribute's name (step attribute only)
};

// Where a library hands a problem the moment it meets it, so that its words come out in
// the order of events. A null sink drops problems (tests of other rules, fuzzing).
using io_sink = void (*)(const io_problem&);

inline void hand_on(io_sink sink, const io_problem& problem) {
  if (sink != nullptr) sink(problem);
}
