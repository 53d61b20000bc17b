#include "support/stored_font.h"

#include <stdexcept>
#include <string>

namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
  if (at > b.size() || b.size() - at < 4) throw std::out_of_range("field past the end");
  return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

uint16_t u16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(u32(b, at) >> 16);  // a directory always has room for it
}

face_view face_at(const std::vector<uint8_t>& file, size_t at) {
  face_view face{
      u32(file, at), u16(file, at + 6), u16(file, at + 8), u16(file, at + 10), {}, {}, {}};
  const size_t count = u16(file, at + 4);
  for (size_t record = at + 12; record < at + 12 + 16 * count; record += 16) {
    const size_t offset = u32(file, record + 8), length = u32(file, record + 12);
    if (offset > file.size() || file.size() - offset < length)
      throw std::out_of_range("table past the end");
    const auto begin = file.begin() + static_cast<std::ptrdiff_t>(offset);
    face.tables.push_back(
        {std::string(file.begin() + static_cast<std::ptrdiff_t>(record),
                     file.begin() + static_cast<std::ptrdiff_t>(record + 4)),
         std::vector<uint8_t>(begin, begin + static_cast<std::ptrdiff_t>(length))});
    face.checksums.push_back(u32(file, record + 4));
    face.offsets.push_back(static_cast<uint32_t>(offset));
  }
  return face;
}

}  // namespace

std::vector<face_view> faces_of(const std::vector<uint8_t>& file) {
  if (file.size() < 4 || std::string(file.begin(), file.begin() + 4) != "ttcf")
    return {face_at(file, 0)};
  std::vector<face_view> faces;
  const size_t count = u32(file, 8);
  for (size_t i = 0; i < count; ++i) faces.push_back(face_at(file, u32(file, 12 + 4 * i)));
  return faces;
}

bool same_tables(const face_view& a, const face_view& b) {
  if (a.tables.size() != b.tables.size()) return false;
  for (size_t i = 0; i < a.tables.size(); ++i)
    if (a.tables[i].tag != b.tables[i].tag || a.tables[i].bytes != b.tables[i].bytes) return false;
  return true;
}

bool same_fields_and_tables(const face_view& a, const face_view& b) {
  return same_tables(a, b) && a.version == b.version && a.search_range == b.search_range &&
         a.entry_selector == b.entry_selector && a.range_shift == b.range_shift;
}
