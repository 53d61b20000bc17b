#include "programs/json_text.h"

#include <cstdio>
#include <string>

#include "cli/messages.h"

namespace {

bool is_utf8(std::string_view bytes) {
  try {
    (void)nlohmann::json(std::string(bytes)).dump();
    return true;
  } catch (const nlohmann::json::type_error&) {
    return false;  // the encoder refuses a string that is not UTF-8
  }
}

}  // namespace

nlohmann::ordered_json json_bytes(std::string_view bytes) {
  if (is_utf8(bytes)) return std::string(bytes);
  std::string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | byte >> 6);
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

void print_json_document(const nlohmann::ordered_json& document) {
  const std::string text = document.dump(2, ' ', true);
  say(report_to::standard_output, text.c_str());
  say(report_to::standard_output, "\n");
}
