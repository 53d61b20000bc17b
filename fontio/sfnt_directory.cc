#include "fontio/sfnt_directory.h"

#include "fontio/byte_reader.h"

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

}  // namespace

std::optional<sfnt_directory> read_sfnt_directory(std::span<const uint8_t> file, uint64_t at,
                                                  std::string& problem) {
  return read_sfnt_directory_head(file, file.size(), at, problem);
}

uint64_t sfnt_directory_size(uint16_t num_tables) {
  return kOffsetTableSize + kRecordSize * num_tables;
}

std::optional<sfnt_directory> read_sfnt_directory_head(std::span<const uint8_t> head,
                                                       uint64_t file_size, uint64_t at,
                                                       std::string& problem) {
  const auto header = checked_extent(head, at, kOffsetTableSize);
  if (!header) {
    problem = "offset table runs past the end of the file";
    return std::nullopt;
  }
  const uint8_t* h = header->data();
  const uint16_t num_tables = read_uint16(h + 4);
  const auto records = checked_extent(head, at + kOffsetTableSize, kRecordSize * num_tables);
  if (!records) {
    problem = "table directory runs past the end of the file";
    return std::nullopt;
  }

  sfnt_directory dir;
  dir.version = read_uint32(h);
  dir.search_range = read_uint16(h + 6);
  dir.entry_selector = read_uint16(h + 8);
  dir.range_shift = read_uint16(h + 10);
  dir.records.reserve(num_tables);
  for (uint64_t i = 0; i < num_tables; ++i) {
    const sfnt_record record = record_at(records->data() + kRecordSize * i);
    if (!extent_fits(file_size, record.offset, record.length)) {
      problem = "table '" + tag_text(record.tag) + "' runs past the end of the file";
      return std::nullopt;
    }
    dir.records.push_back(record);
  }
  return dir;
}

std::string tag_text(const sfnt_tag& tag) {
  std::string text;
  for (const uint8_t byte : tag) text += (byte >= 0x20 && byte < 0x7F) ? char(byte) : '?';
  return text;
}
