#include "fuzz/seed_fonts.h"

#include <algorithm>
#include <optional>
#include <string>

#include "sfnt/byte_reader.h"
#include "sfnt/font_file.h"
#include "sfnt/sfnt_directory.h"

namespace {

constexpr size_t kSmallTable = 1024;
constexpr size_t kPostHeader = 32;
constexpr size_t kKeptTable = 40000;

std::optional<std::vector<font_table>> face_at(std::span<const uint8_t> file, uint64_t at) {
  std::string problem;
  const std::optional<sfnt_directory> dir = read_sfnt_directory(file, at, problem);
  if (!dir) return std::nullopt;
  std::vector<font_table> tables;
  for (const sfnt_record& record : dir->records) {
    const std::span<const uint8_t> bytes = file.subspan(record.offset, record.length);
    tables.push_back({tag_text(record.tag), std::vector<uint8_t>(bytes.begin(), bytes.end())});
  }
  return tables;
}

}  // namespace

std::vector<std::vector<font_table>> faces_of_file(std::span<const uint8_t> file) {
  std::vector<uint64_t> offsets = {0};
  if (starts_collection(file)) {
    offsets.clear();
    const uint32_t count = u32_at(file, 8).value_or(0);
    for (uint32_t i = 0; i < count; ++i) {
      const std::optional<uint32_t> at = u32_at(file, 12 + uint64_t{4} * i);
      if (!at) return {};
      offsets.push_back(*at);
    }
  }
  std::vector<std::vector<font_table>> faces;
  for (const uint64_t at : offsets) {
    std::optional<std::vector<font_table>> face = face_at(file, at);
    if (!face) return {};
    faces.push_back(std::move(*face));
  }
  return faces;
}

std::vector<font_table> reduced_face(const std::vector<font_table>& tables) {
  std::vector<font_table> kept;
  for (const font_table& table : tables) {
    const bool own = table.tag == "name" || table.tag == "cmap" || table.tag == "head";
    if (table.tag == "post") {
      const size_t length = std::min(table.bytes.size(), kPostHeader);
      kept.push_back({table.tag, {table.bytes.begin(), table.bytes.begin() + length}});
    } else if ((own && table.bytes.size() <= kKeptTable) || table.bytes.size() <= kSmallTable) {
      kept.push_back(table);
    }
  }
  return kept;
}

const std::vector<uint8_t>* find_table(const std::vector<font_table>& tables, const char* tag) {
  for (const font_table& table : tables)
    if (table.tag == tag) return &table.bytes;
  return nullptr;
}
