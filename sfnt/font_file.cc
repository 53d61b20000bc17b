#include "sfnt/font_file.h"

#include <algorithm>
#include <vector>

#include "sfnt/byte_reader.h"

namespace {

constexpr uint64_t kOffsetTableSize = 12;

}  // namespace

bool starts_collection(std::span<const uint8_t> first_bytes) {
  const auto tag = checked_extent(first_bytes, 0, 4);
  const sfnt_tag ttcf = make_tag("ttcf");
  return tag && std::equal(tag->begin(), tag->end(), ttcf.begin());
}

std::optional<font_file> open_font_file(const table_bytes& file, font_problem& problem) {
  const uint64_t size = table_length(file);
  problem = {};
  problem.short_file = size < kOffsetTableSize;
  if (size == 0) {
    problem.fault = font_fault::empty;
    return std::nullopt;
  }
  std::vector<uint8_t> room;
  const auto head =
      read_table_piece(file, 0, static_cast<size_t>(std::min(size, kOffsetTableSize)), room);
  if (!head) return std::nullopt;
  if (starts_collection(*head)) return font_file{font_kind::collection, {}};
  if (const std::optional<uint32_t> version = u32_at(*head, 0);
      version && !known_sfnt_version(*version)) {
    problem.fault = font_fault::unknown_version;
    problem.version = *version;
    return std::nullopt;
  }
  std::optional<sfnt_directory> dir = read_sfnt_directory(file, 0, problem.detail);
  if (!dir) {
    problem.fault = problem.detail.empty() ? font_fault::unread : font_fault::broken;
    return std::nullopt;
  }
  return font_file{font_kind::single, std::move(*dir)};
}
