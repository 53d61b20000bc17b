#include "fixer/name_text.h"

#include <iconv.h>

#include <cstdio>
#include <vector>

namespace {

constexpr uint16_t kWindows = 3;
constexpr uint16_t kEnglishUS = 0x0409;
constexpr uint16_t kFamilyName = 1;
constexpr size_t kOutputRoom = 255;

}  // namespace

std::optional<std::string> convert_UTF16BE_to_ASCII(std::span<const uint8_t> utf16be) {
  iconv_t converter = iconv_open("ASCII", "UTF-16BE");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    std::perror("iconv_open");
    return std::nullopt;
  }
  // iconv takes a non-const input pointer, so it gets a copy of the string to read.
  std::vector<char> input(utf16be.begin(), utf16be.end());
  char output[kOutputRoom + 1];
  char* in = input.data();
  char* out = output;
  size_t in_left = input.size();
  size_t out_left = kOutputRoom;
  const size_t converted = iconv(converter, &in, &in_left, &out, &out_left);
  if (converted == static_cast<size_t>(-1)) {
    std::perror("iconv");
    iconv_close(converter);
    return std::nullopt;
  }
  iconv_close(converter);
  // The text ends at its first NUL, as a C string would: a U+0000 in a name ends it.
  output[kOutputRoom - out_left] = '\0';
  return std::string(output);
}

std::optional<std::string> get_font_family(const sfnt_name_table& table) {
  std::optional<size_t> found =
      find_sfnt_name_entry(table.records, kWindows, 1, kEnglishUS, kFamilyName);
  if (!found) found = find_sfnt_name_entry(table.records, kWindows, 0, kEnglishUS, kFamilyName);
  if (!found) return std::nullopt;
  return convert_UTF16BE_to_ASCII(table.records[*found].string);
}
