#include "demo/font_faces.h"

#include <cstdio>

#include "cli/messages.h"
#include "sfnt/sfnt_directory.h"
#include "sys/input_file.h"
#include "ttc/ttc_reader.h"

namespace {

std::optional<font_file> read_collection(std::span<const uint8_t> bytes) {
  const std::optional<ttc_info> info = ttc_parse_binary(bytes);  // reports its own refusals
  if (!info) return std::nullopt;
  font_file file{true, info->tables.size(), {}};
  for (const auto& face : info->faces) {
    font_face out;
    for (const int32_t index : face->table_indices) {
      const ttc_table& table = info->tables[static_cast<size_t>(index)];
      const std::span<const uint8_t> held = held_bytes(table.bytes);
      out.tables.push_back({table.tag, {held.begin(), held.end()}});
    }
    file.faces.push_back(std::move(out));
  }
  return file;
}

std::optional<font_file> read_single(const std::string& path, std::span<const uint8_t> bytes) {
  std::string problem;
  const std::optional<sfnt_directory> dir = read_sfnt_directory(bytes, 0, problem);
  if (!dir) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), problem.c_str());
    return std::nullopt;
  }
  font_face face;
  for (const sfnt_record& record : dir->records) {
    const auto table = bytes.subspan(record.offset, record.length);  // checked by the reader
    face.tables.push_back({record.tag, {table.begin(), table.end()}});
  }
  return font_file{false, face.tables.size(), {std::move(face)}};
}

}  // namespace

std::optional<font_file> read_font_file(const std::string& path) {
  const loaded_file loaded = load_file(path, print_io_problem);
  if (loaded.status != load_status::loaded) return std::nullopt;
  if (is_collection_file(loaded.data)) return read_collection(loaded.data);
  return read_single(path, loaded.data);
}

std::optional<std::span<const uint8_t>> face_table_bytes(const font_face& face,
                                                         std::string_view tag) {
  const sfnt_tag wanted = make_tag(tag);
  for (const face_table& table : face.tables)
    if (table.tag == wanted) return std::span<const uint8_t>(table.bytes);
  return std::nullopt;
}
