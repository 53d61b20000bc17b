// Reading a font piece by piece instead of whole: a program that compares most of its input
// with bytes it already holds, or copies it straight into its own buffers, then never holds
// the whole file, and reads each piece into memory that is still in the cache.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

// Where a font's bytes come from: an open file, or bytes already in memory.
struct font_source {
  int fd = -1;                      // the open file, read with pread; -1 for bytes in memory
  std::span<const uint8_t> memory;  // the font's bytes when fd is -1 (not owned)
  uint64_t size = 0;                // of the file or of `memory`
};

// Opens `path` to be read piece by piece. Nothing after the problem has been reported as
// load_file reports it ("fopen: ...", "Couldn't get file size...", "File too large ...").
std::optional<font_source> open_font_source(const std::string& path);

// A source over bytes the caller keeps alive.
font_source memory_font_source(std::span<const uint8_t> bytes);

// Closes the file of a source opened by open_font_source.
void close_font_source(font_source& source);

// Reads the bytes [offset, offset + dest.size()) into `dest`: false after a read error or an
// early end of the file has been reported ("fread: ...", "End of file..."). An extent
// outside the source is refused unread.
bool read_source(const font_source& source, uint64_t offset, std::span<uint8_t> dest);
