// A TrueType Collection in memory: faces that list, in directory order, the tables of one
// shared pool, and the one way to add a table to the pool, sharing an identical entry. A
// pool entry's bytes may be its own, a view of a loaded file, or an extent of an open input
// (see sfnt/table_bytes.h): a program that joins or splits large fonts then never holds
// their tables in fresh memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "sfnt/sfnt_directory.h"
#include "sfnt/sfnt_face.h"
#include "sfnt/table_bytes.h"
#include "ttc/content_hash.h"

// The pool and each face's directory hold at most what the 16-bit numTables field of an
// offset table can count; adding past that is refused rather than wrapped.
inline constexpr size_t ttc_max_tables = 65535;

struct ttc_table {
  sfnt_tag tag{};
  table_bytes bytes;
  uint32_t checksum = 0;  // the directory checksum of `bytes`, summed when the entry was added
};

// The part of a pool entry that a directory entry names instead of the whole entry: faces
// that share glyph data each name their own window of one glyph table.
struct ttc_window {
  uint64_t offset = 0;
  uint64_t length = 0;
  uint32_t checksum = 0;  // the directory checksum of the window's bytes
};

// One face: the fields of its offset table and the pool index of each directory entry.
// Faces that a collection points at one offset table share one ttc_face, so that a face
// that repeats another costs a pointer, not a copy of its directory.
struct ttc_face {
  sfnt_header header;
  std::vector<int32_t> table_indices;
  std::map<size_t, ttc_window> windows{};  // by directory position; most faces have none
};

// Where to find the entries a new table may share. A table that is the only one of its tag
// and length is compared with the one entry directly, so the glyph data that a family's
// faces share is read once to be compared and never hashed. Once a shape has two entries,
// every entry of it is filed by its content hash, and a new table costs one lookup.
struct ttc_shape {
  int32_t first = -1;
  bool hashed = false;
};

struct ttc_info {
  uint32_t version = 0x00010000;                       // TTC header version, written unchanged
  std::vector<std::shared_ptr<const ttc_face>> faces;  // in collection order, never null
  std::vector<ttc_table> tables;                       // the pool; an entry's position is its index
  std::map<std::pair<sfnt_tag, uint64_t>, ttc_shape> by_shape;
  std::map<std::tuple<sfnt_tag, uint64_t, uint64_t>, std::vector<int32_t>> by_content;
  ttc_hash_key key = ttc_new_hash_key();
};

// Why a table could not be added. A failed read is reported where it happens, naming the
// file; a full pool is for the caller to report.
enum class ttc_refusal { unread, pool_full };

struct ttc_added {
  std::optional<int32_t> index;  // the entry's, unless refused
  ttc_refusal refusal = ttc_refusal::unread;
};

// What a new entry keeps of an extent: the extent itself (its file must then stay open until
// the collection is written), or a copy of its bytes read now (the file may be closed).
enum class ttc_keep { in_place, copy };

// The index of an entry with the table's tag and bytes, else of a new entry that takes over
// the table's bytes. Reads the bytes to sum, compare and hash them as needed (a checksum
// the table comes with is taken as it is); `room` is reading room kept from one call to the
// next.
ttc_added ttc_add_table(ttc_info& info, sfnt_table table, ttc_keep keep,
                        std::vector<uint8_t>& room);

// Appends `face` as a new face of the collection, each of its tables added in directory
// order by ttc_add_table. Nothing is appended when a table is refused.
ttc_added ttc_add_face(ttc_info& info, sfnt_face_info face, ttc_keep keep,
                       std::vector<uint8_t>& room);

// Face `face` as a face of its own: each table a view of the entry's bytes held in memory,
// or the extent it is, with the entry's checksum.
sfnt_face_info ttc_face_tables(const ttc_info& info, size_t face);

// Appends an entry that shares nothing by content (a collection reader shares by offset),
// with its checksum; -1 when the pool is full.
int32_t ttc_append_table(ttc_info& info, ttc_table table);
