#include "sfnt/glyf_records.h"

#include "sfnt/byte_reader.h"

namespace {

// Simple-glyph point flags, and composite-glyph component flags, that decide lengths.
constexpr uint8_t kRepeat = 0x08;
constexpr uint8_t kXShort = 0x02, kXSame = 0x10;
constexpr uint8_t kYShort = 0x04, kYSame = 0x20;
constexpr uint16_t kArgsAreWords = 0x0001, kHaveScale = 0x0008, kMoreComponents = 0x0020;
constexpr uint16_t kXYScale = 0x0040, kTwoByTwo = 0x0080, kHaveInstructions = 0x0100;

constexpr uint64_t kGlyphHeader = 10;  // numberOfContours and the bounding box

size_t coordinate_bytes(uint8_t flag, uint8_t short_bit, uint8_t same_bit) {
  if (flag & short_bit) return 1;
  return (flag & same_bit) ? 0 : 2;
}

// After the header: end points, instructions, flags, then the coordinates the flags ask for.
bool skip_simple(byte_reader& r, uint16_t contours) {
  uint16_t last_point = 0, instructions = 0;
  if (!skip_bytes(r, 2 * (uint64_t{contours} - 1)) || !read_u16(r, last_point) ||
      !read_u16(r, instructions) || !skip_bytes(r, instructions))
    return false;
  const uint64_t points = uint64_t{last_point} + 1;
  // The flags are read from the rest of the glyph as one checked view, a byte at a time
  // with the index held below its size: a CJK face has millions of them.
  const std::optional<std::span<const uint8_t>> rest =
      checked_extent(r.bytes, r.pos, r.bytes.size() - r.pos);
  if (!rest) return false;
  size_t at = 0;
  uint64_t seen = 0, coordinates = 0;
  while (seen < points) {
    if (at >= rest->size()) return false;
    const uint8_t flag = (*rest)[at++];
    uint64_t count = 1;
    if (flag & kRepeat) {
      if (at >= rest->size()) return false;
      count += (*rest)[at++];
    }
    // A repeat that runs past the last point is a broken outline, not one to measure.
    if (count > points - seen) return false;
    seen += count;
    coordinates +=
        count * (coordinate_bytes(flag, kXShort, kXSame) + coordinate_bytes(flag, kYShort, kYSame));
  }
  r.pos += at;
  return skip_bytes(r, coordinates);
}

// After the header: components until one says there are no more, then instructions when
// any component says there are some.
bool skip_composite(byte_reader& r) {
  uint16_t flags = 0, glyph = 0;
  bool instructions = false;
  do {
    if (!read_u16(r, flags) || !read_u16(r, glyph)) return false;
    uint64_t rest = (flags & kArgsAreWords) ? 4 : 2;
    if (flags & kHaveScale)
      rest += 2;
    else if (flags & kXYScale)
      rest += 4;
    else if (flags & kTwoByTwo)
      rest += 8;
    if (!skip_bytes(r, rest)) return false;
    instructions = instructions || (flags & kHaveInstructions);
  } while (flags & kMoreComponents);
  if (!instructions) return true;
  uint16_t length = 0;
  return read_u16(r, length) && skip_bytes(r, length);
}

// The loca offset of glyph `index` (0 to numGlyphs), known to be inside `loca`.
uint64_t loca_offset(std::span<const uint8_t> loca, bool long_loca, size_t index) {
  if (long_loca) return read_uint32(loca.data() + 4 * index);
  return uint64_t{read_uint16(loca.data() + 2 * index)} * 2;
}

}  // namespace

std::optional<glyf_shape> read_glyf_shape(std::span<const uint8_t> head,
                                          std::span<const uint8_t> maxp) {
  const std::optional<uint16_t> format = u16_at(head, head_loca_format_at);
  const std::optional<uint16_t> glyphs = u16_at(maxp, 4);
  if (!format || !glyphs || *format > 1) return std::nullopt;
  return glyf_shape{*glyphs, *format == 1};
}

std::optional<size_t> glyph_structure_length(std::span<const uint8_t> span) {
  byte_reader r{span};
  uint16_t contours = 0;
  if (!read_u16(r, contours) || !skip_bytes(r, kGlyphHeader - 2)) return std::nullopt;
  const auto signed_contours = static_cast<int16_t>(contours);
  // Other negative counts than -1 are no glyph format; readers disagree on them.
  if (signed_contours == 0 || signed_contours < -1) return std::nullopt;
  const bool ok = signed_contours > 0 ? skip_simple(r, contours) : skip_composite(r);
  if (!ok) return std::nullopt;
  return r.pos;
}

std::optional<std::vector<glyf_record>> read_glyf_records(std::span<const uint8_t> glyf,
                                                          std::span<const uint8_t> loca,
                                                          const glyf_shape& shape) {
  const uint64_t entries = uint64_t{shape.num_glyphs} + 1;
  if (!extent_fits(loca.size(), 0, entries * (shape.long_loca ? 4 : 2))) return std::nullopt;
  std::vector<glyf_record> records;
  records.reserve(shape.num_glyphs);
  uint64_t start = loca_offset(loca, shape.long_loca, 0);
  for (size_t glyph = 0; glyph < shape.num_glyphs; ++glyph) {
    const uint64_t end = loca_offset(loca, shape.long_loca, glyph + 1);
    if (end < start) return std::nullopt;
    const std::optional<std::span<const uint8_t>> span = checked_extent(glyf, start, end - start);
    if (!span) return std::nullopt;
    if (span->empty()) {
      records.push_back({*span, true, 0});
    } else if (const std::optional<size_t> length = glyph_structure_length(*span)) {
      records.push_back({span->first(*length), true, span->size()});
    } else {
      records.push_back({*span, false, span->size()});
    }
    start = end;
  }
  return records;
}
