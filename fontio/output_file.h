// Output files that replace their name atomically. The bytes go to a temporary file in the
// same folder, which is renamed over the final name only once every write and the close
// have succeeded; on any failure the temporary file is removed, so a file that already had
// the name keeps its old bytes (in-place repair and `facepack all.ttc all.ttc x.ttf` are safe).
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>

struct output_file {
  std::string path;       // the name the finished file gets
  std::string temp_path;  // where it is written until then
  std::FILE* stream = nullptr;
};

enum class output_error {
  none,
  create,  // the file could not be created under its name; errno says why, nothing printed
  write,   // a write or the close failed; already reported with perror
};

// Creates the temporary file beside `path`. Nothing when the output cannot be created (errno
// set; a folder of that name counts as EISDIR, as a plain create would say).
std::optional<output_file> open_output(const std::string& path);

// Writes `bytes` to the output; a short write is reported with perror("fwrite").
bool write_output_bytes(std::FILE* stream, std::span<const uint8_t> bytes);

// Closes the output (a failure reported with perror("fclose")) and renames it over its
// name. On any failure the temporary file is removed.
output_error commit_output(output_file& out);

// Closes and removes the temporary file; the final name is left as it was.
void discard_output(output_file& out);

// Ends the output: commits it when `written` (every byte went out), else discards it and
// answers `write`, the caller having reported the failed write.
output_error finish_output(output_file& out, bool written);
