// facemend's input face and its output file: the single-face font read from a loaded file,
// refused in facemend's words, and the repaired face written to its file.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "fontio/sfnt_face.h"

// The face held in `file`, each table a view into it (the file must outlive the face).
// Nothing when `file` is a collection, too short or broken, with the reason in `error` (a
// line for standard error).
std::optional<sfnt_face_info> parse_sfnt_face_info(std::span<const uint8_t> file,
                                                   std::string& error);

enum class sfnt_write_status {
  written,
  failed,  // reported on standard error; whatever file had the name keeps its bytes
};

// Writes the face, whose tables are held in memory, as a single-face file to `path`,
// atomically (see fontio/output_file.h).
sfnt_write_status write_sfnt_face(const std::string& path, const sfnt_face_info& face);
