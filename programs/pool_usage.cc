#include "programs/pool_usage.h"

std::vector<std::vector<size_t>> faces_using_entries(const ttc_info& info) {
  std::vector<std::vector<size_t>> users(info.tables.size());
  for (size_t face = 0; face < info.faces.size(); ++face) {
    for (const int32_t index : info.faces[face]->table_indices) {
      std::vector<size_t>& faces = users[static_cast<size_t>(index)];
      if (faces.empty() || faces.back() != face) faces.push_back(face);
    }
  }
  return users;
}

std::string tag_word(const sfnt_tag& tag) {
  size_t length = tag.size();
  while (length > 1 && tag[length - 1] == ' ') --length;
  std::string word;
  for (size_t i = 0; i < length; ++i) word += tag[i] > ' ' && tag[i] < 0x7F ? char(tag[i]) : '?';
  return word;
}
