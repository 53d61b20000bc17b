// Adding many faces to the pool at once, with the bytes of every table read once to be
// compared. Faces of one family share their large tables (the glyph data), and adding them
// one by one compares each face's copy with the first face's, reading the first face's
// bytes again for every face; here the copies of a table are read side by side, a piece of
// each in turn, and compared with the first copy's piece while it is at hand.
#pragma once

#include <cstdint>
#include <vector>

#include "sfnt/sfnt_face.h"
#include "ttc/ttc_model.h"

// Appends `faces` in order, giving the pool exactly what ttc_add_face would give adding
// them one after another. A table of a piece or more (see sfnt/table_bytes.h) whose tag
// and length the pool has not seen yet and that other tables of `faces` have is compared
// with the first of them in one pass; a table with the same bytes is then added under the
// first table's place, which ttc_add_table shares without reading it again. On a refusal
// (as ttc_add_face's) the faces before the refused one have been added, and info.faces
// tells how many.
std::optional<ttc_refusal> ttc_add_faces(ttc_info& info, std::vector<sfnt_face_info> faces,
                                         std::vector<uint8_t>& room);
