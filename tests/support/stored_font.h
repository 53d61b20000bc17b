// An independent reading of font files as stored, sharing no code with the programs: each
// face's offset-table fields and, per directory record, the tag, the stored checksum and
// offset, and the table's bytes without padding.
#pragma once

#include <cstdint>
#include <vector>

#include "fontgen/font_builder.h"

struct face_view {
  uint32_t version = 0;
  uint16_t search_range = 0, entry_selector = 0, range_shift = 0;
  std::vector<font_table> tables;
  std::vector<uint32_t> checksums;
  std::vector<uint32_t> offsets;
};

// Every face of a collection, or the one face of a single font. Throws std::out_of_range
// when a structure runs past the end of the file.
std::vector<face_view> faces_of(const std::vector<uint8_t>& file);

// The same tags and bytes, in the same order.
bool same_tables(const face_view& a, const face_view& b);

// The same tables and offset-table fields, for comparing faces laid out differently.
bool same_fields_and_tables(const face_view& a, const face_view& b);
