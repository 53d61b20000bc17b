// What a writer puts into an output stream, caught in memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sys/output_file.h"

// Runs `write` on a stream held in memory and gives back the bytes it wrote.
template <typename Write>
std::vector<uint8_t> written_bytes(Write&& write) {
  char* buffer = nullptr;
  size_t size = 0;
  output_stream stream{open_memstream(&buffer, &size), std::nullopt};
  write(stream);
  std::fclose(stream.file);
  std::vector<uint8_t> bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}
