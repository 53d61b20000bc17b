// Whether a face shows the faults facemend exists for: Shift-JIS text in its Macintosh
// Roman English family or full name, or a Macintosh Roman character map laid out for
// Shift-JIS, with half-width katakana at 0xA1-0xDF. A monospaced mark or head flag bit 1
// is no sign: healthy fonts carry them too, and they are repaired together with a font
// that shows a sign.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sfnt/sfnt_face.h"

struct legacy_signs {
  // The name IDs (1 family, 4 full) whose Macintosh Roman English record the name pass
  // would replace, in the pass's order.
  std::vector<uint16_t> shift_jis_names;
  // The Macintosh Roman map sends at least half of 0xA1-0xDF to the glyphs that the
  // Windows Unicode map gives U+FF61-U+FF9F.
  bool katakana_mac_roman = false;
};

bool has_legacy_signs(const legacy_signs& signs);

// The signs the face shows, judged from its `name` and `cmap` tables only (a table that is
// missing or cannot be read shows none). Nothing after a failed read of a table held in a
// file has been reported; `room` holds such a table while it is judged.
std::optional<legacy_signs> find_legacy_signs(const sfnt_face_info& face,
                                              std::vector<uint8_t>& room);

// The katakana sign of a `cmap` table on its own.
bool shows_katakana_mac_roman(std::span<const uint8_t> cmap);
