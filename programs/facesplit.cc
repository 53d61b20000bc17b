// facesplit: splits a TrueType Collection into single-face font files, one per face in
// collection order: face_00.ttf, face_01.ttf, ... in the current folder, unless options
// choose the folder, the faces or the names, or ask for a listing instead.

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "programs/face_names.h"
#include "programs/pool_usage.h"
#include "programs/split_command.h"
#include "sys/input_file.h"
#include "sys/output_file.h"
#include "sys/program_run.h"
#include "ttc/glyph_share.h"
#include "ttc/ttc_model.h"
#include "ttc/ttc_reader.h"
#include "ttc/ttc_writer.h"

namespace {

// One line per selected face: index, PostScript name ("-" without one), outlines, number
// of tables, then the tags of the tables it shares with another face.
void list_faces(const ttc_info& info, const std::vector<bool>& selected) {
  const std::vector<std::vector<size_t>> users = faces_using_entries(info);
  std::vector<uint8_t> room;
  for (size_t face = 0; face < info.faces.size(); ++face) {
    if (!selected[face]) continue;
    const std::optional<std::string> name = face_postscript_name(info, face, room);
    std::string shared;
    for (const int32_t index : info.faces[face]->table_indices) {
      if (users[static_cast<size_t>(index)].size() > 1)
        shared += " " + tag_word(info.tables[static_cast<size_t>(index)].tag);
    }
    std::printf("%zu %s %s %zu%s\n", face, name ? name->c_str() : "-",
                is_cff_face(*info.faces[face]) ? "CFF" : "TrueType",
                info.faces[face]->table_indices.size(), shared.c_str());
  }
}

// Creates the folder unless it exists; false after a message.
bool make_directory(const std::filesystem::path& directory) {
  if (::mkdir(directory.c_str(), 0777) == 0) return true;
  int error = errno;
  struct stat status {};
  if (error == EEXIST) {
    if (::stat(directory.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return true;
    error = ENOTDIR;
  }
  std::fprintf(stderr, "facesplit: %s: %s\n", directory.c_str(), std::strerror(error));
  return false;
}

// The path of every face's file.
std::vector<std::string> face_paths(const ttc_info& info, const split_request& request) {
  std::vector<std::string> names;
  if (request.by_postscript_name) {
    std::vector<face_naming> namings;
    std::vector<uint8_t> room;
    for (size_t face = 0; face < info.faces.size(); ++face)
      namings.push_back({face_postscript_name(info, face, room), is_cff_face(*info.faces[face])});
    names = postscript_file_names(namings);
  } else {
    for (size_t face = 0; face < info.faces.size(); ++face) names.push_back(index_file_name(face));
  }
  if (request.directory)
    for (std::string& name : names) name = (*request.directory / name).string();
  return names;
}

// Writes one face to `path`, copying its tables straight from the collection. 0; 2 when
// the face was not written and the others may be; -1 when the run must stop with status 2:
// the file could not be created, there is no room left for it (each later face would fail
// the same way), or the collection changed since its tables were summed, so that no face
// written from now on could be trusted.
int write_face(const ttc_info& info, size_t face, const input_file& collection,
               const std::string& path, bool compact) {
  std::optional<output_file> out = open_output(path);
  if (!out) {
    std::perror(path.c_str());
    return -1;
  }
  errno = 0;  // a failure that is not the system's leaves no reason in out->failure
  const bool written =
      (compact ? ttc_write_compact_face(info, face, out->stream, extent_copy::kernel)
               : ttc_write_face_to_file(info, face, out->stream, extent_copy::kernel)) >= 0;
  const bool unchanged = input_unchanged(collection);
  if (!unchanged) std::fprintf(stderr, "%s: changed since it was read\n", collection.name.c_str());
  const output_error error = finish_output(*out, written && unchanged);
  if (error == output_error::create) std::perror(path.c_str());
  if (error == output_error::create || !unchanged) return -1;
  if (error == output_error::write && out_of_room(out->failure)) {
    std::fprintf(stderr, "%s: no room left to write it; facesplit stopped\n", path.c_str());
    return -1;
  }
  return error == output_error::none ? 0 : 2;
}

// Writes every selected face to its own file. A face that cannot be written is reported and
// the others still written (status 2 at the end); a file that cannot be created, or a lack
// of room, stops the run.
int write_faces(const ttc_info& info, const input_file& collection,
                const std::vector<std::string>& paths, const std::vector<bool>& selected,
                bool compact) {
  int status = 0;
  for (size_t i = 0; i < info.faces.size(); ++i) {
    if (!selected[i]) continue;
    const int written = write_face(info, i, collection, paths[i], compact);
    if (written < 0) return 2;
    if (written != 0) status = 2;
  }
  return status;
}

int split(input_file& collection, const split_request& request) {
  std::optional<ttc_info> info = ttc_parse_binary(file_extent{&collection, 0, collection.size});
  if (!info) {
    std::fputs("parse failed...\n", stderr);
    return 1;
  }
  const std::optional<std::vector<bool>> selected = select_faces(request.faces, info->faces.size());
  if (!selected) return 1;
  if (request.list) {
    list_faces(*info, *selected);
    return 0;
  }
  if (request.directory && !make_directory(*request.directory)) return 1;
  std::printf("%zu faces\n", info->faces.size());
  std::fflush(stdout);
  return write_faces(*info, collection, face_paths(*info, request), *selected, request.compact);
}

}  // namespace

static int facesplit_main(int argc, char** argv) {
  if (argc < 2) return 1;
  const split_command command = read_split_command(argc, argv);
  if (!command.request) return command.status;
  std::optional<input_file> collection = open_input(command.request->collection);
  if (!collection) return 1;
  const int status = split(*collection, *command.request);
  close_input(*collection);
  return status;
}

int main(int argc, char** argv) {
  return run_program(facesplit_main, argc, argv);
}
