// How a program writes an output file: open -> write -> check that the inputs did not
// change -> finish -> say what failed, in the program's own words. The one owner of "never
// lose, never leave a file": the bytes go to a new file that takes the output's name only
// when complete (sys/output_file.h), and an input that changed while it was written (its
// size or modification time, sys/input_file.h input_unchanged) fails the output, so that
// nothing is ever made of bytes from two versions of a file.
//
// Every failure is said on standard error: the failed call's own line, then "NAME: could
// not be written" (a failure to create the file is said in the program's create_words).
// The inputs are handed over as such, so that outputs that coincide with an input can be
// found by their device and inode before anything is written.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "cli/messages.h"
#include "sys/input_file.h"
#include "sys/io_problem.h"
#include "sys/output_file.h"

// How the program says that an output could not be created.
enum class create_words {
  fopen,      // "fopen: reason", then "NAME: could not be created"
  name_first  // "NAME: reason"
};

struct output_words {
  create_words create = create_words::fopen;
  // A line said after "NAME: could not be written", or nothing.
  const char* after_unwritten = nullptr;
};

// Writes the output's bytes at the stream's position; false when that failed, the reason
// noted on the stream or already handed on (a read of an input).
using output_writer = std::function<bool(output_stream&)>;

// Frees room that the program's own files take on the output's file system (bytes it set
// aside), so that an output that ran out of room may fit; false when there was none to free
// or it could not be freed (a problem met is said).
using room_maker = std::function<bool()>;

// Writes the output `path` with `write`. Nothing when it is in place; otherwise the
// failure, already said: io_step::create when the file could not be created, changed when
// an input changed meanwhile, else what failed the write. An output written through one of
// the program's descriptors that is open on an input is refused unwritten ("OUTPUT is the
// same file as INPUT; nothing written"), as the bytes would land on the input; a name of an
// input is replaced by a new file as any name is, which leaves the input as it was read. With a
// `make_room`, an output that runs out of room (out_of_room) is written once more, quietly the
// first time, after make_room has freed room; the lack of room is said only when no room could be
// freed or the second write fails too.
std::optional<io_problem> write_program_output(const std::string& path,
                                               std::span<const input_file* const> inputs,
                                               const output_writer& write,
                                               const output_words& words,
                                               const room_maker& make_room = {});

// Where the report of a run that writes `path` goes: standard error when `path` names the
// program's own standard output (descriptor 1, or a descriptor open on the same file), so
// that the output carries nothing but its bytes; standard output otherwise.
report_to report_for_output(const std::string& path);

// An output that would write over an input or over another output, and the name of that
// other file.
struct output_clash {
  std::string output;
  std::string other;
};

// The first of `outputs` that writes the same file as one of `inputs` or as an earlier
// output, found by device and inode (a link, a hard link or a second name of the file
// counts), before anything is written. A name that cannot be resolved is left to fail when
// it is written.
std::optional<output_clash> find_output_clash(std::span<const std::string> outputs,
                                              std::span<const input_file* const> inputs);
