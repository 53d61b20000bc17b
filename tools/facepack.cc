// facepack: joins single-face TrueType fonts into one collection file, one face per input
// in argument order, storing each distinct table once.

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

// Reads one font file into a new face of `info`, sharing tables already in the pool.
// Returns 0, or -1 after every problem has been reported.
int load_ttf(ttc_info& info, const std::string& path, std::vector<uint8_t>& scratch) {
  std::optional<font_source> source = open_font_source(path);
  if (!source) return -1;
  const int status = add_font_file(info, path, *source, scratch);
  close_font_source(*source);
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
  // any existing file of the output's name untouched. The pool keeps the tables; the inputs
  // themselves are never held whole.
  std::vector<uint8_t> scratch;
  for (int i = 2; i < argc; ++i) {
    if (load_ttf(info, argv[i], scratch) != 0) return 1;
  }
  return write_collection(info, argv[1]);
}
