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
#include <string>
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

// Why a table or a face could not be added. A failed read is reported where it happens,
// naming the file; a full pool is for the caller to report.
enum class ttc_refusal { unread, pool_full };

// The result of adding a table: the pool entry that holds it, shared or new, or why there
// is none.
struct ttc_table_added {
  std::optional<int32_t> entry;
  std::optional<ttc_refusal> refusal;  // set exactly when `entry` is not
};

// What a new entry keeps of an extent: the extent itself (its file must then stay open until
// the collection is written), or a copy of its bytes read now (the file may be closed).
enum class ttc_keep { in_place, copy };

class ttc_info;

// The entry with the table's tag and bytes, else a new entry that takes over the table's
// bytes. This is the one rule by which tables are shared: same tag, same bytes. Bytes are
// compared only when they could differ: two references to one place (an extent of one open
// file, or a view of held bytes, at one start and of one length) hold the same bytes.
// Reads the bytes to sum, compare and hash them as needed (a checksum the table comes with
// is taken as it is); `room` is reading room kept from one call to the next.
ttc_table_added ttc_add_table(ttc_info& info, sfnt_table table, ttc_keep keep,
                              std::vector<uint8_t>& room);

// Gives entry `index` the same bytes held elsewhere (a table set aside in a scratch file).
void ttc_move_table_bytes(ttc_info& info, size_t index, table_bytes same_bytes);

// Appends `table` (with the checksum of its bytes) as an entry that takes no part in
// sharing: it is filed in none of the pool's indexes, so no table that ttc_add_table adds,
// before or after, is ever shared with it. For a collection rebuilt from another's entries,
// which were shared when first added, with reading none of them again. Nothing when the
// pool is full.
std::optional<int32_t> ttc_append_unshared(ttc_info& info, ttc_table table);

// A collection: its faces, in collection order, and the pool, whose entries ttc_add_table
// adds, so that every entry is filed where the sharing rule looks for it (or, for entries
// that take no part in sharing, ttc_append_unshared).
class ttc_info {
 public:
  uint32_t version = 0x00010000;                       // TTC header version, as read
  std::vector<std::shared_ptr<const ttc_face>> faces;  // in collection order, never null

  // The pool; an entry's position is its index.
  const std::vector<ttc_table>& tables() const { return tables_; }

  // Whether the pool holds a table of this tag and length.
  bool holds_shape(const sfnt_tag& tag, uint64_t length) const {
    return by_shape_.contains({tag, length});
  }

 private:
  // Where to find the entries a new table may share. A table that is the only one of its
  // tag and length is compared with the one entry directly, so the glyph data that a
  // family's faces share is read once to be compared and never hashed. Once a shape has two
  // entries, every entry of it is filed by its content hash, and a new table costs one
  // lookup.
  struct shape {
    int32_t first = -1;
    bool hashed = false;
  };
  // Where an entry's bytes are when they are not its own: the open file or the held bytes,
  // and the offset in them.
  using place = std::tuple<sfnt_tag, const void*, uint64_t, uint64_t>;

  std::vector<ttc_table> tables_;
  std::map<std::pair<sfnt_tag, uint64_t>, shape> by_shape_;
  std::map<std::tuple<sfnt_tag, uint64_t, uint64_t>, std::vector<int32_t>> by_content_;
  std::map<place, int32_t> by_place_;
  ttc_hash_key key_ = ttc_new_hash_key();

  friend struct ttc_pool;
  friend ttc_table_added ttc_add_table(ttc_info&, sfnt_table, ttc_keep, std::vector<uint8_t>&);
  friend void ttc_move_table_bytes(ttc_info&, size_t, table_bytes);
  friend std::optional<int32_t> ttc_append_unshared(ttc_info&, ttc_table);
};

// Appends `face` as a new face of the collection, each of its tables added in directory
// order by ttc_add_table. Nothing is appended when a table is refused, and the refusal is
// returned.
std::optional<ttc_refusal> ttc_add_face(ttc_info& info, sfnt_face_info face, ttc_keep keep,
                                        std::vector<uint8_t>& room);

// Face `face` as a face of its own: each table a view of the entry's bytes held in memory,
// or the extent it is, with the entry's checksum.
sfnt_face_info ttc_face_tables(const ttc_info& info, size_t face);
