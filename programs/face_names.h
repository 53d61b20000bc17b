// The file names facesplit gives the faces: by position (face_00.ttf, ...), or after each
// face's PostScript name in characters that are safe in any file name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ttc/ttc_model.h"

// The longest face file name, in bytes: what file systems take. The file is written first
// without a name, or under a short random one (see sys/output_file.h).
inline constexpr size_t max_file_name = 255;

// "face_00.ttf", "face_01.ttf", ...: the names of a plain split.
std::string index_file_name(size_t face);

// Whether the face has CFF outlines (sfnt version "OTTO").
bool is_cff_face(const ttc_face& face);

// The face's PostScript name (name ID 6), from the Windows Unicode English record
// (3, 1, 0x409) in UTF-16BE, else from the Macintosh Roman English one (1, 0, 0). Each
// character outside A-Z a-z 0-9 . _ - becomes '_', and so does a leading '.'. Nothing when
// the face has no name table or no such record, when the record lies outside the table,
// or when the name holds no letter or digit. A failed read has been reported.
std::optional<std::string> face_postscript_name(const ttc_info& info, size_t face,
                                                std::vector<uint8_t>& room);

struct face_naming {
  std::optional<std::string> postscript;  // as face_postscript_name gives it
  bool cff = false;
};

// A file name for every face: its PostScript name with ".otf" for CFF outlines and ".ttf"
// otherwise, or index_file_name without one. A name that an earlier face already took, in
// any case of its letters, gets "-1", "-2", ... before the extension; a name is cut to
// max_file_name bytes, its suffix and extension kept.
std::vector<std::string> postscript_file_names(std::span<const face_naming> faces);
