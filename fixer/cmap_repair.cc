#include "fixer/cmap_repair.h"

#include "sfnt/byte_fields.h"

namespace {

constexpr size_t kFormat6EntryCount = 8;
constexpr uint16_t kFullByteRange = 256;
constexpr uint16_t kAsciiRange = 127;

bool is_full_mac_roman_format6(const sfnt_cmap_record& record, const sfnt_cmap_subtable& subtable) {
  // A subtable too short to hold its entryCount is left alone: there is nothing to cut.
  return record.platform_id == 1 && record.encoding_id == 0 && subtable.format == 6 &&
         subtable.data.size() >= kFormat6EntryCount + 2 &&
         read_uint16(subtable.data.data() + kFormat6EntryCount) == kFullByteRange;
}

}  // namespace

void fix_oddtype_cmap_table(sfnt_cmap_table& table, mend_sink& sink) {
  for (const sfnt_cmap_record& record : table.records) {
    sfnt_cmap_subtable& subtable = table.subtables[record.subtable];
    if (!is_full_mac_roman_format6(record, subtable)) continue;
    sink.report(mend_event::mac_roman_cut{});
    write_uint16(subtable.data.data() + kFormat6EntryCount, kAsciiRange);
  }
}

int fix_cmap(sfnt_face_info& face, mend_sink& sink) {
  const std::optional<size_t> index = find_sfnt_table_index(face, "cmap");
  if (!index) {
    sink.report(mend_event::table_missing{"cmap"});
    return -1;
  }
  sink.report(mend_event::cmap_parsing{});
  sfnt_table& entry = face.tables[*index];
  cmap_length length = cmap_length::agrees;
  std::string reason;
  std::optional<sfnt_cmap_table> table =
      parse_sfnt_cmap_table(sfnt_table_bytes(entry), length, reason);
  if (!table) {
    sink.report(mend_event::cmap_left_unchanged{reason});
    return 0;
  }
  if (length != cmap_length::agrees)
    sink.report(mend_event::cmap_broken{length == cmap_length::corrected});
  fix_oddtype_cmap_table(*table, sink);
  set_sfnt_table_bytes(entry, render_sfnt_cmap_table(*table));
  return 0;
}
