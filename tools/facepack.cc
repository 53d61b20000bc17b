// facepack: joins single-face TrueType fonts into one collection file, one face per input
// in argument order, storing each distinct table once.

#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "fontio/font_source.h"
#include "fontio/output_file.h"
#include "tools/join_input.h"
#include "ttc/ttc_model.h"
#include "ttc/ttc_writer.h"

namespace {

// Files kept free for the standard streams, the output and the input being read.
constexpr rlim_t kSpareFiles = 16;

// How many inputs may stay open until the collection is written. Each one that does leaves
// its new tables in place; past this number an input's new tables are read into memory and
// the input is closed.
size_t inputs_kept_open() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  if (limit.rlim_cur == RLIM_INFINITY) return SIZE_MAX;
  return limit.rlim_cur > kSpareFiles ? static_cast<size_t>(limit.rlim_cur - kSpareFiles) : 0;
}

// Reads one font file into a new face of `info`, sharing tables already in the pool.
// Returns 0, or -1 after every problem has been reported.
int load_ttf(ttc_info& info, const std::string& path, size_t keep_open, join_buffers& buffers) {
  std::optional<font_source> source = open_font_source(path);
  if (!source) return -1;
  int32_t keep_in = -1;
  if (info.sources.size() < keep_open) keep_in = ttc_add_source(info, path, *source);
  const int status = add_font_file(info, path, *source, keep_in, buffers);
  if (keep_in < 0) close_font_source(*source);
  return status;
}

// Writes the collection to `path`, replacing it only when every write succeeded.
int write_collection(ttc_info& info, const std::string& path) {
  std::optional<output_file> out = open_output(path);
  if (!out) {
    std::perror("fopen");
    return 2;
  }
  if (ttc_write_to_file(info, out->stream) < 0) {
    discard_output(*out);
    std::fputs("write failed.\n", stderr);
    return 2;
  }
  switch (commit_output(*out)) {
    case output_error::none:
      return 0;
    case output_error::create:
      std::perror("fopen");
      return 2;
    case output_error::write:
      std::fputs("write failed.\n", stderr);
      return 2;
  }
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: facepack ttcfile ttffile [ttffile ...]\n", stderr);
    return 1;
  }
  ttc_info info = create_ttc_info(0x00010000);
  // Every input is read and checked before the output is opened, so a bad input leaves
  // any existing file of the output's name untouched. The inputs are never held whole: a
  // distinct table stays in its input, which stays open, and is copied when the collection
  // is written.
  const size_t keep_open = inputs_kept_open();
  join_buffers buffers;
  int status = 0;
  for (int i = 2; i < argc && status == 0; ++i) {
    if (load_ttf(info, argv[i], keep_open, buffers) != 0) status = 1;
  }
  if (status == 0) status = write_collection(info, argv[1]);
  ttc_close_sources(info);
  return status;
}
