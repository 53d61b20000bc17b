// The `cmap` table as the fixer models it: its encoding records and its subtables, each
// subtable held once however many records point at it. Parsing checks the table's length
// against its subtables (and gives a difference to the Windows Unicode format 4 subtable);
// rendering lays the model out again, subtables back to back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct sfnt_cmap_subtable {
  uint32_t offset = 0;  // where it starts in the source table, from the table start
  uint16_t format = 0;
  std::vector<uint8_t> data;  // its own copy of the subtable's bytes, after any correction
};

struct sfnt_cmap_record {
  uint16_t platform_id = 0;
  uint16_t encoding_id = 0;
  size_t subtable = 0;  // index into sfnt_cmap_table::subtables
};

struct sfnt_cmap_table {
  uint16_t version = 0;
  std::vector<sfnt_cmap_record> records;      // in the order of the source table
  std::vector<sfnt_cmap_subtable> subtables;  // in the order of their first record
};

// How the table's directory length compared with its subtables: equal, different, or
// different and the difference given to the first platform 3, encoding 1, format 4
// subtable.
enum class cmap_length { agrees, broken, corrected };

// Builds the model of `table` (the whole table, its directory length being its size), with
// the outcome of the length check in `length`. A table that cannot be carried through
// whole, or whose overlapping subtables would make it longer once laid out apart, gives
// nothing, with the reason in `reason`.
std::optional<sfnt_cmap_table> parse_sfnt_cmap_table(std::span<const uint8_t> table,
                                                     cmap_length& length, std::string& reason);

// The table bytes: header, the encoding records in order, then each subtable once, back to
// back in model order, every record pointing at its subtable's one copy.
std::vector<uint8_t> render_sfnt_cmap_table(const sfnt_cmap_table& table);
