#include "sfnt/sfnt_face.h"

#include "sfnt/checksum.h"
#include "sys/output_file.h"

std::span<const uint8_t> sfnt_table_bytes(const sfnt_table& table) {
  return held_bytes(table.bytes);
}

void set_sfnt_table_bytes(sfnt_table& table, std::vector<uint8_t> bytes) {
  table.bytes = std::move(bytes);
  table.checksum.reset();
}

sfnt_face_info sfnt_face_from_directory(const table_bytes& file, const sfnt_directory& dir) {
  sfnt_face_info face{dir.header, {}};
  face.tables.reserve(dir.records.size());
  for (const sfnt_record& record : dir.records)
    face.tables.push_back({record.tag, table_slice(file, record.offset, record.length), {}});
  return face;
}

std::optional<size_t> find_sfnt_table_index(const sfnt_face_info& face, std::string_view tag) {
  const sfnt_tag wanted = make_tag(tag);
  for (size_t i = 0; i < face.tables.size(); ++i)
    if (face.tables[i].tag == wanted) return i;
  return std::nullopt;
}

uint64_t sfnt_face_size(const sfnt_face_info& face) {
  uint64_t size = sfnt_directory_size(face.tables.size());
  for (const sfnt_table& table : face.tables) size += padded_length(table_length(table.bytes));
  return size;
}

uint32_t sfnt_table_checksum(const sfnt_table& table) {
  if (table.checksum) return *table.checksum;
  return sfnt_directory_checksum(table.tag, sfnt_table_bytes(table));
}

std::vector<sfnt_record> sfnt_face_layout(const sfnt_face_info& face) {
  std::vector<sfnt_record> records;
  records.reserve(face.tables.size());
  uint64_t offset = sfnt_directory_size(face.tables.size());
  for (size_t i = 0; i < face.tables.size(); ++i) {
    const uint64_t length = table_length(face.tables[i].bytes);
    records.push_back({face.tables[i].tag, sfnt_table_checksum(face.tables[i]),
                       static_cast<uint32_t>(offset), static_cast<uint32_t>(length)});
    offset += padded_length(length);
  }
  return records;
}

namespace {

bool write_face(output_stream& stream, const sfnt_face_info& face,
                std::span<const sfnt_record> records, extent_copy how) {
  std::vector<uint8_t> directory;
  append_sfnt_directory(directory, face.header, records);
  if (!write_output_bytes(stream, directory)) return false;
  std::vector<uint8_t> room;
  for (size_t i = 0; i < face.tables.size(); ++i) {
    const sfnt_table& table = face.tables[i];
    if (!write_table(stream, table.tag, table.bytes, records[i].checksum, how, room)) return false;
  }
  return true;
}

}  // namespace

bool write_sfnt_face_to_stream(output_stream& stream, const sfnt_face_info& face,
                               std::span<const sfnt_record> records, extent_copy how) {
  return write_noting_memory(stream, false, [&] { return write_face(stream, face, records, how); });
}
