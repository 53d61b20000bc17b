// Fuzz target: the glyph record parser, glyph sharing's layout and its self-check, and
// compaction. The input is one face's glyph data: a flag byte (bit 0: long loca), numGlyphs
// (u16), the length of loca (u32), loca, then glyf to the end. Each table is copied to a
// block of its own size, so a read past it is caught. Three faces are made of it (the face,
// the face with every third glyph empty, the face's glyphs in reverse order) and laid out
// together: every face must read back its records in order from its window, every span
// starting with its record and, as long as no span can reach the limit, the layout must
// pass the packer's self-check. Compacted, a face's glyph data must read back the same
// records with no foreign bytes.
#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "sfnt/byte_fields.h"
#include "sfnt/byte_reader.h"
#include "sfnt/glyf_records.h"
#include "ttc/glyph_merge.h"
#include "ttc/glyph_share.h"

namespace {

constexpr size_t kHeaderSize = 7;

bool same_record(const glyf_record& a, const glyf_record& b) {
  return a.parsed == b.parsed &&
         std::equal(a.bytes.begin(), a.bytes.end(), b.bytes.begin(), b.bytes.end());
}

uint64_t total_size(const std::vector<std::vector<glyf_record>>& faces) {
  uint64_t total = 0;
  for (const auto& face : faces)
    for (const glyf_record& record : face) total += glyf_record_size(record);
  return total;
}

void check_layout(const std::vector<std::vector<glyf_record>>& faces) {
  const glyph_layout layout = lay_out_shared_glyphs(faces);
  fuzz_require(layout.faces.size() == faces.size(), "every face is laid out");
  const bool within_limit = total_size(faces) < glyph_span_limit;
  for (size_t f = 0; f < faces.size(); ++f) {
    const glyph_window& window = layout.faces[f];
    fuzz_require(window.offset <= layout.glyf.size() &&
                     window.length <= layout.glyf.size() - window.offset && window.offset % 4 == 0,
                 "a window lies inside the shared table on a multiple of 4");
    const std::span<const uint8_t> part =
        std::span<const uint8_t>(layout.glyf).subspan(window.offset, window.length);
    const glyf_shape shape{static_cast<uint16_t>(faces[f].size()), window.long_loca};
    const auto back = read_glyf_records(part, window.loca, shape);
    fuzz_require(back && back->size() == faces[f].size(), "a window's loca reads back");
    for (size_t g = 0; g < faces[f].size(); ++g)
      fuzz_require(same_record((*back)[g], faces[f][g]), "every span starts with its record");
    if (within_limit)
      fuzz_require(glyph_layout_sound(part, window.loca, shape, faces[f]),
                   "a layout passes the self-check");
  }
}

void check_compact(const std::vector<glyf_record>& records) {
  const std::vector<uint8_t> head(54, 0);
  const compact_glyphs compact = compact_glyph_tables(records, head);
  const glyf_shape shape{static_cast<uint16_t>(records.size()),
                         read_uint16(compact.head.data() + head_loca_format_at) == 1};
  const auto back = read_glyf_records(compact.glyf, compact.loca, shape);
  fuzz_require(back && back->size() == records.size(), "compacted glyph data reads back");
  for (size_t g = 0; g < records.size(); ++g) {
    fuzz_require(same_record((*back)[g], records[g]), "compacting keeps every record");
    fuzz_require((*back)[g].span_length <= glyf_record_size(records[g]),
                 "compacted glyph data holds no foreign bytes");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  const std::optional<uint32_t> loca_length = u32_at(input, 3);
  if (!loca_length) return 0;
  const auto loca_bytes = checked_extent(input, kHeaderSize, *loca_length);
  if (!loca_bytes) return 0;
  const std::vector<uint8_t> loca(loca_bytes->begin(), loca_bytes->end());
  const std::vector<uint8_t> glyf(input.begin() + kHeaderSize + *loca_length, input.end());
  const glyf_shape shape{read_uint16(data + 1), (data[0] & 1) != 0};
  const auto records = read_glyf_records(glyf, loca, shape);
  if (!records) return 0;
  std::vector<glyf_record> thinned = *records, reversed(records->rbegin(), records->rend());
  for (size_t g = 2; g < thinned.size(); g += 3) thinned[g] = glyf_record{};
  check_layout({*records, thinned, reversed});
  check_compact(*records);
  return 0;
}
