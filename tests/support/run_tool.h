// Runs a built program the way a user would and captures what it shows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct tool_run {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs `program` with `args` in the folder `cwd`, with no standard input.
tool_run run_tool(const std::string& program, const std::vector<std::string>& args,
                  const std::filesystem::path& cwd);

// A fresh empty folder under the system's temporary folder; the caller removes it.
std::filesystem::path make_temp_dir();

std::vector<uint8_t> read_bytes(const std::filesystem::path& path);
void write_bytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// `size` bytes that repeat only every 1 MiB or so, varied by `seed`.
std::vector<uint8_t> patterned_bytes(size_t size, uint8_t seed = 0);

// Runs python3 in `dir` with `script` (its program text) on the file `document` holding
// `text`: for reading a program's JSON output with a parser of its own.
tool_run run_python(const std::filesystem::path& dir, const std::string& script,
                    const std::string& document, const std::string& text);

// Names of the entries of `dir`, sorted.
std::vector<std::string> list_dir(const std::filesystem::path& dir);
