#include "tools/join_input.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <optional>
#include <span>

#include "fontio/byte_buffer.h"
#include "fontio/byte_fields.h"
#include "fontio/checksum.h"
#include "fontio/sfnt_directory.h"
#include "ttc/content_hash.h"
#include "ttc/ttc_reader.h"

namespace {

// Tables are read in the pieces they are hashed in: small enough to stay in the processor's
// cache between the read that fills them and the comparison or sum that uses them.
constexpr size_t kPiece = ttc_hash_piece;

// The first `size` bytes of the source, or as many as it has; nothing after a failed read.
std::optional<std::vector<uint8_t>> read_head(const font_source& source, uint64_t size) {
  std::vector<uint8_t> head(static_cast<size_t>(std::min(size, source.size)));
  if (!read_source(source, 0, head)) return std::nullopt;
  return head;
}

// The directory of a single-face font, or nothing after a message naming the file. A
// collection would have its header taken for an offset table, so it is refused by name.
// `unread` is set when the reason was a failed read, which the caller reports.
std::optional<sfnt_directory> single_face_directory(const std::string& path,
                                                    const font_source& source, bool& unread) {
  std::optional<std::vector<uint8_t>> head = read_head(source, sfnt_directory_size(0));
  if (head && head->size() == sfnt_directory_size(0))
    head = read_head(source, sfnt_directory_size(read_uint16(head->data() + 4)));
  unread = !head;
  if (!head) return std::nullopt;
  std::string problem;
  std::optional<sfnt_directory> dir;
  if (source.size == 0) {
    problem = "empty file";
  } else if (is_collection_file(*head)) {
    problem = "not a single-face font (it is a collection; facesplit splits it)";
  } else {
    dir = read_sfnt_directory_head(*head, source.size, 0, problem);
  }
  if (!dir) std::fprintf(stderr, "%s: %s\n", path.c_str(), problem.c_str());
  return dir;
}

// Why a table could not join the pool. A failed read and a lack of memory are reported
// where they happen; the caller then names the input for a failed read of it and for a
// full pool. A pool entry's source that fails is named where it fails.
enum class join_stop { unread, no_memory, pool_full, pool_unread };

// A table's bytes in `source`.
struct table_extent {
  const font_source* source;
  uint64_t offset;
  uint32_t length;
};

// Whether `table` holds exactly the bytes of pool entry `index`, compared piece by piece as
// it is read. Nothing after a failed read.
std::optional<bool> matches_entry(const ttc_info& info, int32_t index, const table_extent& table,
                                  join_buffers& buffers, join_stop& stop) {
  for (uint64_t done = 0; done < table.length; done += kPiece) {
    const size_t size = ttc_piece_length(table.length, done);
    const std::span<uint8_t> piece = piece_room(buffers.input, size, kPiece);
    stop = join_stop::unread;
    if (!read_source(*table.source, table.offset + done, piece)) return std::nullopt;
    const std::optional<std::span<const uint8_t>> stored =
        ttc_table_piece(info, index, done, size, buffers.pool);
    stop = join_stop::pool_unread;
    if (!stored) return std::nullopt;
    if (!std::equal(piece.begin(), piece.end(), stored->begin())) return false;
  }
  return true;
}

// The first of `candidates` with this hash and the bytes of `table`; -1 when none, nothing
// after a failed read.
std::optional<int32_t> find_candidate(const ttc_info& info, std::span<const int32_t> candidates,
                                      uint64_t hash, const table_extent& table,
                                      join_buffers& buffers, join_stop& stop) {
  for (const int32_t index : candidates) {
    if (info.tables[static_cast<size_t>(index)].hash != hash) continue;
    const std::optional<bool> same = matches_entry(info, index, table, buffers, stop);
    if (!same) return std::nullopt;
    if (*same) return index;
  }
  return -1;
}

// The directory checksum of a table and, when asked for, its content hash, summed piece by
// piece as it is read.
struct table_sums {
  uint32_t checksum = 0;
  std::optional<uint64_t> hash;
};

std::optional<table_sums> sum_table(const font_source& source, const sfnt_record& record,
                                    bool with_hash, std::vector<uint8_t>& room) {
  table_sums sums;
  if (with_hash) sums.hash = ttc_hash_start(record.length);
  for (uint64_t done = 0; done < record.length; done += kPiece) {
    const size_t size = ttc_piece_length(record.length, done);
    const std::span<uint8_t> piece = piece_room(room, size, kPiece);
    if (!read_source(source, record.offset + done, piece)) return std::nullopt;
    sums.checksum = sfnt_directory_checksum_add(sums.checksum, record.tag, done, piece);
    if (with_hash) sums.hash = ttc_hash_add(*sums.hash, piece);
  }
  return sums;
}

// A new or shared entry for a table that stays in its input `keep_in`. A table that may be
// shared is hashed as it is summed; the only table of a shape is not.
std::optional<int32_t> place_table(ttc_info& info, const font_source& source,
                                   const sfnt_record& record, int32_t keep_in,
                                   join_buffers& buffers, join_stop& stop) {
  const std::span<const int32_t> candidates = ttc_entries_of_shape(info, record.tag, record.length);
  const std::optional<table_sums> sums =
      sum_table(source, record, !candidates.empty(), buffers.input);
  stop = join_stop::unread;
  if (!sums) return std::nullopt;
  if (candidates.size() > 1) {
    const table_extent table{&source, record.offset, record.length};
    const std::optional<int32_t> found =
        find_candidate(info, candidates, *sums->hash, table, buffers, stop);
    if (!found || *found >= 0) return found;
  }
  const int32_t added = ttc_place_table(info, record.tag, record.length, {keep_in, record.offset},
                                        sums->checksum, sums->hash);
  stop = join_stop::pool_full;
  if (added < 0) return std::nullopt;
  return added;
}

// The table's bytes in a buffer shaped as a pool entry holds them.
std::optional<std::vector<uint8_t>> read_table(const font_source& source, const sfnt_record& record,
                                               join_stop& stop) {
  std::vector<uint8_t> data;
  try {
    reserve_bytes(data, ttc_padded_length(record.length));
    data.resize(ttc_padded_length(record.length), 0);
  } catch (const std::bad_alloc&) {
    std::fputs("Memory allocation failed.\n", stderr);
    stop = join_stop::no_memory;
    return std::nullopt;
  }
  stop = join_stop::unread;
  if (!read_source(source, record.offset, std::span<uint8_t>(data).first(record.length)))
    return std::nullopt;
  return data;
}

// A new or shared entry for a table that the pool holds.
std::optional<int32_t> hold_table(ttc_info& info, const font_source& source,
                                  const sfnt_record& record, join_buffers& buffers,
                                  join_stop& stop) {
  std::optional<std::vector<uint8_t>> data = read_table(source, record, stop);
  if (!data) return std::nullopt;
  const std::span<const int32_t> candidates = ttc_entries_of_shape(info, record.tag, record.length);
  if (candidates.size() > 1) {
    const std::span<const uint8_t> bytes = std::span<const uint8_t>(*data).first(record.length);
    const font_source held = memory_font_source(bytes);
    const std::optional<int32_t> found = find_candidate(info, candidates, ttc_content_hash(bytes),
                                                        {&held, 0, record.length}, buffers, stop);
    if (!found || *found >= 0) return found;
  }
  const int32_t added = ttc_adopt_table(info, record.tag, 0, record.length, std::move(*data));
  stop = join_stop::pool_full;
  if (added < 0) return std::nullopt;
  return added;
}

// The pool index of the table at `record`: an identical entry's, or a new entry's; nothing
// when it could not join. With one candidate the table is compared as it is read, so the
// glyph data that a family's faces share is read once and never hashed; with more, it is
// found by its hash among them.
std::optional<int32_t> join_table(ttc_info& info, const font_source& source,
                                  const sfnt_record& record, int32_t keep_in, join_buffers& buffers,
                                  join_stop& stop) {
  const std::span<const int32_t> candidates = ttc_entries_of_shape(info, record.tag, record.length);
  if (candidates.size() == 1) {
    const std::optional<bool> same =
        matches_entry(info, candidates[0], {&source, record.offset, record.length}, buffers, stop);
    if (!same) return std::nullopt;
    if (*same) return candidates[0];
    // The entry is about to share its shape, and is hashed by reading it if it is placed.
    stop = join_stop::pool_unread;
    if (!ttc_hash_entry(info, candidates[0], buffers.pool)) return std::nullopt;
  }
  if (keep_in >= 0) return place_table(info, source, record, keep_in, buffers, stop);
  return hold_table(info, source, record, buffers, stop);
}

// Reports a join that stopped, naming the input where nothing has named it yet; always -1.
int report_stop(const std::string& path, join_stop stop) {
  if (stop == join_stop::unread)
    std::fprintf(stderr, "%s: could not be read in full\n", path.c_str());
  if (stop == join_stop::pool_full)
    std::fprintf(stderr, "%s: the collection would hold more than %zu distinct tables\n",
                 path.c_str(), ttc_max_tables);
  return -1;
}

}  // namespace

int add_font_file(ttc_info& info, const std::string& path, const font_source& source,
                  int32_t keep_in, join_buffers& buffers) {
  bool unread = false;
  const std::optional<sfnt_directory> dir = single_face_directory(path, source, unread);
  if (!dir) return unread ? report_stop(path, join_stop::unread) : -1;

  ttc_face& face = info.faces[ttc_create_face(info)];
  face.version = dir->version;
  face.search_range = dir->search_range;
  face.entry_selector = dir->entry_selector;
  face.range_shift = dir->range_shift;
  for (const sfnt_record& record : dir->records) {
    join_stop stop = join_stop::pool_full;
    if (face.table_indices.size() >= ttc_max_tables) return report_stop(path, stop);
    const std::optional<int32_t> index = join_table(info, source, record, keep_in, buffers, stop);
    if (!index) return report_stop(path, stop);
    face.table_indices.push_back(*index);
  }
  return 0;
}
