#include "fixer/cmap_table.h"

#include <algorithm>
#include <map>

#include "sfnt/byte_fields.h"
#include "sfnt/byte_reader.h"

namespace {

constexpr uint64_t kHeaderSize = 4;
constexpr uint64_t kRecordSize = 8;

// How many bytes a subtable of `format` at `offset` holds, by the length field its format
// keeps: 16 bits at byte 2 for the old formats, 32 bits at byte 4 for the 32-bit ones, and
// 32 bits at byte 2 for the variation sequences of format 14.
std::optional<uint64_t> subtable_length(std::span<const uint8_t> table, uint64_t offset,
                                        uint16_t format, std::string& reason) {
  std::optional<uint64_t> length;
  switch (format) {
    case 0:
    case 2:
    case 4:
    case 6:
      if (const std::optional<uint16_t> v = u16_at(table, offset + 2)) length = *v;
      break;
    case 8:
    case 10:
    case 12:
    case 13:
      if (const std::optional<uint32_t> v = u32_at(table, offset + 4)) length = *v;
      break;
    case 14:
      if (const std::optional<uint32_t> v = u32_at(table, offset + 2)) length = *v;
      break;
    default:
      reason = "subtable format " + std::to_string(format) + " is not known";
      return std::nullopt;
  }
  if (!length) reason = "a subtable's length field lies past its end";
  return length;
}

// Where the length field of a subtable of a known `format` ends: a subtable said to be
// shorter cannot be laid out again whole, since its copy would not say what it is.
uint64_t length_field_end(uint16_t format) {
  if (format == 14) return 6;
  return format >= 8 ? 8 : 4;
}

// Adds the subtable at `offset` to the model unless a record already pointed there, and
// gives its index. Its length goes to `lengths`; its bytes are copied later.
std::optional<size_t> add_subtable(std::span<const uint8_t> table, uint32_t offset,
                                   sfnt_cmap_table& model, std::map<uint32_t, size_t>& by_offset,
                                   std::vector<uint64_t>& lengths, std::string& reason) {
  if (const auto known = by_offset.find(offset); known != by_offset.end()) return known->second;
  const std::optional<uint16_t> format = u16_at(table, offset);
  if (!format) {
    reason = "a subtable starts past its end";
    return std::nullopt;
  }
  const std::optional<uint64_t> length = subtable_length(table, offset, *format, reason);
  if (!length) return std::nullopt;
  model.subtables.push_back({offset, *format, {}});
  lengths.push_back(*length);
  by_offset.emplace(offset, model.subtables.size() - 1);
  return model.subtables.size() - 1;
}

// Reads the header and the encoding records, and finds the distinct subtables.
bool parse_records(std::span<const uint8_t> table, sfnt_cmap_table& model,
                   std::vector<uint64_t>& lengths, std::string& reason) {
  byte_reader r{table};
  uint16_t count = 0;
  if (!read_u16(r, model.version) || !read_u16(r, count) ||
      !extent_fits(table.size(), kHeaderSize, kRecordSize * count)) {
    reason = "its encoding records reach past its end";
    return false;
  }
  std::map<uint32_t, size_t> by_offset;
  model.records.resize(count);
  for (size_t i = 0; i < count; ++i) {
    // The records were proven to lie in the table above.
    const uint8_t* p = table.data() + kHeaderSize + kRecordSize * i;
    sfnt_cmap_record& record = model.records[i];
    record.platform_id = read_uint16(p);
    record.encoding_id = read_uint16(p + 2);
    const uint32_t offset = read_uint32(p + 4);
    const std::optional<size_t> index =
        add_subtable(table, offset, model, by_offset, lengths, reason);
    if (!index) return false;
    record.subtable = *index;
  }
  return true;
}

// The subtable that takes a length difference: that of the first record of platform 3,
// encoding 1 whose subtable has format 4. A format 4 subtable past 64 KiB cannot state its
// own length, so the directory's length is the better witness.
std::optional<size_t> correction_target(const sfnt_cmap_table& model) {
  for (const sfnt_cmap_record& record : model.records)
    if (record.platform_id == 3 && record.encoding_id == 1 &&
        model.subtables[record.subtable].format == 4)
      return record.subtable;
  return std::nullopt;
}

uint64_t rendered_size(const sfnt_cmap_table& model, const std::vector<uint64_t>& lengths) {
  uint64_t size = kHeaderSize + kRecordSize * model.records.size();
  for (uint64_t length : lengths) size += length;
  return size;
}

// Gives the difference between the directory length and the subtables to the correction
// target, when there is one; false when that would leave it a negative length.
bool correct_lengths(uint64_t table_size, uint64_t total, std::optional<size_t> target,
                     std::vector<uint64_t>& lengths, std::string& reason) {
  if (!target || total == table_size) return true;
  if (lengths[*target] + table_size < total) {
    reason = "the correction would make a subtable's length negative";
    return false;
  }
  lengths[*target] = lengths[*target] + table_size - total;
  return true;
}

bool subtables_fit(std::span<const uint8_t> table, const sfnt_cmap_table& model,
                   const std::vector<uint64_t>& lengths, std::string& reason) {
  for (size_t i = 0; i < model.subtables.size(); ++i) {
    if (lengths[i] < length_field_end(model.subtables[i].format)) {
      reason = "a subtable is too short to hold its own length field";
      return false;
    }
    if (!extent_fits(table.size(), model.subtables[i].offset, lengths[i])) {
      reason = "a subtable reaches past its end";
      return false;
    }
  }
  return true;
}

// Gives each subtable its own copy of its bytes, once subtables_fit() has accepted them.
void copy_subtables(std::span<const uint8_t> table, const std::vector<uint64_t>& lengths,
                    sfnt_cmap_table& model) {
  for (size_t i = 0; i < model.subtables.size(); ++i) {
    sfnt_cmap_subtable& subtable = model.subtables[i];
    const std::span<const uint8_t> bytes = table.subspan(subtable.offset, lengths[i]);
    subtable.data.assign(bytes.begin(), bytes.end());
  }
}

}  // namespace

