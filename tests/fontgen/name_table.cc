#include "fontgen/font_builder.h"
#include "fontgen/tables.h"

std::vector<uint8_t> build_name_table(const std::vector<name_record_spec>& records) {
  std::vector<uint8_t> out;
  const uint16_t count = static_cast<uint16_t>(records.size());
  put_u16(out, 0);
  put_u16(out, count);
  put_u16(out, static_cast<uint16_t>(6 + 12 * count));
  uint16_t offset = 0;
  for (const name_record_spec& r : records) {
    put_u16(out, r.platform_id);
    put_u16(out, r.encoding_id);
    put_u16(out, r.language_id);
    put_u16(out, r.name_id);
    put_u16(out, static_cast<uint16_t>(r.bytes.size()));
    put_u16(out, offset);
    offset = static_cast<uint16_t>(offset + r.bytes.size());
  }
  for (const name_record_spec& r : records) put_bytes(out, r.bytes);
  return out;
}

std::vector<uint8_t> utf16be(std::string_view ascii) {
  std::vector<uint8_t> out;
  for (char c : ascii) put_u16(out, static_cast<uint8_t>(c));
  return out;
}

std::vector<uint8_t> bytes_of(std::string_view raw) {
  return std::vector<uint8_t>(raw.begin(), raw.end());
}
