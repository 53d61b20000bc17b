#include "ttc/glyph_share.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <utility>

#include "sfnt/checksum.h"
#include "sfnt/sfnt_directory.h"
#include "ttc/glyph_merge.h"
#include "ttc/ttc_writer.h"

namespace {

// A face whose glyphs are shared: where its tables stand in its directory, and its records.
struct sharing_face {
  size_t face = 0;
  size_t glyf_at = 0, loca_at = 0, head_at = 0;
  glyf_shape shape;
  std::vector<glyf_record> records;
  std::span<const uint8_t> head;
};

// Pool entries read into memory, each once however many faces list it.
using held_entries = std::map<int32_t, std::vector<uint8_t>>;

std::optional<size_t> position_of(const ttc_info& info, const ttc_face& face,
                                  std::string_view tag) {
  for (size_t i = 0; i < face.table_indices.size(); ++i)
    if (info.tables()[static_cast<size_t>(face.table_indices[i])].tag == make_tag(tag)) return i;
  return std::nullopt;
}

// The bytes of the entry at directory position `at`; nothing after a reported failed read.
std::optional<std::span<const uint8_t>> entry_bytes(const ttc_info& info, const ttc_face& face,
                                                    size_t at, held_entries& held,
                                                    std::vector<uint8_t>& room) {
  const int32_t index = face.table_indices[at];
  auto found = held.find(index);
  if (found == held.end()) {
    std::optional<std::vector<uint8_t>> bytes =
        copy_table_bytes(info.tables()[static_cast<size_t>(index)].bytes, room);
    if (!bytes) return std::nullopt;
    found = held.emplace(index, std::move(*bytes)).first;
  }
  return std::span<const uint8_t>(found->second);
}

// The face's glyph records when it has TrueType outlines that can be read; nothing, and
// `unread` set, after a failed read.
std::optional<sharing_face> read_sharing_face(const ttc_info& info, size_t index,
                                              held_entries& held, std::vector<uint8_t>& room,
                                              bool& unread) {
  const ttc_face& face = *info.faces[index];
  const auto glyf_at = position_of(info, face, "glyf"), loca_at = position_of(info, face, "loca");
  const auto head_at = position_of(info, face, "head"), maxp_at = position_of(info, face, "maxp");
  if (!glyf_at || !loca_at || !head_at || !maxp_at) return std::nullopt;
  std::optional<std::span<const uint8_t>> bytes[4];
  const size_t at[4] = {*glyf_at, *loca_at, *head_at, *maxp_at};
  for (size_t i = 0; i < 4; ++i) {
    bytes[i] = entry_bytes(info, face, at[i], held, room);
    if (!bytes[i]) {
      unread = true;
      return std::nullopt;
    }
  }
  const std::optional<glyf_shape> shape = read_glyf_shape(*bytes[2], *bytes[3]);
  if (!shape) return std::nullopt;
  std::optional<std::vector<glyf_record>> records = read_glyf_records(*bytes[0], *bytes[1], *shape);
  if (!records) return std::nullopt;
  return sharing_face{index, *glyf_at, *loca_at, *head_at, *shape, std::move(*records), *bytes[2]};
}

std::vector<uint8_t> head_with_format(std::span<const uint8_t> head, bool long_loca) {
  std::vector<uint8_t> copy(head.begin(), head.end());
  write_uint16(copy.data() + head_loca_format_at, long_loca ? 1 : 0);
  return copy;
}

// The offset-table search fields for `num_tables` records.
void set_search_fields(sfnt_header& header, size_t num_tables) {
  uint16_t power = 1, log = 0;
  while (2 * size_t{power} <= num_tables) {
    power = static_cast<uint16_t>(power * 2);
    ++log;
  }
  header.search_range = static_cast<uint16_t>(16 * power);
  header.entry_selector = log;
  header.range_shift = static_cast<uint16_t>(16 * num_tables - 16 * power);
}

// Builds the glyph-shared collection; nothing when the pool would overflow.
struct shared_builder {
  const ttc_info& from;
  ttc_info out;
  std::vector<int32_t> kept;
  int32_t glyf_index = -1;

