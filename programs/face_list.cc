#include "programs/face_list.h"

namespace {

// The number at the start of `text`, which it then leaves; nothing without a digit there
// or past 32 bits.
std::optional<uint32_t> take_number(std::string_view& text) {
  uint64_t value = 0;
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    value = value * 10 + static_cast<uint64_t>(text[digits] - '0');
    if (value > UINT32_MAX) return std::nullopt;
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  text.remove_prefix(digits);
  return static_cast<uint32_t>(value);
}

// One item: "N" or "N-M" with N <= M.
std::optional<face_range> parse_item(std::string_view item) {
  const std::optional<uint32_t> first = take_number(item);
  if (!first) return std::nullopt;
  if (item.empty()) return face_range{*first, *first};
  if (item[0] != '-') return std::nullopt;
  item.remove_prefix(1);
  const std::optional<uint32_t> last = take_number(item);
  if (!last || !item.empty() || *last < *first) return std::nullopt;
  return face_range{*first, *last};
}

}  // namespace

std::optional<std::vector<face_range>> parse_face_list(std::string_view text) {
  std::vector<face_range> ranges;
  while (true) {
    const size_t comma = text.find(',');
    const std::optional<face_range> range = parse_item(text.substr(0, comma));
    if (!range) return std::nullopt;
    ranges.push_back(*range);
    if (comma == text.npos) return ranges;
    text.remove_prefix(comma + 1);
  }
}
