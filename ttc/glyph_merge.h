// Laying out the glyph records of several faces in one glyph table, each record that faces
// can share stored once: a weighted longest common subsequence (by bytes) of each face's
// records with the layout so far decides what is shared, and the records left over are
// interleaved in proportion to their sizes, so that no face's glyph span grows long.
#pragma once

#include <cstdint>
#include <vector>

#include "sfnt/glyf_records.h"

// One face's part of the layout: its window of the shared table and its loca over it.
struct glyph_window {
  uint64_t offset = 0;
  uint64_t length = 0;
  std::vector<uint8_t> loca;
  bool long_loca = false;
};

struct glyph_layout {
  std::vector<uint8_t> glyf;
  std::vector<glyph_window> faces;  // in the order of the faces given
};

// The shared glyph table of faces whose records (in glyph ID order) are `faces`. A parsed
// record is shared with an equal record of another face when both stand in the same order
// relative to the records shared before; a span kept whole is never shared and is followed
// directly by its face's next record. Every record starts on a multiple of 4.
glyph_layout lay_out_shared_glyphs(const std::vector<std::vector<glyf_record>>& faces);
