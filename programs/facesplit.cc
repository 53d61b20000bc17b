// facesplit: splits a TrueType Collection into single-face font files, one per face in
// collection order: face_00.ttf, face_01.ttf, ... in the current folder, unless options
// choose the folder, the faces or the names, or ask for a listing instead.

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli/messages.h"
#include "cli/program_output.h"
#include "cli/program_run.h"
#include "programs/collection_messages.h"
#include "programs/face_names.h"
#include "programs/split_command.h"
#include "programs/split_listing.h"
#include "programs/write_messages.h"
#include "sys/input_file.h"
#include "ttc/glyph_share.h"
#include "ttc/ttc_model.h"
#include "ttc/ttc_reader.h"
#include "ttc/ttc_writer.h"

namespace {

// The report (the number of faces) goes to standard output.
constexpr report_to kReport = report_to::standard_output;

// Creates the folder unless it exists; false after a message.
bool make_directory(const std::filesystem::path& directory) {
  if (::mkdir(directory.c_str(), 0777) == 0) return true;
  int error = errno;
  struct stat status {};
  if (error == EEXIST) {
    if (::stat(directory.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return true;
    error = ENOTDIR;
  }
  say_problem("facesplit: " + directory.string() + ": " + std::strerror(error) + "\n");
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

// Whether a selected face's file is the collection itself, or the file of an earlier face
// (by a link, a hard link, or a name the file system takes as another): writing it would
// lose the collection or that face. Said when so.
bool files_coincide(const std::vector<std::string>& paths, const std::vector<bool>& selected,
                    const input_file& collection) {
  std::vector<std::string> written;
  for (size_t i = 0; i < paths.size(); ++i)
    if (selected[i]) written.push_back(paths[i]);
  const input_file* inputs[] = {&collection};
  const std::optional<output_clash> clash = find_output_clash(written, inputs);
  if (!clash) return false;
  say_problem("facesplit: " + clash->output + " is the same file as " + clash->other +
              "; nothing written\n");
  return true;
}

// What became of one face's file.
enum class face_written {
  written,
  failed,  // not written; the others may be
  // Not written, and the run stops: the file could not be created, there is no room left
  // for it (each later face would fail the same way), or the collection changed since its
  // tables were summed, so that no face written from now on could be trusted.
  stop,
};

// Writes one face to `path`, copying its tables straight from the collection, its glyph
// tables compacted when `compact`.
face_written write_face(const ttc_info& info, size_t face, const input_file& collection,
                        const std::string& path, bool compact) {
  const input_file* inputs[] = {&collection};
  const std::optional<io_problem> failure = write_program_output(
      path, inputs,
      [&](output_stream& stream) {
        bool too_large = false;
        const bool written =
            (compact ? ttc_write_compact_face(info, face, stream, extent_copy::kernel, &too_large)
                     : ttc_write_face_to_file(info, face, stream, extent_copy::kernel,
                                              &too_large)) >= 0;
        if (too_large) print_too_large_output();
        return written;
      },
      {create_words::name_first, nullptr});
  if (!failure) return face_written::written;
  if (failure->step == io_step::create || failure->step == io_step::changed)
    return face_written::stop;
  if (out_of_room(*failure)) {
    say_problem(path + ": no room left to write it; facesplit stopped\n");
    return face_written::stop;
  }
  return face_written::failed;
}

// Writes every selected face to its own file. A face that cannot be written is reported and
// the others still written (failed at the end); a file that cannot be created, or a lack
// of room, stops the run.
exit_status write_faces(const ttc_info& info, const input_file& collection,
                        const std::vector<std::string>& paths, const std::vector<bool>& selected,
                        bool compact) {
  exit_status status = exit_status::success;
  for (size_t i = 0; i < info.faces.size(); ++i) {
    if (!selected[i]) continue;
    const face_written written = write_face(info, i, collection, paths[i], compact);
    if (written == face_written::stop) return exit_status::failed;
    if (written == face_written::failed) status = exit_status::failed;
  }
  return status;
}

exit_status split(input_file& collection, const split_request& request) {
  ttc_problem problem;
  std::optional<ttc_info> info =
      ttc_parse_binary(file_extent{&collection, 0, collection.size}, problem);
  if (!info) {
    print_ttc_problem(problem);
    say_problem("parse failed...\n");
    return exit_status::refused;
  }
  const std::optional<std::vector<bool>> selected = select_faces(request.faces, info->faces.size());
  if (!selected) return exit_status::refused;
  if (request.list) {
    list_faces(collection.name, *info, *selected, request.json);
    return exit_status::success;
  }
  if (request.directory && !make_directory(*request.directory)) return exit_status::refused;
  const std::vector<std::string> paths = face_paths(*info, request);
  if (files_coincide(paths, *selected, collection)) return exit_status::refused;
  say(kReport, std::to_string(info->faces.size()) + " faces\n");
  std::fflush(report_stream(kReport));
  return write_faces(*info, collection, paths, *selected, request.compact);
}

}  // namespace

static exit_status facesplit_main(int argc, char** argv) {
  if (argc < 2) return exit_status::refused;
  const split_command command = read_split_command(argc, argv);
  if (!command.request) return static_cast<exit_status>(command.status);
  std::optional<input_file> collection = open_input(command.request->collection, print_io_problem);
  if (!collection) return exit_status::refused;
  const exit_status status = split(*collection, *command.request);
  close_input(*collection);
  return status;
}

int main(int argc, char** argv) {
  return run_program(facesplit_main, argc, argv);
}
