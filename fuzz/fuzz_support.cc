#include "fuzz/fuzz_support.h"

#include <sys/types.h>

#include "sys/platform_config.h"

#include <algorithm>
#include <cstdlib>

namespace {

[[maybe_unused]] ssize_t capture_write(void* cookie, const char* data, size_t size) {
  capture& sink = *static_cast<capture*>(cookie);
  const size_t room = sink.cap - std::min(sink.cap, sink.bytes.size());
  sink.bytes.insert(sink.bytes.end(), data, data + std::min(room, size));
  sink.written += size;
  return static_cast<ssize_t>(size);
}

#if FACETOOLS_HAVE_FUNOPEN && !FACETOOLS_HAVE_FOPENCOOKIE
int capture_write_bsd(void* cookie, const char* data, int size) {
  return static_cast<int>(capture_write(cookie, data, static_cast<size_t>(size)));
}
#endif

}  // namespace

// glibc and musl make such a stream with fopencookie, the BSDs and macOS with funopen.
std::FILE* open_capture(capture& sink) {
#if FACETOOLS_HAVE_FOPENCOOKIE
  cookie_io_functions_t io{};
  io.write = capture_write;
  return fopencookie(&sink, "w", io);
#elif FACETOOLS_HAVE_FUNOPEN
  return funopen(&sink, nullptr, capture_write_bsd, nullptr, nullptr);
#else
  (void)sink;
  return nullptr;
#endif
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
