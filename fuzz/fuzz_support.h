// Pieces shared by the fuzz targets: a stream that keeps what a writer puts into it, so a
// target can read its output back, and the check that turns a broken invariant into a
// finding (the run aborts, and the fuzzer keeps the input that did it).
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// What was written to a capture stream: the first `cap` bytes, and how many came in all.
struct capture {
  size_t cap = 0;
  std::vector<uint8_t> bytes;
  uint64_t written = 0;
};

// A write-only stream that appends to `sink` until it is closed; null when the C library
// cannot make one. Writes past the cap are counted, not kept, so that an input that lays
// out to gigabytes costs no memory.
std::FILE* open_capture(capture& sink);

// Closes the stream and tells whether every byte written is in `sink.bytes`.
bool close_capture(std::FILE* stream, const capture& sink);

// Aborts with `invariant` on standard error unless `holds`.
void fuzz_require(bool holds, const char* invariant);

// Every target sends standard output, where the programs report their work, to /dev/null.
void silence_stdout();
