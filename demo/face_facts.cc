#include "demo/face_facts.h"

#include <iconv.h>

#include <cstdio>

#include "fixer/name_repair.h"
#include "fixer/name_table.h"
#include "fixer/name_text.h"
#include "sfnt/byte_reader.h"

namespace {

void read_names(const sfnt_face_info& face, face_facts& facts) {
  const auto bytes = face_table_bytes(face, "name");
  std::string error;
  const std::optional<sfnt_name_table> names =
      bytes ? parse_sfnt_name_table(*bytes, error) : std::nullopt;
  if (!names) return;
  facts.windows_family = get_font_family(*names).name;
  if (const auto i = find_sfnt_name_entry(names->records, 1, 0, 0, 1))
    facts.mac_family = names->records[*i].string;
  if (const auto i = find_sfnt_name_entry(names->records, 1, 0, 0, 4))
    facts.mac_full = names->records[*i].string;
}

void read_cmap(const sfnt_face_info& face, face_facts& facts) {
  const auto table = face_table_bytes(face, "cmap");
  if (!table) return;
  const std::optional<uint16_t> count = u16_at(*table, 2);
  for (uint64_t i = 0; count && i < *count; ++i) {
    const uint64_t record = 4 + 8 * i;
    if (u16_at(*table, record) != 1 || u16_at(*table, record + 2) != 0) continue;
    const std::optional<uint32_t> offset = u32_at(*table, record + 4);
    const std::optional<uint16_t> format = offset ? u16_at(*table, *offset) : std::nullopt;
    if (!format) return;
    facts.cmap = mac_roman_cmap{*format, {}, {}};
    if (*format == 6) {
      facts.cmap->first_code = u16_at(*table, *offset + 6);
      facts.cmap->entry_count = u16_at(*table, *offset + 8);
    }
    return;
  }
}

// The UTF-8 form of Shift-JIS bytes, or nothing when iconv cannot convert them.
std::optional<std::string> shift_jis_to_utf8(const std::vector<uint8_t>& bytes) {
  iconv_t converter = iconv_open("UTF-8", "SHIFT_JIS");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::vector<char> in(bytes.begin(), bytes.end());
  std::string out(bytes.size() * 3 + 1, '\0');
  char* in_p = in.data();
  char* out_p = out.data();
  size_t in_left = in.size();
  size_t out_left = out.size();
  const size_t result = iconv(converter, &in_p, &in_left, &out_p, &out_left);
  iconv_close(converter);
  if (result == static_cast<size_t>(-1)) return std::nullopt;
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace

face_facts read_face_facts(const sfnt_face_info& face) {
  face_facts facts;
  read_names(face, facts);
  read_cmap(face, facts);
  if (const auto post = face_table_bytes(face, "post")) facts.is_fixed_pitch = u32_at(*post, 12);
  if (const auto head = face_table_bytes(face, "head")) {
    facts.checksum_adjustment = u32_at(*head, 8);
    facts.head_flags = u16_at(*head, 16);
  }
  return facts;
}

std::string describe_name(const std::vector<uint8_t>& bytes) {
  std::string text = "\"";
  for (const uint8_t byte : bytes) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02x", byte);
    if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\')
      text += static_cast<char>(byte);
    else
      text += hex;
  }
  text += "\"";
  if (sjis_check(bytes) == 2) {
    if (const std::optional<std::string> utf8 = shift_jis_to_utf8(bytes))
      text += " (Shift-JIS for \"" + *utf8 + "\")";
  }
  return text;
}
