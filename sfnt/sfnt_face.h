// One face of an sfnt font: its offset-table fields and one entry per directory record, in
// directory order; and the one writer of a single-face font file (offset table, directory,
// then the tables back to back in directory order, each padded with zeros to a multiple of
// 4, with offsets laid out afresh). facemend, facesplit and the collection writer all build
// on it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "sfnt/sfnt_directory.h"
#include "sfnt/table_bytes.h"

struct sfnt_table {
  sfnt_tag tag{};
  // A view of the table in the loaded file, or an extent of the open file, until a pass
  // gives the entry bytes of its own; passes copy before they change.
  table_bytes bytes;
  // The directory checksum of `bytes` when it is already known (a collection's tables are
  // summed once, when it is read); set_sfnt_table_bytes forgets it.
  std::optional<uint32_t> checksum;
};

struct sfnt_face_info {
  sfnt_header header;
  std::vector<sfnt_table> tables;  // in the input directory's order
};

// The face whose directory `dir` was read from `file`: each table a part of `file`.
sfnt_face_info sfnt_face_from_directory(const table_bytes& file, const sfnt_directory& dir);
// The tables would view a temporary copy: pass a span of bytes kept alive instead.
sfnt_face_info sfnt_face_from_directory(const std::vector<uint8_t>& file,
                                        const sfnt_directory& dir) = delete;

// The first entry whose tag equals the first four bytes of `tag`, compared case-sensitively.
std::optional<size_t> find_sfnt_table_index(const sfnt_face_info& face, std::string_view tag);

// The bytes of a table held in memory: those a pass installed, else its bytes in the
// loaded file.
std::span<const uint8_t> sfnt_table_bytes(const sfnt_table& table);

// Gives the entry bytes of its own; the loaded file's bytes are left as they were.
void set_sfnt_table_bytes(sfnt_table& table, std::vector<uint8_t> bytes);

// The size of the face as written.
uint64_t sfnt_face_size(const sfnt_face_info& face);

// The directory checksum of a table: the one known, else summed from its bytes in memory
// (a table read from a file must come with its checksum).
uint32_t sfnt_table_checksum(const sfnt_table& table);

// The directory records of the face as written: tables back to back after the directory,
// in directory order, each padded to a multiple of 4, with their checksums.
std::vector<sfnt_record> sfnt_face_layout(const sfnt_face_info& face);

// Writes the face as a single-face font at the stream's position: the offset table, the
// directory of `records` (the face's layout), then each table padded; false after a failed
// read has been handed on, or a failed write or a lack of memory noted on the stream. The
// caller has made sure that the face lays out below 4 GiB.
bool write_sfnt_face_to_stream(output_stream& stream, const sfnt_face_info& face,
                               std::span<const sfnt_record> records, extent_copy how);