std::optional<sfnt_cmap_table> parse_sfnt_cmap_table(std::span<const uint8_t> table,
                                                     cmap_length& length, std::string& reason) {
  sfnt_cmap_table model;
  std::vector<uint64_t> lengths;
  if (!parse_records(table, model, lengths, reason)) return std::nullopt;
  const uint64_t total = rendered_size(model, lengths);
  const bool broken = total != table.size();
  const std::optional<size_t> target = broken ? correction_target(model) : std::nullopt;
  if (!correct_lengths(table.size(), total, target, lengths, reason) ||
      !subtables_fit(table, model, lengths, reason))
    return std::nullopt;
  // Each subtable is copied whole, so subtables that overlap would be stored twice over. A
  // table that names the same bytes under many offsets (up to 65535 records, each up to the
  // whole table) would otherwise cost gigabytes; without overlap the table never grows.
  if (rendered_size(model, lengths) > table.size()) {
    reason = "its subtables overlap, so laid out apart they would outgrow the table";
    return std::nullopt;
  }
  copy_subtables(table, lengths, model);
  length = !broken ? cmap_length::agrees : target ? cmap_length::corrected : cmap_length::broken;
  return model;
}

std::vector<uint8_t> render_sfnt_cmap_table(const sfnt_cmap_table& table) {
  const size_t records_end = kHeaderSize + kRecordSize * table.records.size();
  std::vector<size_t> offsets;
  size_t size = records_end;
  for (const sfnt_cmap_subtable& subtable : table.subtables) {
    offsets.push_back(size);
    size += subtable.data.size();
  }
  std::vector<uint8_t> out(size);
  write_uint16(&out[0], table.version);
  write_uint16(&out[2], static_cast<uint16_t>(table.records.size()));
  for (size_t i = 0; i < table.records.size(); ++i) {
    uint8_t* p = &out[kHeaderSize + kRecordSize * i];
    write_uint16(p, table.records[i].platform_id);
    write_uint16(p + 2, table.records[i].encoding_id);
    write_uint32(p + 4, static_cast<uint32_t>(offsets[table.records[i].subtable]));
  }
  for (size_t i = 0; i < table.subtables.size(); ++i)
    std::copy(table.subtables[i].data.begin(), table.subtables[i].data.end(),
              out.begin() + static_cast<std::ptrdiff_t>(offsets[i]));
  return out;
}
