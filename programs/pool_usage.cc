#include "programs/pool_usage.h"

#include <algorithm>

#include "cli/printable_text.h"

std::vector<std::vector<size_t>> faces_using_entries(const ttc_info& info) {
  std::vector<std::vector<size_t>> users(info.tables().size());
  for (size_t face = 0; face < info.faces.size(); ++face) {
    for (const int32_t index : info.faces[face]->table_indices) {
      std::vector<size_t>& faces = users[static_cast<size_t>(index)];
      if (faces.empty() || faces.back() != face) faces.push_back(face);
    }
  }
  return users;
}
