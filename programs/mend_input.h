// facemend's input: the file opened and recognised by the one opener (a collection, or a
// single font whose directory has been read and checked), refused in facemend's words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sfnt/font_file.h"
#include "sfnt/sfnt_face.h"
#include "sys/input_file.h"

// facemend's input, open: a collection, read in place, or a single font whose offset table
// and directory have been checked, so that a large file that is not a font costs no more
// than its first bytes.
struct mend_input {
  input_file file;  // closed by the caller
  font_file font;
};

// Opens `path` and recognises it; nothing after the reason has been printed (the run ends
// with status 1).
std::optional<mend_input> open_mend_input(const std::string& path);

// The single font of `input` loaded whole into `bytes`, its tables views into them (which
// must outlive the face); nothing after the reason has been printed (status 1).
std::optional<sfnt_face_info> load_single_font(const mend_input& input,
                                               std::vector<uint8_t>& bytes);
