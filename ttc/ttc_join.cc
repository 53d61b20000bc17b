#include "ttc/ttc_join.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "sfnt/checksum.h"

namespace {

// What a first pass over the tables of one tag and length found: the first table's
// checksum, and for each table whether it holds the first one's bytes. Tables are numbered
// across the faces, face by face in directory order.
struct shape_pass {
  std::vector<size_t> members;  // in order; the first is the first table of the shape
  std::vector<bool> same_as_first;
  uint32_t first_checksum = 0;
};

// Compares every member with the first, a piece of each in turn, summing the first as it
// passes; nothing after a failed read has been reported.
bool compare_with_first(const sfnt_tag& tag, const std::vector<const table_bytes*>& bytes,
                        shape_pass& pass, std::vector<uint8_t>& room) {
  const table_bytes& first = *bytes[0];
  pass.same_as_first.assign(bytes.size(), true);
  std::vector<size_t> open;  // members not yet found to differ, that need reading
  for (size_t m = 1; m < bytes.size(); ++m)
    if (!same_table_place(first, *bytes[m])) open.push_back(m);
  std::vector<uint8_t> other_room;
  const uint64_t length = table_length(first);
  for (uint64_t done = 0; done < length; done += table_piece) {
    const size_t size = piece_length(length, done);
    const auto piece = read_table_piece(first, done, size, room);
    if (!piece) return false;
    pass.first_checksum = sfnt_directory_checksum_add(pass.first_checksum, tag, done, *piece);
    std::vector<size_t> still_open;
    for (const size_t m : open) {
      const auto other = read_table_piece(*bytes[m], done, size, other_room);
      if (!other) return false;
      if (std::equal(piece->begin(), piece->end(), other->begin()))
        still_open.push_back(m);
      else
        pass.same_as_first[m] = false;
    }
    open.swap(still_open);
  }
  return true;
}

// Tables shorter than this are compared as ttc_add_table compares them: reading the first
// one again costs a single read, less than keeping track of them all.
constexpr uint64_t kSideBySideFrom = table_piece;

// The first passes over every tag and length of at least kSideBySideFrom bytes that several
// tables of `faces` have and the pool has none of, keyed by the number of the shape's first
// table; nothing after a failed read has been reported.
std::optional<std::map<size_t, shape_pass>> first_passes(const ttc_info& info,
                                                         const std::vector<sfnt_face_info>& faces,
                                                         std::vector<uint8_t>& room) {
  std::map<std::pair<sfnt_tag, uint64_t>, std::vector<const sfnt_table*>> by_shape;
  std::map<std::pair<sfnt_tag, uint64_t>, shape_pass> passes;
  size_t number = 0;
  for (const sfnt_face_info& face : faces) {
    for (const sfnt_table& table : face.tables) {
      const std::pair<sfnt_tag, uint64_t> shape{table.tag, table_length(table.bytes)};
      if (shape.second >= kSideBySideFrom && !info.holds_shape(shape.first, shape.second)) {
        by_shape[shape].push_back(&table);
        passes[shape].members.push_back(number);
      }
      ++number;
    }
  }
  std::map<size_t, shape_pass> found;
  for (auto& [shape, pass] : passes) {
    if (pass.members.size() < 2) continue;
    std::vector<const table_bytes*> bytes;
    for (const sfnt_table* table : by_shape[shape]) bytes.push_back(&table->bytes);
    if (!compare_with_first(shape.first, bytes, pass, room)) return std::nullopt;
    found.emplace(pass.members[0], std::move(pass));
  }
  return found;
}

}  // namespace

std::optional<ttc_refusal> ttc_add_faces(ttc_info& info, std::vector<sfnt_face_info> faces,
                                         std::vector<uint8_t>& room) {
  const std::optional<std::map<size_t, shape_pass>> passes = first_passes(info, faces, room);
  if (!passes) return ttc_refusal::unread;
  // For each table known to hold its shape's first table's bytes, that first table.
  std::map<size_t, size_t> first_of;
  for (const auto& [first, pass] : *passes)
    for (size_t m = 1; m < pass.members.size(); ++m)
      if (pass.same_as_first[m]) first_of[pass.members[m]] = first;
  std::vector<int32_t> entry_of;  // each table's pool entry, once added
  for (sfnt_face_info& face : faces) {
    ttc_face added{face.header, {}};
    for (sfnt_table& table : face.tables) {
      const size_t number = entry_of.size();
      if (const auto first = first_of.find(number); first != first_of.end()) {
        // Named by the first table's place, the table is shared without being read again.
        const ttc_table& entry = info.tables()[static_cast<size_t>(entry_of[first->second])];
        table.bytes = table_slice(entry.bytes, 0, table_length(entry.bytes));
        table.checksum = entry.checksum;
      } else if (const auto pass = passes->find(number); pass != passes->end()) {
        table.checksum = pass->second.first_checksum;
      }
      const ttc_table_added entry = ttc_add_table(info, std::move(table), ttc_keep::in_place, room);
      if (!entry.entry) return entry.refusal;
      entry_of.push_back(*entry.entry);
      added.table_indices.push_back(entry_of.back());
    }
    info.faces.push_back(std::make_shared<const ttc_face>(std::move(added)));
  }
  return std::nullopt;
}
