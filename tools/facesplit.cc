// facesplit: splits a TrueType Collection into single-face font files named face_00.ttf,
// face_01.ttf, ... in the current folder, one per face in collection order.

#include <cstdio>
#include <optional>
#include <string>

#include "fontio/file_op.h"
#include "fontio/output_file.h"
#include "ttc/ttc_model.h"
#include "ttc/ttc_reader.h"
#include "ttc/ttc_writer.h"

namespace {

std::string face_file_name(size_t index) {
  char name[80];
  std::snprintf(name, sizeof name, "face_%02zu.ttf", index);
  return name;
}

// Writes every face to its own file. A face that cannot be written is reported and the
// others still written (status 2 at the end); a file that cannot be created stops the run.
int write_faces(ttc_info& info) {
  ttc_calculate_checksums(info);
  int status = 0;
  for (size_t i = 0; i < info.faces.size(); ++i) {
    const std::string name = face_file_name(i);
    std::optional<output_file> out = open_output(name);
    if (!out) {
      std::perror(name.c_str());
      return 2;
    }
    if (ttc_write_face_with_checksums(info, i, out->stream) < 0) {
      discard_output(*out);
      status = 2;
      continue;
    }
    const output_error error = commit_output(*out);
    if (error == output_error::create) {
      std::perror(name.c_str());
      return 2;
    }
    if (error == output_error::write) status = 2;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  const loaded_file file = load_file(argv[1]);
  if (file.status == load_status::failed) return 1;
  if (file.status == load_status::read_short) {
    std::fputs("Couldn't load font file...\n", stderr);
    return 1;
  }
  std::optional<ttc_info> info = ttc_parse_binary(file.data);
  if (!info) {
    std::fputs("parse failed...\n", stderr);
    return 1;
  }
  std::printf("%zu faces\n", info->faces.size());
  return write_faces(*info);
}
