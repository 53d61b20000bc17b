// The one way the programs read their input files: opened once, sized by seeking, then
// read whole or in extents with pread. Only regular files are read: a pipe, device or
// socket is refused at once ("NAME: not a regular file (a pipe)"), without waiting for a
// writer. Every failure is reported on standard error in the words the programs have
// always used ("fopen: ...", "Couldn't get file size...", "File too large...", "Memory
// allocation failed.", "fread: ...", "End of file..."), followed by a line that names the
// file ("NAME: could not be opened", "... sized", "... read in full", "... held in
// memory", "NAME: too large to be read"), before the caller hears of it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The largest file the programs take: sizes in the fonts' own 32-bit fields cannot address
// more, and the checks on them are made in signed 32-bit room.
inline constexpr int64_t kMaxFileSize = INT64_C(0x7FFFFFFF);

// What fstat said of a file when it was opened; a file that no longer matches has changed.
struct file_stamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modified_ns = 0;
  int64_t changed_ns = 0;
};

// An open input file. Its owner closes it with close_input.
struct input_file {
  std::string name;  // as given on the command line, for messages
  int fd = -1;
  uint64_t size = 0;
  file_stamp stamp;
};

// An extent of an input file; the file must stay open while the bytes are used.
struct file_extent {
  const input_file* file = nullptr;
  uint64_t offset = 0;
  uint64_t length = 0;
};

// Opens `path` for reading. Nothing after the problem has been reported.
std::optional<input_file> open_input(const std::string& path);

void close_input(input_file& file);

// Reads the bytes [offset, offset + dest.size()): false after a read error or an early end
// of the file has been reported, naming the file. An extent outside the file is an early
// end, unread.
bool read_input(const input_file& file, uint64_t offset, std::span<uint8_t> dest);

// Whether the file still is what it was when opened: same file, size and times.
bool input_unchanged(const input_file& file);

enum class load_status {
  loaded,      // the whole file is held
  read_short,  // a read error or an early end of file; reported
  failed,      // the file could not be opened, sized or held; reported, the run must end (1)
};

struct loaded_file {
  load_status status = load_status::failed;
  std::vector<uint8_t> data;  // the whole file when loaded, else empty
};

// Reads the whole of an open file into `data` (empty unless loaded).
load_status load_input(const input_file& file, std::vector<uint8_t>& data);

// Reads `path` whole.
loaded_file load_file(const std::string& path);
