// A TrueType Collection in memory: faces that list, in directory order, the tables of one
// shared pool, and the operations that build it. Tables are shared by content when fonts
// are joined, and by tag and file offset when a collection file is read. A pool entry holds
// its bytes, or names where they lie in one of the collection's sources: a program that
// joins large fonts then copies each distinct table once, when it writes, instead of
// holding them all in fresh memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "fontio/byte_fields.h"
#include "fontio/font_source.h"

// The pool and each face's directory hold at most what the 16-bit numTables field of an
// offset table can count; adding past that is refused rather than wrapped.
inline constexpr size_t ttc_max_tables = 65535;

// A file whose tables may stay where they are until the collection is written. The
// collection keeps it open; its owner closes it with ttc_close_sources.
struct ttc_source {
  std::string name;  // for messages
  font_source file;
};

// Where the bytes of an entry that does not hold them lie.
struct ttc_place {
  int32_t source = -1;  // index in ttc_info::sources; -1 when the entry holds its bytes
  uint64_t offset = 0;  // of the table in that source
};

// One pool entry. It owns a copy of the table's bytes, or names their place in a source.
struct ttc_table {
  sfnt_tag tag{};
  uint32_t checksum = 0;      // 0 when added with its bytes (every write recomputes it); of
                              // the bytes as read when placed (every write checks it)
  uint32_t offset = 0;        // file offset it was read from (0 when added by content); each
                              // write then stores where it places the bytes
  uint32_t length = 0;        // without padding
  std::vector<uint8_t> data;  // `length` bytes, then zeros up to a multiple of 4; empty
                              // when placed
  ttc_place place;
  std::optional<uint64_t> hash;  // ttc_content_hash of the bytes, once known
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

// The pool entries of one tag and length, in pool order. An entry that holds its bytes is
// hashed only once a second entry of that shape arrives; until then a table is compared
// with the one entry directly, so the glyph data that a family's faces share is read once
// to be compared and never hashed. Every entry of a shape of two or more has its hash.
struct ttc_shape {
  std::vector<int32_t> indices;
};

struct ttc_info {
  uint32_t version = 0x00010000;  // TTC header version, written unchanged
  std::vector<ttc_face> faces;
  std::vector<ttc_table> tables;    // the pool; an entry's position is its index
  std::vector<ttc_source> sources;  // where placed entries lie
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

// Adds a source that placed entries may name, and returns its index.
int32_t ttc_add_source(ttc_info& info, const std::string& name, const font_source& file);

// Closes the files of every source.
void ttc_close_sources(ttc_info& info);

// Appends a new entry whose `length` bytes lie at `place`, with their directory checksum
// and, when known, their ttc_content_hash; -1 (nothing changed) when the pool is full or
// the source is unknown. A placed entry is hashed when a second entry of its shape arrives,
// by reading it: a caller that must know whether that read succeeds hashes it first.
int32_t ttc_place_table(ttc_info& info, const sfnt_tag& tag, uint32_t length,
                        const ttc_place& place, uint32_t checksum, std::optional<uint64_t> hash);

// Sets entry `index`'s hash, reading a placed entry through `room`; false after a failed
// read has been reported (see ttc_table_piece).
bool ttc_hash_entry(ttc_info& info, int32_t index, std::vector<uint8_t>& room);

// The bytes [at, at + size) of entry `index`, within its length: a view of the bytes it
// holds, or its place read into `room`. Nothing after a failed read has been reported,
// naming the source ("NAME: could not be read in full").
std::optional<std::span<const uint8_t>> ttc_table_piece(const ttc_info& info, int32_t index,
                                                        uint64_t at, size_t size,
                                                        std::vector<uint8_t>& room);

// The entries with this tag and length, in pool order: the only ones a table of that
// length can share.
std::span<const int32_t> ttc_entries_of_shape(const ttc_info& info, const sfnt_tag& tag,
                                              uint32_t length);

// The first entry, in pool order, with this tag, length and bytes; -1 when none. A placed
// entry is read to be compared, and one that cannot be read counts as different.
int32_t ttc_find_table(const ttc_info& info, const sfnt_tag& tag, std::span<const uint8_t> data);

// The first entry, in pool order, with this tag that was added with this offset; -1 when
// none. Writes reuse `offset` for their layout and do not change the answer.
int32_t ttc_find_table_by_offset(const ttc_info& info, const sfnt_tag& tag, uint32_t offset);
