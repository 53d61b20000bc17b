// The one opener of a font file: it decides whether the file is a collection or a single
// font, and reads and checks a single font's offset table and directory, once. A single
// font is then a collection of one face for whoever reads it further; nobody else looks at
// a file's first bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "sfnt/font_problem.h"
#include "sfnt/sfnt_directory.h"
#include "sfnt/table_bytes.h"

enum class font_kind { single, collection };

struct font_file {
  font_kind kind = font_kind::single;
  sfnt_directory directory;  // a single font's, checked (see read_sfnt_directory); else empty
};

// What `file` holds. A collection is only recognised here (ttc/ reads it); a single font
// has its sfnt version and directory checked. Nothing when it is neither, with `problem`
// saying why.
std::optional<font_file> open_font_file(const table_bytes& file, font_problem& problem);

// Whether bytes that begin a file begin a collection: the tag "ttcf". For a caller that
// only peeks at a file it does not open as a font.
bool starts_collection(std::span<const uint8_t> first_bytes);
