#include "sfnt/sfnt_directory.h"

#include "sfnt/byte_reader.h"

namespace {

constexpr uint64_t kOffsetTableSize = 12;
constexpr uint64_t kRecordSize = 16;

// Fills `record` from 16 bytes already proven to exist.
sfnt_record record_at(const uint8_t* p) {
  sfnt_record record;
  read_tag(record.tag.data(), p);
  record.checksum = read_uint32(p + 4);
  record.offset = read_uint32(p + 8);
  record.length = read_uint32(p + 12);
  return record;
}

sfnt_header header_at(const uint8_t* p) {
  return {read_uint32(p), read_uint16(p + 6), read_uint16(p + 8), read_uint16(p + 10)};
}

}  // namespace

std::optional<sfnt_directory> read_sfnt_directory(const table_bytes& file, uint64_t at,
                                                  std::string& problem) {
  const uint64_t size = table_length(file);
  problem.clear();
  std::vector<uint8_t> room;
  if (!extent_fits(size, at, kOffsetTableSize)) {
    problem = "offset table runs past the end of the file";
    return std::nullopt;
  }
  const auto offset_table = read_table_piece(file, at, kOffsetTableSize, room);
  if (!offset_table) return std::nullopt;
  sfnt_directory dir;
  dir.header = header_at(offset_table->data());
  const uint16_t num_tables = read_uint16(offset_table->data() + 4);
  if (!extent_fits(size, at + kOffsetTableSize, kRecordSize * num_tables)) {
    problem = "table directory runs past the end of the file";
    return std::nullopt;
  }
  const auto records =
      read_table_piece(file, at + kOffsetTableSize, kRecordSize * num_tables, room);
  if (!records) return std::nullopt;
  dir.records.reserve(num_tables);
  for (uint64_t i = 0; i < num_tables; ++i) {
    const sfnt_record record = record_at(records->data() + kRecordSize * i);
    if (!extent_fits(size, record.offset, record.length)) {
      problem = "table '" + tag_text(record.tag) + "' runs past the end of the file";
      return std::nullopt;
    }
    dir.records.push_back(record);
  }
  return dir;
}

bool known_sfnt_version(uint32_t version) {
  return version == 0x00010000 || version == 0x4F54544F /* OTTO */ ||
         version == 0x74727565 /* true */ || version == 0x74797031 /* typ1 */;
}

uint64_t sfnt_directory_size(uint64_t num_tables) {
  return kOffsetTableSize + kRecordSize * num_tables;
}

uint64_t sfnt_font_size(const sfnt_directory& dir) {
  uint64_t size = sfnt_directory_size(dir.records.size());
  for (const sfnt_record& record : dir.records) size += padded_length(record.length);
  return size;
}

void append_sfnt_directory(std::vector<uint8_t>& out, const sfnt_header& header,
                           std::span<const sfnt_record> records) {
  const size_t start = out.size();
  out.resize(start + sfnt_directory_size(records.size()));
  uint8_t* p = out.data() + start;
  write_uint32(p, header.version);
  write_uint16(p + 4, static_cast<uint16_t>(records.size()));
  write_uint16(p + 6, header.search_range);
  write_uint16(p + 8, header.entry_selector);
  write_uint16(p + 10, header.range_shift);
  p += kOffsetTableSize;
  for (const sfnt_record& record : records) {
    read_tag(p, record.tag.data());
    write_uint32(p + 4, record.checksum);
    write_uint32(p + 8, record.offset);
    write_uint32(p + 12, record.length);
    p += kRecordSize;
  }
}

std::string tag_text(const sfnt_tag& tag, tag_form form) {
  const uint8_t lowest = form == tag_form::word ? 0x21 : 0x20;
  size_t length = tag.size();
  while (form == tag_form::word && length > 1 && tag[length - 1] == ' ') --length;
  std::string text;
  for (size_t i = 0; i < length; ++i)
    text += (tag[i] >= lowest && tag[i] < 0x7F) ? char(tag[i]) : '?';
  return text;
}
