// A TrueType Collection in memory: faces that list, in directory order, the tables of one
// shared pool, and the operations that build it. Tables are shared by content when fonts
// are joined, and by tag and file offset when a collection file is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <utility>
#include <vector>

#include "fontio/byte_fields.h"

// The pool and each face's directory hold at most what the 16-bit numTables field of an
// offset table can count; adding past that is refused rather than wrapped.
inline constexpr size_t ttc_max_tables = 65535;

// One pool entry. The entry owns its copy of the table's bytes.
struct ttc_table {
  sfnt_tag tag{};
  uint32_t checksum = 0;      // 0 when added; every write recomputes it
  uint32_t offset = 0;        // file offset it was read from (0 when added by content); each
                              // write then stores where it places the bytes
  uint32_t length = 0;        // without padding
  std::vector<uint8_t> data;  // `length` bytes, then zeros up to a multiple of 4
};

// One face: the fields of its offset table and the pool index of each directory entry.
// The search fields are carried as given, never recomputed.
struct ttc_face {
  uint32_t offset = 0;  // of its offset table in a collection file: read, or set by a write
  uint32_t version = 0x00010000;
  uint16_t search_range = 256;  // the values of a 16-table directory
  uint16_t entry_selector = 4;
  uint16_t range_shift = 0;
  std::vector<int32_t> table_indices;
};

// The pool entries of one tag and length, in pool order. Their bytes are hashed only once a
// second entry of that shape arrives; until then a table is compared with the one entry
// directly, so the glyph data that a family's faces share is read once to be compared and
// never hashed.
struct ttc_shape {
  std::vector<int32_t> indices;
  std::vector<uint64_t> hashes;  // of each entry's bytes once there are two entries, else empty
};

struct ttc_info {
  uint32_t version = 0x00010000;  // TTC header version, written unchanged
  std::vector<ttc_face> faces;
  std::vector<ttc_table> tables;  // the pool; an entry's position is its index
  // Lookups kept by the functions that append to the pool, so that sharing costs no scan
  // of the pool: entries by tag and length, and the first entry of each tag and offset
  // given when it was added.
  std::map<std::pair<sfnt_tag, uint32_t>, ttc_shape> by_shape;
  std::map<std::pair<sfnt_tag, uint32_t>, int32_t> by_offset;
};

// `length` rounded up to a multiple of 4.
inline uint64_t ttc_padded_length(uint64_t length) {
  return (length + 3) & ~uint64_t{3};
}

ttc_info create_ttc_info(uint32_t version);

// Appends a face with the default fields and no tables; returns its index.
size_t ttc_create_face(ttc_info& info);

// Adds a table to the end of a face's directory, sharing an identical pool entry. Returns
// the pool index, or -1 (nothing changed) when the face's directory or the pool is full.
int32_t ttc_add_table_to_face(ttc_info& info, size_t face, const sfnt_tag& tag,
                              std::span<const uint8_t> data);

// The index of the first entry with this tag and these bytes, else of a new entry with
// source offset 0; -1 when the pool is full.
int32_t ttc_add_table(ttc_info& info, const sfnt_tag& tag, std::span<const uint8_t> data);

// Always appends a new entry holding a copy of `data`; -1 when the pool is full or the
// table is too long for a 32-bit length.
int32_t ttc_add_table_direct(ttc_info& info, const sfnt_tag& tag, uint32_t offset,
                             std::span<const uint8_t> data);

// Appends a new entry that takes over `data`: `length` bytes of the table, then zeros up to
// a multiple of 4. For readers that read a table straight into the buffer it will live in;
// -1 (nothing changed) when the pool is full or `data` is not so shaped.
int32_t ttc_adopt_table(ttc_info& info, const sfnt_tag& tag, uint32_t offset, uint32_t length,
                        std::vector<uint8_t>&& data);

// The entries with this tag and length, in pool order: the only ones a table of that
// length can share.
std::span<const int32_t> ttc_entries_of_shape(const ttc_info& info, const sfnt_tag& tag,
                                              uint32_t length);

// The first entry, in pool order, with this tag, length and bytes; -1 when none.
int32_t ttc_find_table(const ttc_info& info, const sfnt_tag& tag, std::span<const uint8_t> data);

// The first entry, in pool order, with this tag that was added with this offset; -1 when
// none. Writes reuse `offset` for their layout and do not change the answer.
int32_t ttc_find_table_by_offset(const ttc_info& info, const sfnt_tag& tag, uint32_t offset);
