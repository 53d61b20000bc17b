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

// What reading the faces keeps: the first entry of each tag and offset, and the bytes the
// pool's entries hold in all.
struct pool_state {
  std::map<std::pair<sfnt_tag, uint32_t>, int32_t> by_offset;
  uint64_t pooled = 0;
  std::vector<uint8_t> room;
};

// The pool index for a directory record: the entry read for the same tag, offset and
// length, else a new one. -1 after a message.
int32_t pool_record(ttc_info& info, const table_bytes& file, const sfnt_record& record,
                    pool_state& pool) {
  const auto known = pool.by_offset.find({record.tag, record.offset});
  // A broken file may give one tag and offset two lengths; each face then keeps the table
  // its own record describes.
  if (known != pool.by_offset.end() &&
      table_length(info.tables[static_cast<size_t>(known->second)].bytes) == record.length)
    return known->second;
  if (record.length > kMaxPooledBytes - pool.pooled) {
    std::fputs("Collection holds more than 4 GiB of distinct tables.\n", stderr);
    return -1;
  }
  if (info.tables.size() >= ttc_max_tables) {
    std::fprintf(stderr, "Collection holds more than %zu distinct tables.\n", ttc_max_tables);
    return -1;
  }
  table_bytes bytes = table_slice(file, record.offset, record.length);
  const std::optional<uint32_t> checksum = table_checksum(record.tag, bytes, pool.room);
  if (!checksum) return -1;
  const int32_t added = ttc_append_table(info, {record.tag, std::move(bytes), *checksum});
  pool.by_offset.try_emplace({record.tag, record.offset}, added);
  pool.pooled += record.length;
  return added;
}

// Adds the face whose offset table stands at `offset`; false after a message.
bool read_face(ttc_info& info, const table_bytes& file, uint32_t offset, pool_state& pool) {
  std::string problem;
  const std::optional<sfnt_directory> dir = read_sfnt_directory(file, offset, problem);
  if (!dir) {
    if (!problem.empty())
      std::fprintf(stderr, "Face %zu: %s.\n", info.faces.size(), problem.c_str());
    return false;
  }
  ttc_face face{dir->header, {}};
  face.table_indices.reserve(dir->records.size());
  for (const sfnt_record& record : dir->records) {
    const int32_t index = pool_record(info, file, record, pool);
    if (index < 0) return false;
    face.table_indices.push_back(index);
  }
  info.faces.push_back(std::move(face));
  return true;
}

// The TTC header's version and numFonts, once the offset array is known to lie in the file;
// nothing after a message.
struct ttc_header {
  uint32_t version = 0;
  uint32_t num_fonts = 0;
};

std::optional<ttc_header> read_ttc_header(const table_bytes& file, std::vector<uint8_t>& room) {
  const uint64_t size = table_length(file);
  const auto tag = size >= 4 ? read_table_piece(file, 0, 4, room) : std::nullopt;
  if (size >= 4 && !tag) return std::nullopt;
  if (!tag || !is_collection_file(*tag)) {
    std::fputs("Not a TTC data.\n", stderr);
    return std::nullopt;
  }
  if (size < kHeaderSize) {
    std::fputs("TTC header runs past the end of the file.\n", stderr);
    return std::nullopt;
  }
  const auto header = read_table_piece(file, 0, kHeaderSize, room);
  if (!header) return std::nullopt;
  const ttc_header fields{read_uint32(header->data() + 4), read_uint32(header->data() + 8)};
  // Checked before anything is allocated for the faces, whatever numFonts claims.
  if (!extent_fits(size, kHeaderSize, uint64_t{4} * fields.num_fonts)) {
    std::fputs("TTC offset array runs past the end of the file.\n", stderr);
    return std::nullopt;
  }
  return fields;
}

}  // namespace

bool is_collection_file(std::span<const uint8_t> file) {
  const auto tag = checked_extent(file, 0, 4);
  const sfnt_tag ttcf = make_tag("ttcf");
  return tag && std::equal(tag->begin(), tag->end(), ttcf.begin());
}

std::optional<ttc_info> ttc_parse_binary(const table_bytes& file) {
  pool_state pool;
  const std::optional<ttc_header> header = read_ttc_header(file, pool.room);
  if (!header) return std::nullopt;
  ttc_info info;
  info.version = header->version;
  for (uint64_t i = 0; i < header->num_fonts; ++i) {
    const auto offset = read_table_piece(file, kHeaderSize + 4 * i, 4, pool.room);
    if (!offset || !read_face(info, file, read_uint32(offset->data()), pool)) return std::nullopt;
  }
  return info;
}
