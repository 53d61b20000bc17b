// facemend's input face: the single-face font read from a loaded file, refused in
// facemend's words.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sfnt/sfnt_face.h"
#include "sys/input_file.h"

// facemend's input, open: a collection, read in place, or a single font whose offset table
// and directory have been checked, so that a large file that is not a font costs no more
// than its first bytes.
struct mend_input {
  input_file file;  // closed by the caller
  bool collection = false;
};

// Opens `path`, its problems going to `sink`, and checks its first bytes; nothing after the
// reason has been printed (the run ends with status 1).
std::optional<mend_input> open_mend_input(const std::string& path, io_sink sink);

// The whole of a checked single font; nothing after the reason has been printed (status 1).
std::optional<std::vector<uint8_t>> load_single_font(const input_file& file);

// The face held in `file`, each table a view into it (the file must outlive the face).
// Nothing when `file` is too short or broken, with the reason in `error` (a line for
// standard error).
std::optional<sfnt_face_info> parse_sfnt_face_info(std::span<const uint8_t> file,
                                                   std::string& error);

// 0 when `version` is a font's sfnt version, else 1 after saying that `name` is not a font.
int refuse_unknown_version(const std::string& name, uint32_t version);
