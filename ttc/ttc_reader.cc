#include "ttc/ttc_reader.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "fontio/byte_reader.h"
#include "fontio/sfnt_directory.h"

namespace {

constexpr uint64_t kHeaderSize = 12;

// No write can lay out more than 4 GiB of tables (offsets are 32-bit). In a sound file the
// distinct tables hold no more than the file; only records whose extents overlap under
// many offsets come near this, and they would otherwise make a small file cost gigabytes.
constexpr uint64_t kMaxPooledBytes = UINT32_MAX;

// The pool index for a directory record: the entry read for the same tag, offset and
// length, else a new one. -1 (reported) when the pool is full.
int32_t pool_record(ttc_info& info, std::span<const uint8_t> file, const sfnt_record& record,
                    uint64_t& pooled) {
  const int32_t index = ttc_find_table_by_offset(info, record.tag, record.offset);
  // A broken file may give one tag and offset two lengths; each face then keeps the table
  // its own record describes.
  if (index >= 0 && info.tables[static_cast<size_t>(index)].length == record.length) return index;
  if (record.length > kMaxPooledBytes - pooled) {
    std::fputs("Collection holds more than 4 GiB of distinct tables.\n", stderr);
    return -1;
  }
  const int32_t added = ttc_add_table_direct(info, record.tag, record.offset,
                                             file.subspan(record.offset, record.length));
  if (added < 0) {
    std::fprintf(stderr, "Collection holds more than %zu distinct tables.\n", ttc_max_tables);
    return -1;
  }
  pooled += record.length;
  return added;
}

// Adds the face whose offset table stands at `offset`; false (reported) when its
// directory is broken or the pool is full. `pooled` counts the pool's table bytes.
bool read_face(ttc_info& info, std::span<const uint8_t> file, uint32_t offset, uint64_t& pooled) {
  std::string problem;
  const std::optional<sfnt_directory> dir = read_sfnt_directory(file, offset, problem);
  if (!dir) {
    std::fprintf(stderr, "Face %zu: %s.\n", info.faces.size(), problem.c_str());
    return false;
  }
  ttc_face& face = info.faces[ttc_create_face(info)];
  face.offset = offset;
  face.version = dir->version;
  face.search_range = dir->search_range;
  face.entry_selector = dir->entry_selector;
  face.range_shift = dir->range_shift;
  face.table_indices.reserve(dir->records.size());
  for (const sfnt_record& record : dir->records) {
    const int32_t index = pool_record(info, file, record, pooled);
    if (index < 0) return false;
    face.table_indices.push_back(index);
  }
  return true;
}

}  // namespace

bool is_collection_file(std::span<const uint8_t> file) {
  const auto tag = checked_extent(file, 0, 4);
  const sfnt_tag ttcf = make_tag("ttcf");
  return tag && std::equal(tag->begin(), tag->end(), ttcf.begin());
}

std::optional<ttc_info> ttc_parse_binary(std::span<const uint8_t> file) {
  if (!is_collection_file(file)) {
    std::fputs("Not a TTC data.\n", stderr);
    return std::nullopt;
  }
  if (file.size() < kHeaderSize) {
    std::fputs("TTC header runs past the end of the file.\n", stderr);
    return std::nullopt;
  }
  const uint32_t num_fonts = read_uint32(file.data() + 8);
  // Checked before anything is allocated for the faces, whatever numFonts claims.
  if (!extent_fits(file.size(), kHeaderSize, uint64_t{4} * num_fonts)) {
    std::fputs("TTC offset array runs past the end of the file.\n", stderr);
    return std::nullopt;
  }
  ttc_info info = create_ttc_info(read_uint32(file.data() + 4));
  uint64_t pooled = 0;
  for (uint64_t i = 0; i < num_fonts; ++i) {
    if (!read_face(info, file, read_uint32(file.data() + kHeaderSize + 4 * i), pooled))
      return std::nullopt;
  }
  return info;
}