  int32_t keep(int32_t index) {
    int32_t& entry = kept[static_cast<size_t>(index)];
    if (entry < 0)
      entry = ttc_append_unshared(out, from.tables()[static_cast<size_t>(index)]).value_or(-1);
    return entry;
  }
};

std::optional<int32_t> add_owned(ttc_info& out, std::string_view tag, std::vector<uint8_t> bytes,
                                 std::vector<uint8_t>& room) {
  return ttc_add_table(out, sfnt_table{make_tag(tag), std::move(bytes), std::nullopt},
                       ttc_keep::copy, room)
      .entry;
}

// The face as a face of the glyph-shared collection, naming `window` of the shared glyph
// table (whose bytes there sum to `checksum`); false when the pool is full.
bool add_sharing_face(shared_builder& build, const sharing_face& sharing,
                      const glyph_window& window, uint32_t checksum, std::vector<uint8_t>& room) {
  const ttc_face& face = *build.from.faces[sharing.face];
  ttc_face added{face.header, {}};
  for (size_t i = 0; i < face.table_indices.size(); ++i) {
    const int32_t index = face.table_indices[i];
    if (build.from.tables()[static_cast<size_t>(index)].tag == make_tag("DSIG")) continue;
    std::optional<int32_t> entry;
    if (i == sharing.glyf_at) {
      added.windows[added.table_indices.size()] = {window.offset, window.length, checksum};
      entry = build.glyf_index;
    } else if (i == sharing.loca_at) {
      entry = add_owned(build.out, "loca", window.loca, room);
    } else if (i == sharing.head_at) {
      entry = add_owned(build.out, "head", head_with_format(sharing.head, window.long_loca), room);
    } else {
      entry = build.keep(index);
    }
    if (!entry || *entry < 0) return false;
    added.table_indices.push_back(*entry);
  }
  // A face that loses its signature has fewer tables than its search fields were made for.
  if (added.table_indices.size() != face.table_indices.size())
    set_search_fields(added.header, added.table_indices.size());
  build.out.faces.push_back(std::make_shared<const ttc_face>(std::move(added)));
  return true;
}

// The collection `from` with the faces of `sharing` (in face order) naming their windows
// of `layout`; nothing when the pool would overflow.
std::optional<ttc_info> build_shared(const ttc_info& from, const std::vector<sharing_face>& sharing,
                                     glyph_layout layout, std::vector<uint8_t>& room) {
  std::vector<uint32_t> checksums;
  for (const glyph_window& window : layout.faces)
    checksums.push_back(CalcTableChecksum(
        std::span<const uint8_t>(layout.glyf).subspan(window.offset, window.length)));
  shared_builder build{from, {}, std::vector<int32_t>(from.tables().size(), -1)};
  build.out.version = from.version;
  size_t next = 0;
  for (size_t face = 0; face < from.faces.size(); ++face) {
    if (next < sharing.size() && sharing[next].face == face) {
      if (build.glyf_index < 0) {
        const uint32_t checksum = sfnt_directory_checksum(make_tag("glyf"), layout.glyf);
        build.glyf_index =
            ttc_append_unshared(build.out, {make_tag("glyf"), std::move(layout.glyf), checksum})
                .value_or(-1);
      }
      if (!add_sharing_face(build, sharing[next], layout.faces[next], checksums[next], room))
        return std::nullopt;
      ++next;
      continue;
    }
    ttc_face copy = *from.faces[face];
    for (int32_t& index : copy.table_indices) {
      index = build.keep(index);
      if (index < 0) return std::nullopt;
    }
    build.out.faces.push_back(std::make_shared<const ttc_face>(std::move(copy)));
  }
  return std::move(build.out);
}

// Whether face `i`'s window and loca in `layout` give back its records.
bool face_sound(const glyph_layout& layout, const sharing_face& face, size_t i) {
  const glyph_window& window = layout.faces[i];
  const std::span<const uint8_t> part =
      std::span<const uint8_t>(layout.glyf).subspan(window.offset, window.length);
  return glyph_layout_sound(part, window.loca, {face.shape.num_glyphs, window.long_loca},
                            face.records);
}

// The layout of the faces of `sharing` that can be laid out soundly; the others are taken
// out of `sharing` and keep their glyph tables. A face with a few records between long runs
// of other faces' records can have a span past the limit: without it, the others may not.
glyph_layout lay_out_sound(std::vector<sharing_face>& sharing) {
  while (true) {
    std::vector<std::vector<glyf_record>> records;
    for (sharing_face& face : sharing) records.push_back(std::move(face.records));
    glyph_layout layout = lay_out_shared_glyphs(records);
    for (size_t i = 0; i < sharing.size(); ++i) sharing[i].records = std::move(records[i]);
    std::vector<sharing_face> sound;
    for (size_t i = 0; i < sharing.size(); ++i)
      if (face_sound(layout, sharing[i], i)) sound.push_back(std::move(sharing[i]));
    const bool all = sound.size() == sharing.size();
    sharing = std::move(sound);
    if (all) return layout;
  }
}

}  // namespace

bool glyph_layout_sound(std::span<const uint8_t> window, std::span<const uint8_t> loca,
                        const glyf_shape& shape, const std::vector<glyf_record>& records) {
  const std::optional<std::vector<glyf_record>> read = read_glyf_records(window, loca, shape);
  if (!read || read->size() != records.size()) return false;
  uint64_t end = 0;
  for (size_t glyph = 0; glyph < records.size(); ++glyph) {
    const glyf_record& was = records[glyph];
    const glyf_record& is = (*read)[glyph];
    end += is.span_length;
    if (was.parsed != is.parsed ||
        !std::equal(was.bytes.begin(), was.bytes.end(), is.bytes.begin(), is.bytes.end()))
      return false;
    if (is.span_length > glyph_span_limit && is.span_length != glyf_record_size(was)) return false;
  }
  // The first glyph starts the window and the last ends it.
  return (*read).empty() ? window.empty()
                         : (*read)[0].bytes.data() == window.data() && end == window.size();
}

glyph_share_result ttc_share_glyphs(const ttc_info& table_shared, std::vector<uint8_t>& room) {
  glyph_share_result result;
  held_entries held;
  std::vector<sharing_face> sharing;
  bool unread = false;
  for (size_t face = 0; face < table_shared.faces.size(); ++face) {
    std::optional<sharing_face> found = read_sharing_face(table_shared, face, held, room, unread);
    if (unread) return result;
    if (found) sharing.push_back(std::move(*found));
  }
  glyph_layout layout = lay_out_sound(sharing);
  result.outcome = glyph_share_outcome::not_laid_out;
  if (sharing.empty()) return result;
  std::optional<ttc_info> shared = build_shared(table_shared, sharing, std::move(layout), room);
  if (!shared) return result;
  const bool worth = ttc_collection_size(*shared) * 100 <=
                     ttc_collection_size(table_shared) * (100 - glyph_share_min_saving);
  result.outcome = worth ? glyph_share_outcome::shared : glyph_share_outcome::too_little_saved;
  if (worth) result.info = std::move(shared);
  return result;
}
