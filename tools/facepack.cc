// facepack: joins single-face TrueType fonts into one collection file, one face per input
// in argument order, storing each distinct table once.

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "fontio/byte_buffer.h"
#include "fontio/file_op.h"
#include "fontio/output_file.h"
#include "tools/join_input.h"
#include "ttc/ttc_model.h"
#include "ttc/ttc_writer.h"

namespace {

// Inputs of 2 GiB or more are refused when read; no room is set aside for them.
constexpr uint64_t kLargestInput = 0x7FFFFFFF;

// Reads one font file into `buffer`, then into a new face of `info`, sharing tables already
// in the pool. Returns 0, or -1 after every problem has been reported.
int load_ttf(ttc_info& info, const std::string& path, std::vector<uint8_t>& buffer) {
  const load_status status = load_file_into(path, buffer);
  if (status == load_status::failed) return -1;
  if (status == load_status::read_short) {
    std::fprintf(stderr, "%s: could not be read in full\n", path.c_str());
    return -1;
  }
  return add_font_file(info, path, buffer);
}

// The size of the largest input that is a regular file small enough to load, found without
// opening any; a file that cannot be examined counts as empty, and is reported when read.
size_t largest_input_size(int count, char** paths) {
  uint64_t largest = 0;
  for (int i = 0; i < count; ++i) {
    struct stat st {};
    if (::stat(paths[i], &st) != 0 || !S_ISREG(st.st_mode)) continue;
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    if (size <= kLargestInput) largest = std::max(largest, size);
  }
  return static_cast<size_t>(largest);
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
  // any existing file of the output's name untouched. The inputs are read one after another
  // into one buffer, sized for the largest at once: growing it would leave the smaller one
  // behind as a hole in the heap. The pool keeps its own copies of the tables.
  std::vector<uint8_t> input;
  try {
    reserve_bytes(input, largest_input_size(argc - 2, argv + 2));
  } catch (const std::bad_alloc&) {
    // Left to the reading of that input, which reports it.
  }
  for (int i = 2; i < argc; ++i) {
    if (load_ttf(info, argv[i], input) != 0) return 1;
  }
  return write_collection(info, argv[1]);
}
