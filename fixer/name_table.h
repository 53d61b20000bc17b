// The `name` table as the fixer models it: parsing (every read bounded by the table's
// length), lookup of a record by its four identifiers, and rendering to fresh table bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct sfnt_name_record {
  uint16_t platform_id = 0;
  uint16_t encoding_id = 0;
  uint16_t language_id = 0;
  uint16_t name_id = 0;
  std::vector<uint8_t> string;  // the record's own copy of its string bytes
};

// The parsed table; nothing in it refers to the loaded file.
struct sfnt_name_table {
  std::vector<sfnt_name_record> records;  // in the order of the input table
};

// Reads the header, the records and their strings. The header, every record and every
// string must lie inside `table`, and the strings may not total more than the table's size
// plus 65535 bytes (only records naming the same bytes over and over reach that); otherwise
// nothing, with the reason in `error` (a line for standard error).
std::optional<sfnt_name_table> parse_sfnt_name_table(std::span<const uint8_t> table,
                                                     std::string& error);

// Index of the first record with all four identifiers equal, or nothing.
std::optional<size_t> find_sfnt_name_entry(std::span<const sfnt_name_record> records,
                                           uint16_t platform_id, uint16_t encoding_id,
                                           uint16_t language_id, uint16_t name_id);

// A format 0 table: the records in order, then their strings back to back in record order
// (each record its own copy). Nothing, with the reason in `error`, when 16-bit fields could
// not address it: more than 5460 records, or more than 65535 bytes of strings.
std::optional<std::vector<uint8_t>> render_sfnt_name_table(
    std::span<const sfnt_name_record> records, std::string& error);
