#include "fixer/sfnt_face.h"

#include <cstdio>

#include "fontio/byte_reader.h"
#include "fontio/checksum.h"
#include "fontio/output_file.h"

namespace {

constexpr size_t kOffsetTableSize = 12;
constexpr size_t kDirectoryRecordSize = 16;
constexpr uint32_t kCollectionTag = 0x74746366;  // "ttcf"

// The tag as text for a message, with bytes that would not print shown as '?'.
std::string printable_tag(const sfnt_tag& tag) {
  std::string text;
  for (uint8_t c : tag) text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  return text;
}

// Reads directory record `index`, whose 16 bytes are known to be in `file`, and checks
// that its table lies in the file.
bool parse_directory_record(std::span<const uint8_t> file, size_t index, sfnt_table& table,
                            std::string& error) {
  byte_reader r{file, kOffsetTableSize + kDirectoryRecordSize * index};
  uint32_t length = 0;
  if (!read_tag(r, table.tag) || !read_u32(r, table.checksum) || !read_u32(r, table.offset) ||
      !read_u32(r, length)) {
    error = "Broken font file: the table directory reaches past the end of the file.\n";
    return false;
  }
  const std::optional<std::span<const uint8_t>> bytes = checked_extent(file, table.offset, length);
  if (!bytes) {
    error = "Broken font file: table `" + printable_tag(table.tag) +
            "' reaches past the end of the file.\n";
    return false;
  }
  table.source = *bytes;
  return true;
}

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
    write_uint32(record + 4, CalcTableChecksum(bytes));
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
  sfnt_face_info face;
  byte_reader r{file};
  uint16_t num_tables = 0;
  const bool whole = read_u32(r, face.version);
  if (whole && face.version == kCollectionTag) {
    error =
        "This is a font collection (ttcf), not a single font: split it into its faces with "
        "facesplit first.\n";
    return std::nullopt;
  }
  if (!whole || !read_u16(r, num_tables) || !read_u16(r, face.search_range) ||
      !read_u16(r, face.entry_selector) || !read_u16(r, face.range_shift)) {
    error = "Not a font file: it is too short to hold an offset table.\n";
    return std::nullopt;
  }
  if (!extent_fits(file.size(), kOffsetTableSize, uint64_t{kDirectoryRecordSize} * num_tables)) {
    error = "Broken font file: the table directory reaches past the end of the file.\n";
    return std::nullopt;
  }
  face.tables.resize(num_tables);
  for (size_t i = 0; i < num_tables; ++i)
    if (!parse_directory_record(file, i, face.tables[i], error)) return std::nullopt;
  return face;
}

std::optional<size_t> find_sfnt_table_index(const sfnt_face_info& face, std::string_view tag) {
  const sfnt_tag wanted = make_tag(tag);
  for (size_t i = 0; i < face.tables.size(); ++i)
    if (face.tables[i].tag == wanted) return i;
  return std::nullopt;
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
  if (!write_output_bytes(out->stream, build_header(face)) || !write_tables(out->stream, face)) {
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
