// The sfnt offset table and table directory: the checked reader, wherever the structure
// stands (at 0 in a single font, at a face's offset in a collection; in memory or in an open
// file), and the one writer of its 12 + 16n bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sfnt/byte_fields.h"
#include "sfnt/table_bytes.h"

// The offset table's fields but numTables, carried as read and never recomputed.
struct sfnt_header {
  uint32_t version = 0;
  uint16_t search_range = 0;
  uint16_t entry_selector = 0;
  uint16_t range_shift = 0;
};

struct sfnt_record {
  sfnt_tag tag{};
  uint32_t checksum = 0;
  uint32_t offset = 0;
  uint32_t length = 0;
};

struct sfnt_directory {
  sfnt_header header;
  std::vector<sfnt_record> records;  // in directory order
};

// The offset table at `at` of `file` and its records, once the offset table, the whole
// directory and every table's extent are known to lie inside the file; the whole structure
// is checked here, up front, so that its users can take every table's bytes without further
// checks. Otherwise nothing, and `problem` says what was wrong ("table directory runs past
// the end of the file", ...), or is empty after a failed read has been reported.
std::optional<sfnt_directory> read_sfnt_directory(const table_bytes& file, uint64_t at,
                                                  std::string& problem);

// Whether `version` is one that fonts use: 0x00010000 and 'true' (TrueType outlines), 'OTTO'
// (CFF outlines) or 'typ1' (PostScript outlines in an sfnt wrapper). Anything else is not a
// font, however well its bytes happen to parse.
bool known_sfnt_version(uint32_t version);

// How many bytes an offset table and a directory of `num_tables` records take.
uint64_t sfnt_directory_size(uint64_t num_tables);

// How many bytes the font that `dir` describes takes when written as a single font: the
// offset table and directory, then every record's table padded to a multiple of 4.
uint64_t sfnt_font_size(const sfnt_directory& dir);

// Appends the offset table and the directory of `records` to `out`.
void append_sfnt_directory(std::vector<uint8_t>& out, const sfnt_header& header,
                           std::span<const sfnt_record> records);

// How a tag is shown: `text`, for messages, keeps every printable ASCII byte, blank
// included; `word`, for listings, drops trailing blanks ("cvt ") and shows every other
// byte outside printable ASCII, blank included, as '?'.
enum class tag_form { text, word };

// The tag as text, in `form`; a byte it cannot show is '?'.
std::string tag_text(const sfnt_tag& tag, tag_form form = tag_form::text);
