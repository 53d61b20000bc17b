#include "programs/face_names.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>

namespace {

// Where a name record's string lies within the name table.
struct name_string {
  uint64_t offset = 0;
  uint16_t length = 0;
};

struct name_choice {
  std::optional<name_string> windows;  // (3, 1, 0x409)
  std::optional<name_string> mac;      // (1, 0, 0)
};

constexpr uint16_t kPostScriptName = 6;
constexpr size_t kRecordSize = 12;

const ttc_table* find_table(const ttc_info& info, size_t face, const char* tag) {
  for (const int32_t index : info.faces[face]->table_indices) {
    const ttc_table& table = info.tables()[static_cast<size_t>(index)];
    if (table.tag == make_tag(tag)) return &table;
  }
  return nullptr;
}

// The first Windows and Macintosh English records of the PostScript name; nothing when the
// table is cut short or a read failed.
std::optional<name_choice> find_records(const table_bytes& bytes, std::vector<uint8_t>& room) {
  const auto header = read_table_piece(bytes, 0, 6, room);
  if (!header) return std::nullopt;
  const uint16_t count = read_uint16(header->data() + 2);
  const uint16_t storage = read_uint16(header->data() + 4);
  name_choice choice;
  for (uint64_t at = 6; at < 6 + uint64_t{count} * kRecordSize; at += kRecordSize) {
    const auto record = read_table_piece(bytes, at, kRecordSize, room);
    if (!record) return std::nullopt;
    const uint8_t* r = record->data();
    if (read_uint16(r + 6) != kPostScriptName) continue;
    const uint16_t platform = read_uint16(r), encoding = read_uint16(r + 2);
    const uint16_t language = read_uint16(r + 4);
    const name_string string{uint64_t{storage} + read_uint16(r + 10), read_uint16(r + 8)};
    if (platform == 3 && encoding == 1 && language == 0x409 && !choice.windows)
      choice.windows = string;
    if (platform == 1 && encoding == 0 && language == 0 && !choice.mac) choice.mac = string;
  }
  return choice;
}

char safe_char(uint32_t c) {
  const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '_' || c == '-';
  return safe ? static_cast<char>(c) : '_';
}

// The record's string in safe characters: one per UTF-16 unit, or per Mac Roman byte.
std::optional<std::string> read_name(const table_bytes& bytes, const name_string& where, bool utf16,
                                     std::vector<uint8_t>& room) {
  const auto text = read_table_piece(bytes, where.offset, where.length, room);
  if (!text) return std::nullopt;
  std::string name;
  const size_t step = utf16 ? 2 : 1;
  for (size_t at = 0; at + step <= text->size(); at += step)
    name += safe_char(utf16 ? read_uint16(text->data() + at) : (*text)[at]);
  return name;
}

// The name with a leading '.' made '_', or nothing when it has no letter or digit.
std::optional<std::string> usable(std::optional<std::string> name) {
  if (!name) return std::nullopt;
  const auto alnum = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
  if (std::none_of(name->begin(), name->end(), alnum)) return std::nullopt;
  if ((*name)[0] == '.') (*name)[0] = '_';
  return name;
}

// stem + suffix + extension, the stem cut so that the whole fits max_file_name bytes.
std::string fitted(const std::string& stem, const std::string& suffix, const char* extension) {
  const size_t room = max_file_name - suffix.size() - std::char_traits<char>::length(extension);
  return stem.substr(0, room) + suffix + extension;
}

// The name as a file system that ignores case sees it (vfat, macOS, casefolded ext4): there
// "Dup.ttf" and "DUP.ttf" are one file. Names hold only ASCII by now.
std::string folded(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

}  // namespace

std::string index_file_name(size_t face) {
  char name[80];
  std::snprintf(name, sizeof name, "face_%02zu.ttf", face);
  return name;
}

bool is_cff_face(const ttc_face& face) {
  return face.header.version == 0x4F54544F;  // "OTTO"
}

std::optional<std::string> face_postscript_name(const ttc_info& info, size_t face,
                                                std::vector<uint8_t>& room) {
  const ttc_table* table = find_table(info, face, "name");
  if (table == nullptr) return std::nullopt;
  const std::optional<name_choice> choice = find_records(table->bytes, room);
  if (!choice) return std::nullopt;
  std::optional<std::string> name;
  if (choice->windows) name = usable(read_name(table->bytes, *choice->windows, true, room));
  if (!name && choice->mac) name = usable(read_name(table->bytes, *choice->mac, false, room));
  return name;
}

std::vector<std::string> postscript_file_names(std::span<const face_naming> faces) {
  std::set<std::string> taken;
  std::vector<std::string> names;
  for (size_t i = 0; i < faces.size(); ++i) {
    std::string stem = index_file_name(i);
    stem.resize(stem.size() - 4);  // without ".ttf"
    const char* extension = ".ttf";
    if (faces[i].postscript) {
      stem = *faces[i].postscript;
      if (faces[i].cff) extension = ".otf";
    }
    std::string name = fitted(stem, "", extension);
    for (size_t n = 1; taken.count(folded(name)) != 0; ++n)
      name = fitted(stem, "-" + std::to_string(n), extension);
    taken.insert(folded(name));
    names.push_back(name);
  }
  return names;
}
