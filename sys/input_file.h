// The one way the programs read their input files: opened once, sized by seeking, then
// read whole or in extents with pread. Only regular files are read: a pipe, device or
// socket is refused at once, without waiting for a writer. Every failure is handed, as an
// io_problem naming the file, to the sink the file was opened with, before the caller hears
// of it; nothing here prints.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sys/io_problem.h"

// The largest file the programs take: sizes in the fonts' own 32-bit fields cannot address
// more, and the checks on them are made in signed 32-bit room.
inline constexpr int64_t kMaxFileSize = INT64_C(0x7FFFFFFF);

// What fstat said of a file when it was opened: which file it is, and its content stamp
// (size and modification time). A file whose content stamp no longer matches has changed;
// its link count and change time do not count, as a rename or a new link changes them.
struct file_stamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modified_ns = 0;
};

// An open input file. Its owner closes it with close_input.
struct input_file {
  std::string name;  // as given on the command line, for messages
  int fd = -1;
  uint64_t size = 0;
  file_stamp stamp;
  io_sink sink = nullptr;  // where the problems met reading it are handed on
};

// An extent of an input file; the file must stay open while the bytes are used.
struct file_extent {
  const input_file* file = nullptr;
  uint64_t offset = 0;
  uint64_t length = 0;
};

// Opens `path` for reading; its problems, then and later, go to `sink`. Nothing after the
// problem has been handed on.
std::optional<input_file> open_input(const std::string& path, io_sink sink);

void close_input(input_file& file);

// Reads the bytes [offset, offset + dest.size()): false after a read error or an early end
// of the file has been handed on. An extent outside the file is an early
// end, unread.
bool read_input(const input_file& file, uint64_t offset, std::span<uint8_t> dest);

// Whether the file's content stamp is still the one it had when opened. The one test of
// "changed since it was read": program_output asks it of every input after a write.
bool input_unchanged(const input_file& file);

enum class load_status {
  loaded,      // the whole file is held
  read_short,  // a read error or an early end of file; handed on
  failed,      // the file could not be opened, sized or held; handed on, the run must end (1)
};

struct loaded_file {
  load_status status = load_status::failed;
  std::vector<uint8_t> data;  // the whole file when loaded, else empty
};

// Reads the whole of an open file into `data` (empty unless loaded).
load_status load_input(const input_file& file, std::vector<uint8_t>& data);

// Reads `path` whole, its problems handed to `sink`.
loaded_file load_file(const std::string& path, io_sink sink);
