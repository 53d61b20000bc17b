#include "fixer/legacy_signs.h"

#include "fixer/name_repair.h"
#include "fixer/name_table.h"
#include "sfnt/byte_reader.h"

namespace {

constexpr uint32_t kFirstKatakanaByte = 0xA1;
constexpr uint32_t kFirstHalfwidthKatakana = 0xFF61;
constexpr uint32_t kKatakanaCount = 0xDF - 0xA1 + 1;  // 63

// The start of the first subtable that a record of `platform`/`encoding` points at.
std::optional<uint32_t> find_subtable(std::span<const uint8_t> cmap, uint16_t platform,
                                      uint16_t encoding) {
  const std::optional<uint16_t> count = u16_at(cmap, 2);
  for (uint32_t i = 0; count && i < *count; ++i) {
    const uint64_t record = 4 + 8 * uint64_t{i};
    const std::optional<uint16_t> p = u16_at(cmap, record);
    const std::optional<uint16_t> e = u16_at(cmap, record + 2);
    if (!p || !e) return std::nullopt;
    if (*p == platform && *e == encoding) return u32_at(cmap, record + 4);
  }
  return std::nullopt;
}

// Format 0: one glyph byte per code below 256.
std::optional<uint32_t> format0_glyph(std::span<const uint8_t> cmap, uint64_t at, uint32_t code) {
  if (code > 0xFF || !extent_fits(cmap.size(), at + 6 + code, 1)) return std::nullopt;
  return cmap[at + 6 + code];
}

// Format 6: entryCount glyphs from firstCode on.
std::optional<uint32_t> format6_glyph(std::span<const uint8_t> cmap, uint64_t at, uint32_t code) {
  const std::optional<uint16_t> first = u16_at(cmap, at + 6);
  const std::optional<uint16_t> count = u16_at(cmap, at + 8);
  if (!first || !count || code < *first || code - *first >= *count) return std::nullopt;
  return u16_at(cmap, at + 10 + 2 * uint64_t{code - *first});
}

// Format 4: the first segment that ends at or after the code, if it starts at or before it.
// `segment` is where the search starts: for codes asked in increasing order the segment
// found never moves back, so a walk over the katakana costs one pass over the segments
// (CJK fonts have thousands of them).
std::optional<uint32_t> format4_glyph(std::span<const uint8_t> cmap, uint64_t at, uint32_t code,
                                      uint64_t& segment) {
  const std::optional<uint16_t> seg_x2 = u16_at(cmap, at + 6);
  for (uint64_t& s = segment; seg_x2 && s < *seg_x2 / 2; ++s) {
    const std::optional<uint16_t> end = u16_at(cmap, at + 14 + 2 * s);
    if (!end) return std::nullopt;
    if (*end < code) continue;
    const uint64_t start_at = at + 16 + *seg_x2 + 2 * s;
    const std::optional<uint16_t> start = u16_at(cmap, start_at);
    const std::optional<uint16_t> delta = u16_at(cmap, start_at + *seg_x2);
    const std::optional<uint16_t> range = u16_at(cmap, start_at + 2 * uint64_t{*seg_x2});
    if (!start || !delta || !range || *start > code) return std::nullopt;
    if (*range == 0) return (code + *delta) & 0xFFFF;
    const std::optional<uint16_t> g =
        u16_at(cmap, start_at + 2 * uint64_t{*seg_x2} + *range + 2 * uint64_t{code - *start});
    if (!g || *g == 0) return g;
    return (*g + *delta) & 0xFFFF;
  }
  return std::nullopt;
}

// Format 12: groups of consecutive codes with consecutive glyphs.
std::optional<uint32_t> format12_glyph(std::span<const uint8_t> cmap, uint64_t at, uint32_t code) {
  const std::optional<uint32_t> groups = u32_at(cmap, at + 12);
  for (uint64_t g = 0; groups && g < *groups; ++g) {
    const std::optional<uint32_t> first = u32_at(cmap, at + 16 + 12 * g);
    const std::optional<uint32_t> last = u32_at(cmap, at + 20 + 12 * g);
    const std::optional<uint32_t> glyph = u32_at(cmap, at + 24 + 12 * g);
    if (!first || !last || !glyph) return std::nullopt;
    if (code >= *first && code <= *last) return *glyph + (code - *first);
  }
  return std::nullopt;
}

// The glyph the subtable at `at` gives `code`; nothing when it gives none or is of a
// format the judgement does not read. `segment`: see format4_glyph.
std::optional<uint32_t> glyph_of(std::span<const uint8_t> cmap, uint32_t at, uint32_t code,
                                 uint64_t& segment) {
  switch (u16_at(cmap, at).value_or(0xFFFF)) {
    case 0:
      return format0_glyph(cmap, at, code);
    case 4:
      return format4_glyph(cmap, at, code, segment);
    case 6:
      return format6_glyph(cmap, at, code);
    case 12:
      return format12_glyph(cmap, at, code);
    default:
      return std::nullopt;
  }
}

std::vector<uint16_t> shift_jis_names(std::span<const uint8_t> name) {
  std::string error;
  const std::optional<sfnt_name_table> table = parse_sfnt_name_table(name, error);
  std::vector<uint16_t> found;
  for (const uint16_t name_id : kMendedNames)
    if (table && find_shift_jis_name(table->records, name_id)) found.push_back(name_id);
  return found;
}

// The bytes of table `tag` in memory, or an empty view when the face has none; nothing
// after a failed read.
std::optional<std::span<const uint8_t>> table_of(const sfnt_face_info& face, const char* tag,
                                                 std::vector<uint8_t>& room) {
  const std::optional<size_t> index = find_sfnt_table_index(face, tag);
  if (!index) return std::span<const uint8_t>{};
  return hold_table_bytes(face.tables[*index].bytes, room);
}

}  // namespace

bool shows_katakana_mac_roman(std::span<const uint8_t> cmap) {
  const std::optional<uint32_t> mac = find_subtable(cmap, 1, 0);
  std::optional<uint32_t> windows = find_subtable(cmap, 3, 1);
  if (!windows) windows = find_subtable(cmap, 3, 10);
  if (!mac || !windows) return false;
  uint32_t same = 0;
  uint64_t windows_segment = 0;  // the codes of each map are asked in increasing order
  uint64_t mac_segment = 0;
  for (uint32_t i = 0; i < kKatakanaCount; ++i) {
    const std::optional<uint32_t> katakana =
        glyph_of(cmap, *windows, kFirstHalfwidthKatakana + i, windows_segment);
    if (katakana && *katakana != 0 &&
        glyph_of(cmap, *mac, kFirstKatakanaByte + i, mac_segment) == katakana)
      ++same;
  }
  return 2 * same >= kKatakanaCount;
}

bool has_legacy_signs(const legacy_signs& signs) {
  return !signs.shift_jis_names.empty() || signs.katakana_mac_roman;
}

std::optional<legacy_signs> find_legacy_signs(const sfnt_face_info& face,
                                              std::vector<uint8_t>& room) {
  legacy_signs signs;
  const std::optional<std::span<const uint8_t>> name = table_of(face, "name", room);
  if (!name) return std::nullopt;
  signs.shift_jis_names = shift_jis_names(*name);
  const std::optional<std::span<const uint8_t>> cmap = table_of(face, "cmap", room);
  if (!cmap) return std::nullopt;
  signs.katakana_mac_roman = shows_katakana_mac_roman(*cmap);
  return signs;
}
