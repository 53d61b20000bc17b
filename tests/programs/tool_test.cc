#include "tool_test.h"

#include <csignal>

namespace {

uint32_t u32(const std::vector<uint8_t>& file, uint64_t at) {
  return (uint32_t{file.at(at)} << 24) | (uint32_t{file.at(at + 1)} << 16) |
         (uint32_t{file.at(at + 2)} << 8) | file.at(at + 3);
}

uint16_t u16(const std::vector<uint8_t>& file, uint64_t at) {
  return static_cast<uint16_t>((file.at(at) << 8) | file.at(at + 1));
}

face_view face_at(const std::vector<uint8_t>& file, uint64_t at) {
  face_view face;
  face.version = u32(file, at);
  const uint16_t num_tables = u16(file, at + 4);
  face.search_range = u16(file, at + 6);
  face.entry_selector = u16(file, at + 8);
  face.range_shift = u16(file, at + 10);
  for (uint64_t r = at + 12; r < at + 12 + 16 * uint64_t{num_tables}; r += 16) {
    const uint64_t offset = u32(file, r + 8), length = u32(file, r + 12);
    if (offset + length > file.size()) throw std::out_of_range("table past the end");
    face.tables.push_back(
        {std::string(file.begin() + r, file.begin() + r + 4),
         std::vector<uint8_t>(file.begin() + offset, file.begin() + offset + length)});
    face.checksums.push_back(u32(file, r + 4));
    face.offsets.push_back(static_cast<uint32_t>(offset));
  }
  return face;
}

}  // namespace

std::vector<face_view> faces_of(const std::vector<uint8_t>& file) {
  if (file.size() < 4 || std::string(file.begin(), file.begin() + 4) != "ttcf") {
    return {face_at(file, 0)};
  }
  std::vector<face_view> faces;
  const uint32_t count = u32(file, 8);
  for (uint32_t i = 0; i < count; ++i) faces.push_back(face_at(file, u32(file, 12 + 4 * i)));
  return faces;
}

file_size_limit::file_size_limit(rlim_t bytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  ::getrlimit(RLIMIT_FSIZE, &old);
  const rlimit limit{bytes, old.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

file_size_limit::~file_size_limit() {
  ::setrlimit(RLIMIT_FSIZE, &old);
}

open_file_limit::open_file_limit(rlim_t files) {
  ::getrlimit(RLIMIT_NOFILE, &old);
  const rlimit limit{files, old.rlim_max};
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

open_file_limit::~open_file_limit() {
  ::setrlimit(RLIMIT_NOFILE, &old);
}
