// Compacting a face split out of a glyph-shared collection (see ttc/glyph_share.h).

#include "sfnt/sfnt_face.h"
#include "sys/output_file.h"
#include "ttc/glyph_share.h"
#include "ttc/ttc_writer.h"

namespace {

// Whether some glyph span holds bytes past its record and the record's padding.
bool has_foreign_bytes(const std::vector<glyf_record>& records) {
  for (const glyf_record& record : records)
    if (record.span_length > glyf_record_size(record)) return true;
  return false;
}

// The face with compacted glyph tables; nothing when it needs none (no TrueType outlines
// that can be read, or no foreign bytes), or after a failed read has been reported
// (`unread` set).
std::optional<sfnt_face_info> compacted_face(const ttc_info& info, size_t face, bool& unread) {
  sfnt_face_info single = ttc_face_tables(info, face);
  const auto glyf_at = find_sfnt_table_index(single, "glyf");
  const auto loca_at = find_sfnt_table_index(single, "loca");
  const auto head_at = find_sfnt_table_index(single, "head");
  const auto maxp_at = find_sfnt_table_index(single, "maxp");
  if (!glyf_at || !loca_at || !head_at || !maxp_at) return std::nullopt;
  std::vector<uint8_t> room[4];
  std::optional<std::span<const uint8_t>> bytes[4];
  const size_t at[4] = {*glyf_at, *loca_at, *head_at, *maxp_at};
  for (size_t i = 0; i < 4; ++i) {
    bytes[i] = hold_table_bytes(single.tables[at[i]].bytes, room[i]);
    if (!bytes[i]) {
      unread = true;
      return std::nullopt;
    }
  }
  const std::optional<glyf_shape> shape = read_glyf_shape(*bytes[2], *bytes[3]);
  if (!shape) return std::nullopt;
  const auto records = read_glyf_records(*bytes[0], *bytes[1], *shape);
  if (!records || !has_foreign_bytes(*records)) return std::nullopt;
  compact_glyphs compact = compact_glyph_tables(*records, *bytes[2]);
  set_sfnt_table_bytes(single.tables[*glyf_at], std::move(compact.glyf));
  set_sfnt_table_bytes(single.tables[*loca_at], std::move(compact.loca));
  set_sfnt_table_bytes(single.tables[*head_at], std::move(compact.head));
  return single;
}

int64_t write_compact(const ttc_info& info, size_t face, output_stream& stream, extent_copy how,
                      bool* too_large) {
  bool unread = false;
  const std::optional<sfnt_face_info> single = compacted_face(info, face, unread);
  if (unread) return -1;
  // A compacted face is smaller than the face as it stands, so one too large for 32-bit
  // offsets is left to the plain writer to refuse.
  if (!single || sfnt_face_size(*single) > UINT32_MAX)
    return ttc_write_face_to_file(info, face, stream, how, too_large);
  const std::vector<sfnt_record> records = sfnt_face_layout(*single);
  if (!write_sfnt_face_to_stream(stream, *single, records, how)) return -1;
  return static_cast<int64_t>(sfnt_face_size(*single));
}

}  // namespace

compact_glyphs compact_glyph_tables(const std::vector<glyf_record>& records,
                                    std::span<const uint8_t> head) {
  compact_glyphs out;
  std::vector<uint64_t> offsets{0};
  for (const glyf_record& record : records) {
    out.glyf.insert(out.glyf.end(), record.bytes.begin(), record.bytes.end());
    out.glyf.resize(offsets.back() + glyf_record_size(record), 0);
    offsets.push_back(out.glyf.size());
  }
  bool long_loca = out.glyf.size() > 2 * uint64_t{UINT16_MAX};
  for (const uint64_t offset : offsets) long_loca = long_loca || offset % 2 != 0;
  out.loca.resize(offsets.size() * (long_loca ? 4 : 2));
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (long_loca)
      write_uint32(out.loca.data() + 4 * i, static_cast<uint32_t>(offsets[i]));
    else
      write_uint16(out.loca.data() + 2 * i, static_cast<uint16_t>(offsets[i] / 2));
  }
  out.head.assign(head.begin(), head.end());
  write_uint16(out.head.data() + head_loca_format_at, long_loca ? 1 : 0);
  return out;
}

int64_t ttc_write_compact_face(const ttc_info& info, size_t face, output_stream& stream,
                               extent_copy how, bool* too_large) {
  return write_noting_memory(stream, int64_t{-1},
                             [&] { return write_compact(info, face, stream, how, too_large); });
}
