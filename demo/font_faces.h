// The faces of a font file for the demo's report, read as the programs read them: the one
// opener decides what the file is; a collection is read by ttc/, a single font is a
// collection of one face.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sfnt/sfnt_face.h"

struct font_faces {
  std::shared_ptr<const std::vector<uint8_t>> bytes;  // the loaded file, which the faces view
  bool collection = false;
  size_t stored_tables = 0;  // distinct tables the file holds (a collection shares some)
  std::vector<sfnt_face_info> faces;
};

// Reads `path`; nothing, after a message on standard error, when it is neither a readable
// single-face font nor a readable collection.
std::optional<font_faces> read_font_faces(const std::string& path);

// The bytes of the first table tagged `tag`, or nothing.
std::optional<std::span<const uint8_t>> face_table_bytes(const sfnt_face_info& face,
                                                         std::string_view tag);
