#include "fuzz/fuzz_support.h"

#include <sys/types.h>

#include <algorithm>
#include <cstdlib>

namespace {

ssize_t capture_write(void* cookie, const char* data, size_t size) {
  capture& sink = *static_cast<capture*>(cookie);
  const size_t room = sink.cap - std::min(sink.cap, sink.bytes.size());
  sink.bytes.insert(sink.bytes.end(), data, data + std::min(room, size));
  sink.written += size;
  return static_cast<ssize_t>(size);
}

}  // namespace

std::FILE* open_capture(capture& sink) {
  cookie_io_functions_t io{};
  io.write = capture_write;
  return fopencookie(&sink, "w", io);
}

bool close_capture(std::FILE* stream, const capture& sink) {
  return std::fclose(stream) == 0 && sink.written == sink.bytes.size();
}

void fuzz_require(bool holds, const char* invariant) {
  if (holds) return;
  std::fprintf(stderr, "broken invariant: %s\n", invariant);
  std::abort();
}

void silence_stdout() {
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
}
