// make_sample OUTDIR: writes the sample collection of two old-style Japanese faces
// (sample.ttc) and each face on its own (sample-gothic.ttf, sample-mincho.ttf).
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "fontgen/sample_font.h"
#include "sys/output_file.h"

namespace {

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  opened_output opened = open_output(path);
  if (!opened.file) {
    std::fprintf(stderr, "make_sample: cannot create %s: %s\n", path.c_str(),
                 std::strerror(opened.problem.error));
    return false;
  }
  output_file* out = &*opened.file;
  if (!write_output_bytes(out->stream, bytes)) {
    discard_output(*out);
    std::fprintf(stderr, "make_sample: cannot write %s\n", path.c_str());
    return false;
  }
  if (commit_output(*out)) {
    std::fprintf(stderr, "make_sample: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample OUTDIR\n");
    return 1;
  }
  const std::string dir = argv[1];
  const bool ok = write_file(dir + "/sample.ttc", legacy_sample_collection()) &&
                  write_file(dir + "/sample-gothic.ttf",
                             sample_font(legacy_japanese_options(legacy_face::gothic))) &&
                  write_file(dir + "/sample-mincho.ttf",
                             sample_font(legacy_japanese_options(legacy_face::mincho)));
  return ok ? 0 : 1;
}
