#include "ttc/ttc_model.h"

#include <utility>

#include "sfnt/checksum.h"

// The pool's indexes, kept by the few functions that add to them.
struct ttc_pool {
  // The directory checksum and, when asked for, the content hash of a table, summed as it
  // is read once.
  struct sums {
    uint32_t checksum = 0;
    std::optional<uint64_t> hash;
  };

  static std::optional<sums> sum_table(const ttc_info& info, const sfnt_tag& tag,
                                       const table_bytes& bytes, bool with_hash,
                                       std::vector<uint8_t>& room) {
    const uint64_t length = table_length(bytes);
    sums result;
    ttc_hash_state hash = ttc_hash_start(info.key_);
    for (uint64_t done = 0; done < length; done += table_piece) {
      const auto piece = read_table_piece(bytes, done, piece_length(length, done), room);
      if (!piece) return std::nullopt;
      result.checksum = sfnt_directory_checksum_add(result.checksum, tag, done, *piece);
      if (with_hash) ttc_hash_add(hash, *piece);
    }
    if (with_hash) result.hash = ttc_hash_end(hash);
    return result;
  }

  // The place of a reference to bytes held elsewhere; nothing for bytes of its own, which
  // another table can never name.
  static std::optional<ttc_info::place> place_of(const sfnt_tag& tag, const table_bytes& bytes) {
    const uint64_t length = table_length(bytes);
    if (const auto* extent = std::get_if<file_extent>(&bytes))
      return ttc_info::place{tag, extent->file, extent->offset, length};
    if (const auto* view = std::get_if<std::span<const uint8_t>>(&bytes))
      return ttc_info::place{tag, view->data(), 0, length};
    return std::nullopt;
  }

  // Files entry `index` under its content hash.
  static void file_by_content(ttc_info& info, int32_t index, uint64_t hash) {
    const ttc_table& table = info.tables_[static_cast<size_t>(index)];
    info.by_content_[{table.tag, table_length(table.bytes), hash}].push_back(index);
  }

  // The first entry among those filed under this hash that holds the same bytes; -1 when
  // none, nothing after a failed read.
  static std::optional<int32_t> find_by_content(const ttc_info& info, const sfnt_tag& tag,
                                                const table_bytes& bytes, uint64_t hash,
                                                std::vector<uint8_t>& room) {
    const auto found = info.by_content_.find({tag, table_length(bytes), hash});
    if (found == info.by_content_.end()) return -1;
    std::vector<uint8_t> entry_room;
    for (const int32_t index : found->second) {
      const std::optional<bool> same =
          same_table_bytes(bytes, info.tables_[static_cast<size_t>(index)].bytes, room, entry_room);
      if (!same) return std::nullopt;
      if (*same) return index;
    }
    return -1;
  }

  // Hashes the one entry of a shape that is about to get a second one, and files it.
  static bool file_first_of_shape(ttc_info& info, ttc_info::shape& shape,
                                  std::vector<uint8_t>& room) {
    const ttc_table& first = info.tables_[static_cast<size_t>(shape.first)];
    const std::optional<sums> summed = sum_table(info, first.tag, first.bytes, true, room);
    if (!summed) return false;
    file_by_content(info, shape.first, *summed->hash);
    shape.hashed = true;
    return true;
  }

  // The shape's one entry when it holds the bytes, -1 when the shape has none or is hashed
  // (after hashing its one entry when it differs); nothing after a failed read.
  static std::optional<int32_t> find_first(ttc_info& info, ttc_info::shape& shape,
                                           const table_bytes& bytes, std::vector<uint8_t>& room) {
    if (shape.first < 0 || shape.hashed) return -1;
    std::vector<uint8_t> entry_room;
    const std::optional<bool> same = same_table_bytes(
        bytes, info.tables_[static_cast<size_t>(shape.first)].bytes, room, entry_room);
    if (!same) return std::nullopt;
    if (*same) return shape.first;
    if (!file_first_of_shape(info, shape, entry_room)) return std::nullopt;
    return -1;
  }

  // Appends the entry and files it in every index.
  static int32_t append(ttc_info& info, ttc_info::shape& shape, ttc_table table,
                        const std::optional<uint64_t>& hash) {
    const std::optional<ttc_info::place> place = place_of(table.tag, table.bytes);
    info.tables_.push_back(std::move(table));
    const auto index = static_cast<int32_t>(info.tables_.size() - 1);
    if (shape.first < 0) shape.first = index;
    if (hash) file_by_content(info, index, *hash);
    if (place) info.by_place_.try_emplace(*place, index);
    return index;
  }
};

