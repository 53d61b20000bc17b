// facepack: joins single-face TrueType fonts into one collection file, one face per input
// in argument order, storing each distinct table once.

#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "fontio/input_file.h"
#include "fontio/output_file.h"
#include "fontio/program_run.h"
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

// Reads one font file into a new face of `info`, sharing tables already in the pool. The
// file is kept in `inputs` when its new tables stay in it. Returns 0, or -1 after every
// problem has been reported.
int load_ttf(ttc_info& info, const std::string& path, size_t keep_open,
             std::deque<input_file>& inputs, std::vector<uint8_t>& room) {
  std::optional<input_file> opened = open_input(path);
  if (!opened) return -1;
  const bool hold = inputs.size() >= keep_open;
  input_file& file = inputs.emplace_back(std::move(*opened));
  const int status = add_font_file(info, path, file_extent{&file, 0, file.size}, hold, room);
  if (hold) {
    close_input(file);
    inputs.pop_back();
  }
  return status;
}

// Writes the collection to `path`, replacing it only when every write succeeded.
int write_collection(const ttc_info& info, const std::string& path) {
  std::optional<output_file> out = open_output(path);
  if (!out) {
    report_create_failure(path);
    return 2;
  }
  const output_error error =
      finish_output(*out, ttc_write_to_file(info, out->stream, extent_copy::checked) >= 0);
  if (error == output_error::create) report_create_failure(path);
  if (error == output_error::write) std::fputs("write failed.\n", stderr);
  return error == output_error::none ? 0 : 2;
}

}  // namespace

static int facepack_main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: facepack ttcfile ttffile [ttffile ...]\n", stderr);
    return 1;
  }
  ttc_info info;
  // Every input is read and checked before the output is opened, so a bad input leaves
  // any existing file of the output's name untouched. The inputs are never held whole: a
  // distinct table stays in its input, which stays open, and is copied when the collection
  // is written.
  const size_t keep_open = inputs_kept_open();
  std::deque<input_file> inputs;
  std::vector<uint8_t> room;
  int status = 0;
  for (int i = 2; i < argc && status == 0; ++i) {
    if (load_ttf(info, argv[i], keep_open, inputs, room) != 0) status = 1;
  }
  if (status == 0) status = write_collection(info, argv[1]);
  for (input_file& file : inputs) close_input(file);
  return status;
}

int main(int argc, char** argv) {
  return run_program(facepack_main, argc, argv);
}
