// Loading an input file whole into memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum class load_status {
  loaded,      // `data` holds the whole file
  read_short,  // a read error or an early end of file; reported, `data` is empty
  failed,      // the file could not be opened, sized or held; reported, the run must end (1)
};

struct loaded_file {
  load_status status = load_status::failed;
  std::vector<uint8_t> data;
};

// The largest file the loaders take: sizes in the fonts' own 32-bit fields cannot address
// more, and the checks on them are made in signed 32-bit room.
inline constexpr int64_t kMaxFileSize = INT64_C(0x7FFFFFFF);

// Whether the open file `fd` is a folder, which may open for reading on some systems but has
// no bytes to give; sets errno to EISDIR when it is, so that it is reported as the open
// failure it is.
bool is_folder(int fd);

// Size of an open stream in bytes, or -1 (reported with perror). Leaves it at its start.
int64_t get_file_size(std::FILE* file);

// Reads `path` whole. Every failure is reported on standard error before returning; files of
// 2 GiB or more are refused, as sizes in the fonts' own fields cannot address them anyway.
loaded_file load_file(const std::string& path);

// The same into `data`, reusing the room it has: a program that reads its inputs one after
// another keeps one buffer, and memory once taken and backed is not taken again. `data`
// holds the file when `loaded` is returned and is empty otherwise.
load_status load_file_into(const std::string& path, std::vector<uint8_t>& data);
