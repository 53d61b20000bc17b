// The single-face sfnt container of the fixer: a face as its offset-table fields plus one
// entry per directory record, lookup of an entry by tag, and the writer that lays the face
// out afresh (directory order kept, zero padding, new offsets and checksums).
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fontio/byte_fields.h"

struct sfnt_table {
  sfnt_tag tag{};
  uint32_t checksum = 0;  // as read; the writer computes the output's own
  uint32_t offset = 0;    // as read; the writer lays the tables out afresh
  // Views the table's bytes in the loaded file (which must outlive the face) until a pass
  // gives the entry bytes of its own in `owned`; use sfnt_table_bytes() to read either.
  std::span<const uint8_t> source;
  std::optional<std::vector<uint8_t>> owned;
};

struct sfnt_face_info {
  uint32_t version = 0;
  uint16_t search_range = 0;  // the three search fields are carried over, never recomputed
  uint16_t entry_selector = 0;
  uint16_t range_shift = 0;
  std::vector<sfnt_table> tables;  // in the input directory's order
};

// The current bytes of a table: those a pass installed, else its bytes in the loaded file.
std::span<const uint8_t> sfnt_table_bytes(const sfnt_table& table);

// Gives the entry bytes of its own; the loaded file's bytes are left as they were.
void set_sfnt_table_bytes(sfnt_table& table, std::vector<uint8_t> bytes);

// Builds the face from a whole loaded file. The offset table, the whole directory and every
// table extent must lie in `file`; otherwise nothing, with the reason in `error` (a line
// for standard error).
std::optional<sfnt_face_info> parse_sfnt_face_info(std::span<const uint8_t> file,
                                                   std::string& error);

// The first entry whose tag equals the first four bytes of `tag`, compared case-sensitively.
std::optional<size_t> find_sfnt_table_index(const sfnt_face_info& face, std::string_view tag);

enum class sfnt_write_status {
  written,
  failed,  // reported on standard error; whatever file had the name keeps its bytes
};

// Writes the face as a single-face file to `path`, atomically (see fontio/output_file.h).
sfnt_write_status write_sfnt_face(const std::string& path, const sfnt_face_info& face);

// The bytes write_sfnt_face puts in the file (offset table, directory, then the padded
// tables), written to `stream`; false after a failed write, reported with perror("fwrite").
// The caller has made sure the face lays out below 4 GiB.
bool write_sfnt_face_to_stream(std::FILE* stream, const sfnt_face_info& face);
