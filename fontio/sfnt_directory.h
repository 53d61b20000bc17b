// Checked reading of an sfnt offset table and its table directory, wherever it stands in a
// file (at 0 in a single font, at a face's offset in a collection). The whole structure is
// checked once, up front, so that its users can take every table's bytes without further
// checks.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fontio/byte_fields.h"

struct sfnt_record {
  sfnt_tag tag{};
  uint32_t checksum = 0;  // as stored; the writers compute their own
  uint32_t offset = 0;
  uint32_t length = 0;
};

struct sfnt_directory {
  uint32_t version = 0;
  uint16_t search_range = 0;
  uint16_t entry_selector = 0;
  uint16_t range_shift = 0;
  std::vector<sfnt_record> records;  // in directory order
};

// The offset table at `at` and its records, once the offset table, the whole directory and
// every table's extent are known to lie inside `file`. Otherwise nothing, and `problem`
// says what was wrong ("table directory runs past the end of the file", ...).
std::optional<sfnt_directory> read_sfnt_directory(std::span<const uint8_t> file, uint64_t at,
                                                  std::string& problem);

// The same for a file of `file_size` bytes of which only `head`, its first bytes, is at hand:
// the offset table and directory must lie inside `head`, every table inside the file. A
// reader that takes the directory's bytes, or the whole file when it is shorter, gets the
// answers and messages of the whole-file reader.
std::optional<sfnt_directory> read_sfnt_directory_head(std::span<const uint8_t> head,
                                                       uint64_t file_size, uint64_t at,
                                                       std::string& problem);

// How many bytes from the start of a single-face font hold its offset table (12) and, once
// `num_tables` is known from it, its whole directory.
uint64_t sfnt_directory_size(uint16_t num_tables);

// The tag as text for messages: printable ASCII bytes as they are, others as '?'.
std::string tag_text(const sfnt_tag& tag);
