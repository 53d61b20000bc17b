#include "cli/printable_text.h"

std::string printable_text(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\\')
      text += "\\\\";
    else if (is_printable_ascii(byte))
      text += c;
    else
      text += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
  }
  return text;
}

std::string printable_text(std::string_view bytes, char stand_in) {
  std::string text(bytes);
  for (char& c : text)
    if (!is_printable_ascii(static_cast<unsigned char>(c))) c = stand_in;
  return text;
}
