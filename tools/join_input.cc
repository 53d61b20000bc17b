#include "tools/join_input.h"

#include <cstdio>
#include <optional>

#include "fontio/sfnt_directory.h"
#include "ttc/ttc_reader.h"

namespace {

// Whether the file begins with the collection tag; nothing after a failed read.
std::optional<bool> starts_as_collection(const table_bytes& file, std::vector<uint8_t>& room) {
  if (table_length(file) < 4) return false;
  const auto tag = read_table_piece(file, 0, 4, room);
  if (!tag) return std::nullopt;
  return is_collection_file(*tag);
}

// The directory of a single-face font, or nothing after a message naming the file. A
// collection would have its header taken for an offset table, so it is refused by name.
std::optional<sfnt_directory> single_face_directory(const std::string& path,
                                                    const table_bytes& file,
                                                    std::vector<uint8_t>& room) {
  std::string problem = "empty file";
  std::optional<sfnt_directory> dir;
  if (table_length(file) > 0) {
    const std::optional<bool> collection = starts_as_collection(file, room);
    if (!collection) return std::nullopt;
    if (*collection)
      problem = "not a single-face font (it is a collection; facesplit splits it)";
    else
      dir = read_sfnt_directory(file, 0, problem);
  }
  if (!dir && !problem.empty()) std::fprintf(stderr, "%s: %s\n", path.c_str(), problem.c_str());
  return dir;
}

int report_full_pool(const std::string& path) {
  std::fprintf(stderr, "%s: the collection would hold more than %zu distinct tables\n",
               path.c_str(), ttc_max_tables);
  return -1;
}

}  // namespace

int add_font_file(ttc_info& info, const std::string& path, const table_bytes& file, bool hold,
                  std::vector<uint8_t>& room) {
  const std::optional<sfnt_directory> dir = single_face_directory(path, file, room);
  if (!dir) return -1;
  const ttc_keep keep = hold ? ttc_keep::copy : ttc_keep::in_place;
  const ttc_added added = ttc_add_face(info, sfnt_face_from_directory(file, *dir), keep, room);
  if (!added.index) return added.refusal == ttc_refusal::pool_full ? report_full_pool(path) : -1;
  return 0;
}
