// Output files that replace their name atomically. The bytes go to a new file in the same
// folder, unnamed while it is written where the system allows (see temp_file.h), which
// takes the final name (by a rename over a file it replaces) only once every write and the
// close have succeeded; on any failure it is removed, so a file that already had the name
// keeps its old bytes (in-place repair and `facepack all.ttc all.ttc x.ttf` are safe).
//
// The new file gets its final mode only when complete: the replaced file's, or 0666 less
// the umask. A replaced file's owner and group are kept where the process may set them,
// and the setuid, setgid and sticky bits are dropped when they could not be. Its extended
// attributes, the ACL among them, are kept too (see file_attributes.h); one that could not
// be is named on standard error ("NAME: could not keep its extended attribute ATTR:
// reason"), and the file is written all the same. The file is
// flushed to the disk before it replaces one, and the folder after the replacement.
//
// A symbolic link named as the output stays a link: the file it points to is replaced (or
// created, for a dangling link) in that file's own folder. A device, pipe or other special
// file is written to directly and never replaced, and so is a name of one of the program's
// own descriptors (/dev/stdout, /dev/fd/N): through that descriptor, at its position.
//
// Nothing here prints: a failure comes back as an io_problem, and the program says it in its
// own words (see cli/program_output.h, the one user of this protocol in the programs).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <new>
#include <optional>
#include <span>
#include <string>

#include "sys/io_problem.h"
#include "sys/output_target.h"
#include "sys/temp_file.h"

// Where an output's bytes go, and the first failure met writing them: a failed write
// (io_step::write), a lack of memory, or an input that changed under a checked copy. Once
// a failure is noted nothing more is written.
struct output_stream {
  std::FILE* file = nullptr;
  std::optional<io_problem> problem;
};

struct output_file {
  std::string name;  // the name given, for messages
  std::string path;  // the file written: the name given, with symbolic links followed
  target_kind kind = target_kind::new_file;
  output_stream stream;  // writes to the file, through a descriptor of its own
  temp_file temp;        // the new file (not for a special file)
  int special_fd = -1;   // a special file or descriptor itself, open for writing (not a new file)
  int folder = -1;       // the folder of `path` (O_PATH), where the new file takes its name
  mode_t mode = 0;       // the mode the new file gets once complete
  uid_t owner = 0;       // the replaced file's owner and group
  gid_t group = 0;
  io_sink notices = nullptr;  // where an attribute that could not be kept is handed on
};

// Opens the output `path`; otherwise the problem (io_step::create, a folder of that name
// counting as EISDIR, as a plain create would say).
struct opened_output {
  std::optional<output_file> file;
  io_problem problem;  // when `file` is empty
};
opened_output open_output(const std::string& path);

// The same with the choice of temporary file: tests take the named one that systems
// without unnamed files get.
opened_output open_output_with(const std::string& path, temp_kind kind);

// Notes `problem` as the stream's failure unless one is noted already; answers false, for
// the writer to return.
bool note_output_problem(output_stream& stream, io_problem problem);

// Runs `write` and answers what it answers; a lack of memory that it meets is noted on the
// stream as the output's failure, and answered as `failed`. The one way writers turn an
// allocation that failed into a failed write.
template <typename Result, typename Write>
Result write_noting_memory(output_stream& stream, Result failed, Write write) {
  try {
    return write();
  } catch (const std::bad_alloc&) {
    note_output_problem(stream, {io_step::memory, ""});
    return failed;
  }
}

// Writes `bytes` to the output; false after a failed write has been noted.
bool write_output_bytes(output_stream& stream, std::span<const uint8_t> bytes);

// Flushes the stream and returns its descriptor, at the stream's position, so that bytes
// can be put into the output around the stream (copy_file_range, for one); -1 when the
// flush failed, noted as the write it finishes.
int flush_output(output_stream& stream);

// Closes the output, flushes it to the disk when it replaces a file and gives it its name;
// the problem otherwise (close, sync, or create when the name could not be taken), the new
// file removed. A special file is only closed.
std::optional<io_problem> commit_output(output_file& out);

// Closes and removes the new file; the final name is left as it was.
void discard_output(output_file& out);

// Ends the output: commits it when there is no `failure` (every byte went out), else
// discards it and answers the failure.
std::optional<io_problem> finish_output(output_file& out, std::optional<io_problem> failure);

// Whether the problem is a lack of room for the output: the disk or the quota is full, or
// the file reached the size the process may write (ENOSPC, EDQUOT, EFBIG).
bool out_of_room(const io_problem& problem);
