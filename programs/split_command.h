// What a facesplit command line asks for: the collection, the folder, the faces, how the
// files are named, or a listing instead of files.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "programs/face_list.h"

struct split_request {
  std::string collection;
  std::optional<std::filesystem::path> directory;  // nothing: the current folder
  std::optional<std::vector<face_range>> faces;    // nothing: every face
  bool by_postscript_name = false;
  bool list = false;
  bool json = false;     // the listing as JSON
  bool compact = false;  // glyph tables that hold other faces' glyphs are rewritten tightly
};

// A request, or the status to end with at once: 0 after --help or --version, 1 after a
// usage error has been reported.
struct split_command {
  std::optional<split_request> request;
  int status = 0;
};

split_command read_split_command(int argc, char** argv);

// Which of the `count` faces to take; nothing, after a message, when the list names a face
// past the last.
std::optional<std::vector<bool>> select_faces(const std::optional<std::vector<face_range>>& list,
                                              size_t count);
