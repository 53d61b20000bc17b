#include "fixer/cmap_repair.h"

#include <cstdio>

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

void fix_oddtype_cmap_table(sfnt_cmap_table& table) {
  for (const sfnt_cmap_record& record : table.records) {
    sfnt_cmap_subtable& subtable = table.subtables[record.subtable];
    if (!is_full_mac_roman_format6(record, subtable)) continue;
    std::fputs("  Removing code area 0x80-0xff from CMap table for \"Macintosh, Roman\".\n",
               stdout);
    write_uint16(subtable.data.data() + kFormat6EntryCount, kAsciiRange);
  }
}

int fix_cmap(sfnt_face_info& face) {
  const std::optional<size_t> index = find_sfnt_table_index(face, "cmap");
  if (!index) {
    std::fputs("Couldn't find `cmap' table...\n", stdout);
    return -1;
  }
  std::fputs("  Parsing cmap table.\n", stdout);
  sfnt_table& entry = face.tables[*index];
  std::string reason;
  std::optional<sfnt_cmap_table> table = parse_sfnt_cmap_table(sfnt_table_bytes(entry), reason);
  if (!table) {
    std::printf("  cmap table left unchanged: %s.\n", reason.c_str());
    return 0;
  }
  fix_oddtype_cmap_table(*table);
  set_sfnt_table_bytes(entry, render_sfnt_cmap_table(*table));
  return 0;
}
