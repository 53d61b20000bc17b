#include "fixer/sfnt_face.h"

#include <cstdio>

#include "fontio/byte_reader.h"
#include "fontio/checksum.h"
#include "fontio/output_file.h"
#include "fontio/sfnt_directory.h"

namespace {

constexpr size_t kOffsetTableSize = 12;
constexpr size_t kDirectoryRecordSize = 16;
constexpr uint32_t kCollectionTag = 0x74746366;  // "ttcf"

uint64_t padded(uint64_t length) {
  return (length + 3) & ~uint64_t{3};
}

// The offset table and directory of the face as written, with each table placed after the
// previous one on a four-byte boundary.
std::vector<uint8_t> build_header(const sfnt_face_info& face) {
  std::vector<uint8_t> header(kOffsetTableSize + kDirectoryRecordSize * face.tables.size());
  write_uint32(&header[0], face.version);
  write_uint16(&header[4], static_cast<uint16_t>(face.tables.size()));
  write_uint16(&header[6], face.search_range);
  write_uint16(&header[8], face.entry_selector);
  write_uint16(&header[10], face.range_shift);
  uint64_t offset = header.size();
  for (size_t i = 0; i < face.tables.size(); ++i) {
    const std::span<const uint8_t> bytes = sfnt_table_bytes(face.tables[i]);
    uint8_t* record = &header[kOffsetTableSize + kDirectoryRecordSize * i];
    read_tag(record, face.tables[i].tag.data());
    write_uint32(record + 4, sfnt_directory_checksum(face.tables[i].tag, bytes));
    write_uint32(record + 8, static_cast<uint32_t>(offset));
    write_uint32(record + 12, static_cast<uint32_t>(bytes.size()));
    offset += padded(bytes.size());
  }
  return header;
}

// Size of the written file: header plus every table padded to four bytes.
uint64_t laid_out_size(const sfnt_face_info& face) {
  uint64_t size = kOffsetTableSize + kDirectoryRecordSize * face.tables.size();
  for (const sfnt_table& table : face.tables) size += padded(sfnt_table_bytes(table).size());
  return size;
}

bool write_tables(std::FILE* stream, const sfnt_face_info& face) {
  static const uint8_t kZeros[3] = {0, 0, 0};
  for (const sfnt_table& table : face.tables) {
    const std::span<const uint8_t> bytes = sfnt_table_bytes(table);
    const size_t fill = static_cast<size_t>(padded(bytes.size()) - bytes.size());
    if (!write_output_bytes(stream, bytes) ||
        !write_output_bytes(stream, std::span<const uint8_t>(kZeros, fill)))
      return false;
  }
  return true;
}

}  // namespace

std::span<const uint8_t> sfnt_table_bytes(const sfnt_table& table) {
  if (table.owned) return *table.owned;
  return table.source;
}

void set_sfnt_table_bytes(sfnt_table& table, std::vector<uint8_t> bytes) {
  table.owned = std::move(bytes);
}

std::optional<sfnt_face_info> parse_sfnt_face_info(std::span<const uint8_t> file,
                                                   std::string& error) {
  if (u32_at(file, 0) == kCollectionTag) {
    error =
        "This is a font collection (ttcf), not a single font: split it into its faces with "
        "facesplit first.\n";
    return std::nullopt;
  }
  if (file.size() < kOffsetTableSize) {
    error = "Not a font file: it is too short to hold an offset table.\n";
    return std::nullopt;
  }
  std::string problem;
  const std::optional<sfnt_directory> dir = read_sfnt_directory(file, 0, problem);
  if (!dir) {
    error = "Broken font file: " + problem + ".\n";
    return std::nullopt;
  }
  sfnt_face_info face{dir->version, dir->search_range, dir->entry_selector, dir->range_shift, {}};
  for (const sfnt_record& record : dir->records) {
    sfnt_table table{record.tag, record.checksum, record.offset, {}, {}};
    table.source = file.subspan(record.offset, record.length);  // checked by the directory reader
    face.tables.push_back(std::move(table));
  }
  return face;
}

std::optional<size_t> find_sfnt_table_index(const sfnt_face_info& face, std::string_view tag) {
  const sfnt_tag wanted = make_tag(tag);
  for (size_t i = 0; i < face.tables.size(); ++i)
    if (face.tables[i].tag == wanted) return i;
  return std::nullopt;
}

bool write_sfnt_face_to_stream(std::FILE* stream, const sfnt_face_info& face) {
  return write_output_bytes(stream, build_header(face)) && write_tables(stream, face);
}

sfnt_write_status write_sfnt_face(const std::string& path, const sfnt_face_info& face) {
  if (laid_out_size(face) > UINT32_MAX) {
    std::fputs("Couldn't write the font: it would be 4 GiB or larger.\n", stderr);
    return sfnt_write_status::failed;
  }
  std::optional<output_file> out = open_output(path);
  if (!out) {
    std::perror("fopen");
    return sfnt_write_status::failed;
  }
  if (!write_sfnt_face_to_stream(out->stream, face)) {
    discard_output(*out);
    return sfnt_write_status::failed;
  }
  switch (commit_output(*out)) {
    case output_error::none:
      return sfnt_write_status::written;
    case output_error::create:
      std::perror("fopen");
      return sfnt_write_status::failed;
    case output_error::write:
      break;
  }
  return sfnt_write_status::failed;
}
