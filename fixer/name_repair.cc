#include "fixer/name_repair.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "fixer/name_text.h"

namespace {

// Next recogniser state, indexed by byte class * 4 + state. States: 0 only ASCII so far,
// 1 a second byte is due, 2 Shift-JIS seen and at a character boundary, 3 rejected.
constexpr std::array<int, 24> kTransitions = {
    3, 3, 3, 3,  // class 0
    0, 3, 2, 3,  // class 1
    0, 2, 2, 3,  // class 2
    3, 2, 3, 3,  // class 3
    1, 2, 1, 3,  // class 4
    2, 2, 2, 3,  // class 5
};

// Verdict for each final state.
constexpr std::array<int, 4> kVerdicts = {1, 0, 2, 0};

// The Macintosh record that is tested and the messages of one name.
struct name_to_check {
  uint16_t name_id;
  const char* suspect_message;     // standard output
  const char* no_substitute_line;  // standard error
};

constexpr name_to_check kFamily = {
    1, "  Font family name for \"Mac, Roman, English\" looks like a Shift-JIS string.\n",
    "Can't find substitute.\n"};
constexpr name_to_check kFullName = {
    4, "  Font full name for \"Mac, Roman, English\" looks like a Shift-JIS string.\n",
    "  Can't find substitute.\n"};

// 1 when the name was replaced, 0 when it needed nothing, -1 on a failure.
int fix_one_name(std::vector<sfnt_name_record>& records, const name_to_check& name) {
  const std::optional<size_t> mac = find_sfnt_name_entry(records, 1, 0, 0, name.name_id);
  if (!mac || sjis_check(records[*mac].string) != 2) return 0;
  const std::optional<size_t> windows = find_sfnt_name_entry(records, 3, 1, 0x0409, name.name_id);
  std::fputs(name.suspect_message, stdout);
  if (!windows) {
    std::fputs(name.no_substitute_line, stderr);
    return -1;
  }
  ascii_refusal refusal{};
  const std::optional<std::string> ascii =
      convert_UTF16BE_to_ASCII(records[*windows].string, refusal);
  if (!ascii) {
    std::fprintf(stderr, "iconv: %s\n", std::strerror(static_cast<int>(refusal)));
    std::fputs("  Failed to convert substitute to ASCII.\n", stderr);
    return -1;
  }
  std::printf("  Found substitute: \"%s\"\n", ascii->c_str());
  records[*mac].string.assign(ascii->begin(), ascii->end());
  return 1;
}

}  // namespace

int ckind(uint8_t byte) {
  if (byte < 0x20 || byte == 0x7F || byte >= 0xFD) return 0;
  if (byte < 0x40) return 1;
  if (byte < 0x7F) return 2;
  if (byte == 0x80 || byte == 0xA0) return 3;
  if (byte <= 0x9F || byte >= 0xE0) return 4;
  return 5;
}

int sjis_check(std::span<const uint8_t> bytes) {
  int state = 0;
  for (uint8_t byte : bytes) state = kTransitions[static_cast<size_t>(ckind(byte) * 4 + state)];
  return kVerdicts[static_cast<size_t>(state)];
}

int fix_oddtype_fontfamily(std::vector<sfnt_name_record>& records) {
  int result = 0;
  for (const name_to_check& name : {kFamily, kFullName}) {
    const int fixed = fix_one_name(records, name);
    if (fixed < 0) return -1;
    if (fixed > 0) result = 1;
  }
  return result;
}

int fix_name(sfnt_face_info& face, size_t table_index, sfnt_name_table& table) {
  const int fixed = fix_oddtype_fontfamily(table.records);
  if (fixed == 0) return 0;
  if (fixed < 0) {
    std::fputs("Conversion failed.\n", stdout);
    return 2;
  }
  std::string error;
  std::optional<std::vector<uint8_t>> rendered = render_sfnt_name_table(table.records, error);
  if (!rendered) {
    std::fputs(error.c_str(), stderr);
    return 2;
  }
  set_sfnt_table_bytes(face.tables[table_index], std::move(*rendered));
  return 0;
}
