#include "tools/join_input.h"

#include <cstdio>
#include <new>
#include <optional>

#include "fontio/byte_buffer.h"
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

// The table's bytes read into bytes of their own; nothing after a message.
std::optional<table_bytes> read_held(const table_bytes& bytes) {
  std::vector<uint8_t> held;
  try {
    reserve_bytes(held, table_length(bytes));
    held.resize(table_length(bytes));
  } catch (const std::bad_alloc&) {
    std::fputs("Memory allocation failed.\n", stderr);
    return std::nullopt;
  }
  std::vector<uint8_t> room;
  for (uint64_t done = 0; done < held.size(); done += table_piece) {
    const auto piece = read_table_piece(bytes, done, piece_length(held.size(), done), room);
    if (!piece) return std::nullopt;
    std::copy(piece->begin(), piece->end(), held.begin() + static_cast<ptrdiff_t>(done));
  }
  return held;
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
  ttc_face face{dir->header, {}};
  for (const sfnt_record& record : dir->records) {
    if (face.table_indices.size() >= ttc_max_tables) return report_full_pool(path);
    std::optional<table_bytes> bytes = table_slice(file, record.offset, record.length);
    if (hold) bytes = read_held(*bytes);
    if (!bytes) return -1;
    const ttc_added added = ttc_add_table(info, record.tag, std::move(*bytes), room);
    if (!added.index) return added.refusal == ttc_refusal::pool_full ? report_full_pool(path) : -1;
    face.table_indices.push_back(*added.index);
  }
  info.faces.push_back(std::move(face));
  return 0;
}
