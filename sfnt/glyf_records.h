// A TrueType face's glyph data as records: what `loca` divides `glyf` into, each glyph's
// record cut to the exact length its own structure gives (simple glyph: contours,
// instructions, flags and coordinates; composite: components and instructions). Readers
// take a glyph's length from that structure, so bytes after it within the glyph's span are
// padding or another face's glyphs; a span whose structure does not parse is kept whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// One glyph. `bytes` views the glyph table: the record's exact bytes when `parsed`, else the
// whole span as `loca` gives it (kept byte for byte). Empty for a glyph without outline.
struct glyf_record {
  std::span<const uint8_t> bytes;
  bool parsed = true;
  size_t span_length = 0;  // what loca gives the glyph: the record and any bytes after it
};

// What a face needs to find its glyphs: the glyph count (`maxp`) and the loca format
// (`head` indexToLocFormat: 0 short, 1 long).
struct glyf_shape {
  uint16_t num_glyphs = 0;
  bool long_loca = false;
};

// The glyph count and loca format read from `head` and `maxp`; nothing when either is too
// short or the format is neither 0 nor 1.
std::optional<glyf_shape> read_glyf_shape(std::span<const uint8_t> head,
                                          std::span<const uint8_t> maxp);

// The length of the glyph structure at the start of `span`, or nothing when it does not
// parse within `span`. A glyph of zero contours has no outline to parse and is refused, so
// that its span is kept as it stands.
std::optional<size_t> glyph_structure_length(std::span<const uint8_t> span);

// Every glyph's record in glyph ID order; nothing when `loca` is too short for the glyph
// count, its offsets descend, or one points past the end of `glyf`.
std::optional<std::vector<glyf_record>> read_glyf_records(std::span<const uint8_t> glyf,
                                                          std::span<const uint8_t> loca,
                                                          const glyf_shape& shape);

// The bytes a record takes when written: a parsed record zero-padded to a multiple of 4, a
// kept span as it is.
inline size_t glyf_record_size(const glyf_record& record) {
  return record.parsed ? (record.bytes.size() + 3) & ~size_t{3} : record.bytes.size();
}

// Offset of indexToLocFormat in `head`; a head this short holds no such field.
inline constexpr size_t head_loca_format_at = 50;
