#include "tools/join_input.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <optional>
#include <span>

#include "fontio/byte_buffer.h"
#include "fontio/byte_fields.h"
#include "fontio/sfnt_directory.h"
#include "ttc/ttc_reader.h"

namespace {

// Pieces small enough to stay in the processor's cache between the read that fills them and
// the comparison that uses them.
constexpr size_t kPiece = size_t{256} << 10;

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

// Whether the table at `record` holds exactly the bytes of `stored`, of the same length,
// compared piece by piece as it is read. Nothing after a failed read.
std::optional<bool> source_matches(const font_source& source, const sfnt_record& record,
                                   std::span<const uint8_t> stored, std::vector<uint8_t>& scratch) {
  const size_t first_piece = static_cast<size_t>(std::min<uint64_t>(kPiece, record.length));
  if (scratch.size() < first_piece) scratch.resize(first_piece);
  for (uint64_t done = 0; done < record.length; done += kPiece) {
    const size_t piece = static_cast<size_t>(std::min<uint64_t>(kPiece, record.length - done));
    const std::span<uint8_t> bytes = std::span<uint8_t>(scratch).first(piece);
    if (!read_source(source, record.offset + done, bytes)) return std::nullopt;
    if (!std::equal(bytes.begin(), bytes.end(), stored.begin() + static_cast<ptrdiff_t>(done)))
      return false;
  }
  return true;
}

// Why a table could not join the pool. A failed read and a lack of memory are reported
// where they happen; the caller then names the file for a failed read and a full pool.
enum class join_stop { unread, no_memory, pool_full };

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
  if (!read_source(source, record.offset, std::span<uint8_t>(data).first(record.length))) {
    stop = join_stop::unread;
    return std::nullopt;
  }
  return data;
}

// The pool index of the table at `record`: an identical entry's, or a new entry's; nothing
// when it could not join. With one candidate the table is compared as it is read, so the
// glyph data that a family's faces share is never held twice; with more, it is read whole
// and found by its hash among them.
std::optional<int32_t> join_table(ttc_info& info, const font_source& source,
                                  const sfnt_record& record, std::vector<uint8_t>& scratch,
                                  join_stop& stop) {
  const std::span<const int32_t> candidates = ttc_entries_of_shape(info, record.tag, record.length);
  if (candidates.size() == 1) {
    const ttc_table& stored = info.tables[static_cast<size_t>(candidates[0])];
    const std::optional<bool> same = source_matches(source, record, stored.data, scratch);
    if (!same) stop = join_stop::unread;
    if (!same) return std::nullopt;
    if (*same) return candidates[0];
  }
  std::optional<std::vector<uint8_t>> data = read_table(source, record, stop);
  if (!data) return std::nullopt;
  if (candidates.size() > 1) {
    const int32_t found =
        ttc_find_table(info, record.tag, std::span<const uint8_t>(*data).first(record.length));
    if (found >= 0) return found;
  }
  const int32_t added = ttc_adopt_table(info, record.tag, 0, record.length, std::move(*data));
  if (added < 0) stop = join_stop::pool_full;
  if (added < 0) return std::nullopt;
  return added;
}

// Reports a join that stopped, naming the file where nothing has named it yet; always -1.
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
                  std::vector<uint8_t>& scratch) {
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
    const std::optional<int32_t> index = join_table(info, source, record, scratch, stop);
    if (!index) return report_stop(path, stop);
    face.table_indices.push_back(*index);
  }
  return 0;
}