ttc_table_added ttc_add_table(ttc_info& info, sfnt_table table, ttc_keep keep,
                              std::vector<uint8_t>& room) {
  const sfnt_tag& tag = table.tag;
  table_bytes& bytes = table.bytes;
  const std::optional<ttc_info::place> place = ttc_pool::place_of(tag, bytes);
  if (place) {
    if (const auto known = info.by_place_.find(*place); known != info.by_place_.end())
      return {known->second, std::nullopt};
  }
  const ttc_table_added unread{std::nullopt, ttc_refusal::unread};
  ttc_info::shape& shape = info.by_shape_[{tag, table_length(bytes)}];
  const std::optional<int32_t> first = ttc_pool::find_first(info, shape, bytes, room);
  if (!first) return unread;
  if (*first >= 0) return {first, std::nullopt};
  std::optional<ttc_pool::sums> sums;
  if (table.checksum && !shape.hashed)
    sums = ttc_pool::sums{*table.checksum, std::nullopt};
  else
    sums = ttc_pool::sum_table(info, tag, bytes, shape.hashed, room);
  if (!sums) return unread;
  if (sums->hash) {
    const std::optional<int32_t> found =
        ttc_pool::find_by_content(info, tag, bytes, *sums->hash, room);
    if (!found) return unread;
    if (*found >= 0) return {found, std::nullopt};
  }
  if (info.tables_.size() >= ttc_max_tables) return {std::nullopt, ttc_refusal::pool_full};
  if (keep == ttc_keep::copy && std::holds_alternative<file_extent>(bytes)) {
    std::optional<std::vector<uint8_t>> copy = copy_table_bytes(bytes, room);
    if (!copy) return unread;
    bytes = std::move(*copy);
  }
  return {ttc_pool::append(info, shape, {tag, std::move(bytes), sums->checksum}, sums->hash),
          std::nullopt};
}

void ttc_move_table_bytes(ttc_info& info, size_t index, table_bytes same_bytes) {
  ttc_table& table = info.tables_[index];
  if (const auto place = ttc_pool::place_of(table.tag, table.bytes)) {
    const auto known = info.by_place_.find(*place);
    if (known != info.by_place_.end() && known->second == static_cast<int32_t>(index))
      info.by_place_.erase(known);
  }
  table.bytes = std::move(same_bytes);
}

std::optional<int32_t> ttc_append_unshared(ttc_info& info, ttc_table table) {
  if (info.tables_.size() >= ttc_max_tables) return std::nullopt;
  info.tables_.push_back(std::move(table));
  return static_cast<int32_t>(info.tables_.size() - 1);
}

std::optional<ttc_refusal> ttc_add_face(ttc_info& info, sfnt_face_info face, ttc_keep keep,
                                        std::vector<uint8_t>& room) {
  ttc_face added{face.header, {}};
  added.table_indices.reserve(face.tables.size());
  for (sfnt_table& table : face.tables) {
    const ttc_table_added entry = ttc_add_table(info, std::move(table), keep, room);
    if (!entry.entry) return entry.refusal;
    added.table_indices.push_back(*entry.entry);
  }
  info.faces.push_back(std::make_shared<const ttc_face>(std::move(added)));
  return std::nullopt;
}

sfnt_face_info ttc_face_tables(const ttc_info& info, size_t face) {
  const ttc_face& listed = *info.faces[face];
  sfnt_face_info single{listed.header, {}};
  single.tables.reserve(listed.table_indices.size());
  for (size_t i = 0; i < listed.table_indices.size(); ++i) {
    const ttc_table& table = info.tables()[static_cast<size_t>(listed.table_indices[i])];
    if (const auto window = listed.windows.find(i); window != listed.windows.end()) {
      const ttc_window& part = window->second;
      single.tables.push_back(
          {table.tag, table_slice(table.bytes, part.offset, part.length), part.checksum});
      continue;
    }
    const uint64_t length = table_length(table.bytes);
    single.tables.push_back({table.tag, table_slice(table.bytes, 0, length), table.checksum});
  }
  return single;
}
