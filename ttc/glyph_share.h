// Glyph sharing: a collection whose faces with TrueType outlines store each glyph record
// once. Every such face keeps its glyph IDs and gets its own `loca` and `head`
// (indexToLocFormat to match) and a window of one shared `glyf` table, in which its glyph
// records stand in its own glyph order; records of other faces that fall between two of
// its records are trailing bytes of its glyph span, which readers skip because a glyph's
// length comes from its own structure. `facesplit --compact` undoes the trailing bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sfnt/glyf_records.h"
#include "sfnt/table_bytes.h"
#include "ttc/ttc_model.h"

// No glyph span is made longer than this, unless its own record is: some readers refuse a
// glyph span of 64 KiB or more.
inline constexpr size_t glyph_span_limit = 32768;

// Glyph sharing must make the collection smaller than sharing tables only by at least this
// share, in percent, to be worth files that readers find less usual.
inline constexpr uint64_t glyph_share_min_saving = 1;

enum class glyph_share_outcome {
  shared,            // `info` is the glyph-shared collection
  too_little_saved,  // under glyph_share_min_saving percent; write the table-shared one
  not_laid_out,      // no TrueType face, a span past glyph_span_limit, or a full pool
  unread,            // a table could not be read; that has been reported
};

struct glyph_share_result {
  glyph_share_outcome outcome = glyph_share_outcome::unread;
  std::optional<ttc_info> info;
};

// The collection `table_shared` (as facepack builds it) with its TrueType faces' glyphs
// shared. A face without `glyf`, `loca`, `head` and `maxp` that can be read (CFF faces,
// fonts with a broken `loca`) keeps its tables as they are. `DSIG` is dropped from the
// faces that change: their signature could no longer verify. Every other table stays the
// pool entry it was. Reads the glyph data of every TrueType face into memory.
glyph_share_result ttc_share_glyphs(const ttc_info& table_shared, std::vector<uint8_t>& room);

// Whether `loca` over `window` gives back the face's `records` as glyph sharing must: offsets
// ascending and inside the window, ending at its end, every span starting with its own
// record, a span kept whole standing exactly as it was, and no span that holds other bytes
// longer than glyph_span_limit.
bool glyph_layout_sound(std::span<const uint8_t> window, std::span<const uint8_t> loca,
                        const glyf_shape& shape, const std::vector<glyf_record>& records);

// The face's `glyf`, `loca` and `head` written tightly: records in glyph ID order, each
// parsed one zero-padded to 4, a kept span as it stands, a short `loca` when it fits.
struct compact_glyphs {
  std::vector<uint8_t> glyf, loca, head;
};
compact_glyphs compact_glyph_tables(const std::vector<glyf_record>& records,
                                    std::span<const uint8_t> head);

// Writes face `face` as ttc_write_face_to_file does, except that a face whose glyph spans
// hold bytes after their records (other faces' glyphs, in a glyph-shared collection) gets
// its `glyf`, `loca` and `head` compacted. Returns the bytes written, or -1 as
// ttc_write_face_to_file does (a failed read handed to the file's sink, a lack of memory
// noted on the stream, a layout too large for 32-bit offsets set in `too_large`).
int64_t ttc_write_compact_face(const ttc_info& info, size_t face, output_stream& stream,
                               extent_copy how, bool* too_large = nullptr);
