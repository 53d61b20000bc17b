// What the four repair passes look at in one face, read without changing anything: the
// Macintosh Roman English family and full names, the Macintosh Roman cmap subtable,
// isFixedPitch, the head flags and checkSumAdjustment. A field is absent when the face has
// no such table or record, or the table is too short to hold it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "demo/font_faces.h"

struct mac_roman_cmap {
  uint16_t format = 0;
  std::optional<uint16_t> first_code;   // format 6 only
  std::optional<uint16_t> entry_count;  // format 6 only
};

struct face_facts {
  std::optional<std::string> windows_family;       // 3/1/0x409 name 1, as ASCII
  std::optional<std::vector<uint8_t>> mac_family;  // 1/0/0 name 1, raw bytes
  std::optional<std::vector<uint8_t>> mac_full;    // 1/0/0 name 4, raw bytes
  std::optional<mac_roman_cmap> cmap;              // the first 1/0 encoding record's subtable
  std::optional<uint32_t> is_fixed_pitch;
  std::optional<uint16_t> head_flags;
  std::optional<uint32_t> checksum_adjustment;
};

face_facts read_face_facts(const sfnt_face_info& face);

// Name bytes for a terminal: printable ASCII as it is, every other byte as \xNN. Bytes
// that form Shift-JIS text are followed by that text in UTF-8.
std::string describe_name(const std::vector<uint8_t>& bytes);
