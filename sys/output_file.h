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
// file is written to directly and never replaced.
//
// An output that could not be written is named on standard error after the failure's own
// messages ("NAME: could not be written"); one that could not be created is named by its
// caller (report_create_failure), which knows the words it has always used.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>

#include "sys/output_target.h"
#include "sys/temp_file.h"

struct output_file {
  std::string name;  // the name given, for messages
  std::string path;  // the file written: the name given, with symbolic links followed
  target_kind kind = target_kind::new_file;
  std::FILE* stream = nullptr;  // writes to `temp.fd`'s file, through a descriptor of its own
  temp_file temp;   // the new file; for a special file, the file itself opened for writing
  int folder = -1;  // the folder of `path` (O_PATH), where the new file takes its name
  mode_t mode = 0;  // the mode the new file gets once complete
  uid_t owner = 0;  // the replaced file's owner and group
  gid_t group = 0;
  // Why the output was not written, once commit_output or finish_output has answered
  // `write`: the errno of the failed write, close or flush; 0 when the failure was not the
  // system's (see finish_output).
  int failure = 0;
};

enum class output_error {
  none,
  create,  // the file could not be created under its name; errno says why, nothing printed
  write,   // a write, the close or the flush to disk failed; already reported with perror
};

// Opens the output `path`. Nothing when it cannot be created (errno set; a folder of that
// name counts as EISDIR, as a plain create would say).
std::optional<output_file> open_output(const std::string& path);

// Reports that the output `name` could not be created, from errno: "fopen: reason", then
// "NAME: could not be created".
void report_create_failure(const std::string& name);

// The same with the choice of temporary file: tests take the named one that systems
// without unnamed files get.
std::optional<output_file> open_output_with(const std::string& path, temp_kind kind);

// perror that leaves errno as the failure left it: glibc's perror may change it (it
// duplicates standard error to print), and a caller of a failed write reads the reason
// from errno (see finish_output). Every write failure is reported through it.
void kept_errno_perror(const char* what);

// Writes `bytes` to the output; a short write is reported with perror("fwrite").
bool write_output_bytes(std::FILE* stream, std::span<const uint8_t> bytes);

// Flushes the stream and returns its descriptor, at the stream's position, so that bytes
// can be put into the output around the stream (copy_file_range, for one); -1 when the
// flush failed, reported with perror("fwrite") as the write it finishes.
int flush_output(std::FILE* stream);

// Closes the output (a failure reported with perror("fclose")), flushes it to the disk
// when it replaces a file (a failure reported with perror("fsync")) and gives it its name.
// On any failure the new file is removed; after a failed close or flush the output is
// named ("NAME: could not be written"). A special file is only closed.
output_error commit_output(output_file& out);

// Closes and removes the new file; the final name is left as it was.
void discard_output(output_file& out);

// Ends the output: commits it when `written` (every byte went out), else discards it,
// names it ("NAME: could not be written") and answers `write`, the caller having reported
// the failed write. errno at the call is kept as the failure's reason (`out.failure`): a
// caller that needs the reason clears errno before writing, so that a failure that was not
// the system's (a changed input, a layout too large) leaves 0.
output_error finish_output(output_file& out, bool written);

// Whether a write failed for lack of room: the disk or the quota is full, or the file
// reached the size the process may write (ENOSPC, EDQUOT, EFBIG).
bool out_of_room(int error);
