// facesplit: splits a TrueType Collection into single-face font files named face_00.ttf,
// face_01.ttf, ... in the current folder, one per face in collection order.

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>

#include "fontio/input_file.h"
#include "fontio/output_file.h"
#include "fontio/program_run.h"
#include "ttc/ttc_model.h"
#include "ttc/ttc_reader.h"
#include "ttc/ttc_writer.h"

namespace {

std::string face_file_name(size_t index) {
  char name[80];
  std::snprintf(name, sizeof name, "face_%02zu.ttf", index);
  return name;
}

// Writes one face to its file, copying its tables straight from the collection. 0; 2 when
// the face was not written and the others may be; -1 when the run must stop with status 2:
// the file could not be created, there is no room left for it (each later face would fail
// the same way), or the collection changed since its tables were summed, so that no face
// written from now on could be trusted.
int write_face(const ttc_info& info, size_t face, const input_file& collection) {
  const std::string name = face_file_name(face);
  std::optional<output_file> out = open_output(name);
  if (!out) {
    std::perror(name.c_str());
    return -1;
  }
  errno = 0;  // a failure that is not the system's leaves no reason in out->failure
  const bool written = ttc_write_face_to_file(info, face, out->stream, extent_copy::kernel) >= 0;
  const bool unchanged = input_unchanged(collection);
  if (!unchanged) std::fprintf(stderr, "%s: changed since it was read\n", collection.name.c_str());
  const output_error error = finish_output(*out, written && unchanged);
  if (error == output_error::create) std::perror(name.c_str());
  if (error == output_error::create || !unchanged) return -1;
  if (error == output_error::write && out_of_room(out->failure)) {
    std::fprintf(stderr, "%s: no room left to write it; facesplit stopped\n", name.c_str());
    return -1;
  }
  return error == output_error::none ? 0 : 2;
}

// Writes every face to its own file. A face that cannot be written is reported and the
// others still written (status 2 at the end); a file that cannot be created, or a lack of
// room, stops the run.
int write_faces(const ttc_info& info, const input_file& collection) {
  int status = 0;
  for (size_t i = 0; i < info.faces.size(); ++i) {
    const int written = write_face(info, i, collection);
    if (written < 0) return 2;
    if (written != 0) status = 2;
  }
  return status;
}

int split(input_file& collection) {
  std::optional<ttc_info> info = ttc_parse_binary(file_extent{&collection, 0, collection.size});
  if (!info) {
    std::fputs("parse failed...\n", stderr);
    return 1;
  }
  std::printf("%zu faces\n", info->faces.size());
  std::fflush(stdout);
  return write_faces(*info, collection);
}

}  // namespace

static int facesplit_main(int argc, char** argv) {
  if (argc < 2) return 1;
  std::optional<input_file> collection = open_input(argv[1]);
  if (!collection) return 1;
  const int status = split(*collection);
  close_input(*collection);
  return status;
}

int main(int argc, char** argv) {
  return run_program(facesplit_main, argc, argv);
}
