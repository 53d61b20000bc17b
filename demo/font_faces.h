// The faces of a font file for the demo's report: a single-face font or each face of a
// collection, as its directory's tags and the bytes of each table.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sfnt/byte_fields.h"

struct face_table {
  sfnt_tag tag{};
  std::vector<uint8_t> bytes;  // a copy, so the face outlives the loaded file
};

struct font_face {
  std::vector<face_table> tables;  // in directory order
};

struct font_file {
  bool collection = false;
  size_t stored_tables = 0;  // distinct tables the file holds (a collection shares some)
  std::vector<font_face> faces;
};

// Reads `path`; nothing, after a message on standard error, when it is neither a readable
// single-face font nor a readable collection.
std::optional<font_file> read_font_file(const std::string& path);

// The bytes of the first table tagged `tag`, or nothing.
std::optional<std::span<const uint8_t>> face_table_bytes(const font_face& face,
                                                         std::string_view tag);
