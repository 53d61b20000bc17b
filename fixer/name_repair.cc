#include "fixer/name_repair.h"

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

// 1 when the name was replaced, 0 when it needed nothing, -1 on a failure.
int fix_one_name(std::vector<sfnt_name_record>& records, uint16_t name_id, mend_sink& sink) {
  const std::optional<size_t> mac = find_shift_jis_name(records, name_id);
  if (!mac) return 0;
  const std::optional<size_t> windows = find_sfnt_name_entry(records, 3, 1, 0x0409, name_id);
  sink.report(mend_event::shift_jis_name{name_id, records[*mac].string});
  if (!windows) {
    sink.report(mend_event::no_substitute{name_id});
    return -1;
  }
  ascii_refusal refusal{};
  const std::optional<std::string> ascii =
      convert_UTF16BE_to_ASCII(records[*windows].string, refusal);
  if (!ascii) {
    sink.report(mend_event::substitute_not_ascii{name_id, refusal});
    return -1;
  }
  sink.report(mend_event::name_substituted{name_id, *ascii});
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

std::optional<size_t> find_shift_jis_name(std::span<const sfnt_name_record> records,
                                          uint16_t name_id) {
  const std::optional<size_t> mac = find_sfnt_name_entry(records, 1, 0, 0, name_id);
  if (!mac || sjis_check(records[*mac].string) != 2) return std::nullopt;
  return mac;
}

int fix_oddtype_fontfamily(std::vector<sfnt_name_record>& records, mend_sink& sink) {
  int result = 0;
  for (const uint16_t name_id : kMendedNames) {
    const int fixed = fix_one_name(records, name_id, sink);
    if (fixed < 0) return -1;
    if (fixed > 0) result = 1;
  }
  return result;
}

int fix_name(sfnt_face_info& face, size_t table_index, sfnt_name_table& table, mend_sink& sink) {
  const int fixed = fix_oddtype_fontfamily(table.records, sink);
  if (fixed == 0) return 0;
  if (fixed < 0) {
    sink.report(mend_event::name_pass_failed{});
    return 2;
  }
  std::string error;
  std::optional<std::vector<uint8_t>> rendered = render_sfnt_name_table(table.records, error);
  if (!rendered) {
    sink.report(mend_event::name_table_too_large{error});
    return 2;
  }
  set_sfnt_table_bytes(face.tables[table_index], std::move(*rendered));
  return 0;
}
