#include "fixer/name_text.h"

#include "sfnt/byte_fields.h"

namespace {

constexpr uint16_t kWindows = 3;
constexpr uint16_t kEnglishUS = 0x0409;
constexpr uint16_t kFamilyName = 1;
constexpr size_t kOutputRoom = 255;

bool is_high_surrogate(uint32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool is_low_surrogate(uint32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Decodes the character at `pos`, moving past it; nothing (and `refusal`) when the text
// ends inside it or it is a surrogate out of its pair.
std::optional<uint32_t> next_character(std::span<const uint8_t> text, size_t& pos,
                                       ascii_refusal& refusal) {
  const size_t left = text.size() - pos;
  if (left < 2) {
    refusal = ascii_refusal::incomplete;
    return std::nullopt;
  }
  const uint32_t unit = read_uint16(text.data() + pos);
  if (is_low_surrogate(unit)) {
    refusal = ascii_refusal::not_ascii;
    return std::nullopt;
  }
  if (!is_high_surrogate(unit)) {
    pos += 2;
    return unit;
  }
  if (left < 4) {
    refusal = ascii_refusal::incomplete;
    return std::nullopt;
  }
  const uint32_t low = read_uint16(text.data() + pos + 2);
  if (!is_low_surrogate(low)) {
    refusal = ascii_refusal::not_ascii;
    return std::nullopt;
  }
  pos += 4;
  return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
}

}  // namespace

std::optional<std::string> convert_UTF16BE_to_ASCII(std::span<const uint8_t> utf16be,
                                                    ascii_refusal& refusal) {
  std::string ascii;
  size_t pos = 0;
  while (pos < utf16be.size()) {
    const std::optional<uint32_t> c = next_character(utf16be, pos, refusal);
    if (!c) return std::nullopt;
    if (ascii.size() == kOutputRoom) {
      refusal = ascii_refusal::too_long;
      return std::nullopt;
    }
    if (*c > 0x7F) {
      refusal = ascii_refusal::not_ascii;
      return std::nullopt;
    }
    ascii.push_back(static_cast<char>(*c));
  }
  // The text ends at its first NUL, as a C string would: a U+0000 in a name ends it.
  return ascii.substr(0, ascii.find('\0'));
}

font_family get_font_family(const sfnt_name_table& table) {
  std::optional<size_t> found =
      find_sfnt_name_entry(table.records, kWindows, 1, kEnglishUS, kFamilyName);
  if (!found) found = find_sfnt_name_entry(table.records, kWindows, 0, kEnglishUS, kFamilyName);
  font_family family;
  if (!found) return family;
  ascii_refusal refusal{};
  family.name = convert_UTF16BE_to_ASCII(table.records[*found].string, refusal);
  if (!family.name) family.refusal = refusal;
  return family;
}
