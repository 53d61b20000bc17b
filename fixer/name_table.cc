#include "fixer/name_table.h"

#include <algorithm>

#include "sfnt/byte_fields.h"
#include "sfnt/byte_reader.h"

namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kRecordSize = 12;
// The largest count whose records still end within 16-bit reach of the table start.
constexpr size_t kMaxRecords = (0xFFFF - kHeaderSize) / kRecordSize;
constexpr uint64_t kMaxStringBytes = 0xFFFF;

const char kRecordsOutside[] =
    "Broken font file: the `name' records reach past the end of the `name' table.\n";
const char kStringOutside[] =
    "Broken font file: a `name' string reaches past the end of the `name' table.\n";
const char kStringsRepeated[] =
    "Broken font file: the `name' records name the same bytes over and over.\n";

// Reads record `index` and copies its string from the storage at `storage`, taking its
// length from what `budget` allows.
bool parse_name_record(std::span<const uint8_t> table, size_t index, uint16_t storage,
                       uint64_t& budget, sfnt_name_record& record, std::string& error) {
  byte_reader r{table, kHeaderSize + kRecordSize * index};
  uint16_t length = 0, offset = 0;
  if (!read_u16(r, record.platform_id) || !read_u16(r, record.encoding_id) ||
      !read_u16(r, record.language_id) || !read_u16(r, record.name_id) || !read_u16(r, length) ||
      !read_u16(r, offset)) {
    error = kRecordsOutside;
    return false;
  }
  const std::optional<std::span<const uint8_t>> bytes =
      checked_extent(table, uint64_t{storage} + offset, length);
  if (!bytes) {
    error = kStringOutside;
    return false;
  }
  if (length > budget) {
    error = kStringsRepeated;
    return false;
  }
  budget -= length;
  record.string.assign(bytes->begin(), bytes->end());
  return true;
}

}  // namespace

std::optional<sfnt_name_table> parse_sfnt_name_table(std::span<const uint8_t> table,
                                                     std::string& error) {
  byte_reader r{table};
  uint16_t format = 0, count = 0, storage = 0;
  if (!read_u16(r, format) || !read_u16(r, count) || !read_u16(r, storage)) {
    error = "Broken font file: the `name' table is too short for its header.\n";
    return std::nullopt;
  }
  // Each record gets its own copy of its string. Records may share a string, but all
  // strings lie in the table, so copies past its size plus what a rebuilt table can hold
  // come only from records naming the same bytes over and over: a 770 KiB table of 65535
  // records, each naming one 64 KiB string, would otherwise cost 4 GiB.
  uint64_t budget = table.size() + kMaxStringBytes;
  sfnt_name_table parsed;
  parsed.records.resize(count);
  for (size_t i = 0; i < count; ++i)
    if (!parse_name_record(table, i, storage, budget, parsed.records[i], error))
      return std::nullopt;
  return parsed;
}

std::optional<size_t> find_sfnt_name_entry(std::span<const sfnt_name_record> records,
                                           uint16_t platform_id, uint16_t encoding_id,
                                           uint16_t language_id, uint16_t name_id) {
  for (size_t i = 0; i < records.size(); ++i) {
    const sfnt_name_record& r = records[i];
    if (r.platform_id == platform_id && r.encoding_id == encoding_id &&
        r.language_id == language_id && r.name_id == name_id)
      return i;
  }
  return std::nullopt;
}

std::optional<std::vector<uint8_t>> render_sfnt_name_table(
    std::span<const sfnt_name_record> records, std::string& error) {
  uint64_t string_bytes = 0;
  for (const sfnt_name_record& record : records) string_bytes += record.string.size();
  if (records.size() > kMaxRecords) {
    error = "  Too many name records (" + std::to_string(records.size()) +
            ") to rebuild the `name' table.\n";
    return std::nullopt;
  }
  if (string_bytes > kMaxStringBytes) {
    error = "  Name strings too long (" + std::to_string(string_bytes) +
            " bytes) to rebuild the `name' table.\n";
    return std::nullopt;
  }
  const size_t storage = kHeaderSize + kRecordSize * records.size();
  std::vector<uint8_t> table(storage + string_bytes);
  write_uint16(&table[0], 0);
  write_uint16(&table[2], static_cast<uint16_t>(records.size()));
  write_uint16(&table[4], static_cast<uint16_t>(storage));
  size_t offset = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    const sfnt_name_record& record = records[i];
    uint8_t* p = &table[kHeaderSize + kRecordSize * i];
    write_uint16(p, record.platform_id);
    write_uint16(p + 2, record.encoding_id);
    write_uint16(p + 4, record.language_id);
    write_uint16(p + 6, record.name_id);
    write_uint16(p + 8, static_cast<uint16_t>(record.string.size()));
    write_uint16(p + 10, static_cast<uint16_t>(offset));
    std::copy(record.string.begin(), record.string.end(), table.begin() + storage + offset);
    offset += record.string.size();
  }
  return table;
}
