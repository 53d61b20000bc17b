#include "tools/join_input.h"

#include <cstdio>
#include <optional>

#include "fontio/sfnt_directory.h"
#include "ttc/ttc_reader.h"

namespace {

// The directory of a single-face font, or nothing after a message naming the file. A
// collection would have its header taken for an offset table, so it is refused by name.
std::optional<sfnt_directory> single_face_directory(const std::string& path,
                                                    std::span<const uint8_t> file) {
  std::string problem;
  std::optional<sfnt_directory> dir;
  if (file.empty()) {
    problem = "empty file";
  } else if (is_collection_file(file)) {
    problem = "not a single-face font (it is a collection; facesplit splits it)";
  } else {
    dir = read_sfnt_directory(file, 0, problem);
  }
  if (!dir) std::fprintf(stderr, "%s: %s\n", path.c_str(), problem.c_str());
  return dir;
}

}  // namespace

int add_font_file(ttc_info& info, const std::string& path, std::span<const uint8_t> file) {
  const std::optional<sfnt_directory> dir = single_face_directory(path, file);
  if (!dir) return -1;

  const size_t face = ttc_create_face(info);
  info.faces[face].version = dir->version;
  info.faces[face].search_range = dir->search_range;
  info.faces[face].entry_selector = dir->entry_selector;
  info.faces[face].range_shift = dir->range_shift;
  for (const sfnt_record& record : dir->records) {
    if (ttc_add_table_to_face(info, face, record.tag, file.subspan(record.offset, record.length)) <
        0) {
      std::fprintf(stderr, "%s: the collection would hold more than %zu distinct tables\n",
                   path.c_str(), ttc_max_tables);
      return -1;
    }
  }
  return 0;
}
