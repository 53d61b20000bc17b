#include "demo/font_faces.h"

#include <cstdio>

#include "cli/messages.h"
#include "programs/collection_messages.h"
#include "sfnt/font_file.h"
#include "sys/input_file.h"
#include "ttc/ttc_reader.h"

namespace {

bool read_collection(font_faces& out) {
  ttc_problem problem;
  const std::optional<ttc_info> info =
      ttc_parse_binary(std::span<const uint8_t>(*out.bytes), problem);
  if (!info) {
    print_ttc_problem(problem);
    return false;
  }
  out.collection = true;
  out.stored_tables = info->tables().size();
  for (size_t i = 0; i < info->faces.size(); ++i) out.faces.push_back(ttc_face_tables(*info, i));
  return true;
}

}  // namespace

std::optional<font_faces> read_font_faces(const std::string& path) {
  loaded_file loaded = load_file(path, print_io_problem);
  if (loaded.status != load_status::loaded) return std::nullopt;
  font_faces out;
  out.bytes = std::make_shared<const std::vector<uint8_t>>(std::move(loaded.data));
  const std::span<const uint8_t> bytes(*out.bytes);
  font_problem problem;
  const std::optional<font_file> font = open_font_file(bytes, problem);
  if (font && font->kind == font_kind::collection) {
    if (!read_collection(out)) return std::nullopt;
    return out;
  }
  if (!font) {
    if (problem.fault == font_fault::unknown_version)
      std::fprintf(stderr, "%s: unknown sfnt version 0x%08X\n", path.c_str(), problem.version);
    else if (problem.fault != font_fault::unread)
      std::fprintf(stderr, "%s: %s\n", path.c_str(),
                   problem.detail.empty() ? "empty file" : problem.detail.c_str());
    return std::nullopt;
  }
  out.stored_tables = font->directory.records.size();
  out.faces.push_back(sfnt_face_from_directory(bytes, font->directory));
  return out;
}

std::optional<std::span<const uint8_t>> face_table_bytes(const sfnt_face_info& face,
                                                         std::string_view tag) {
  const std::optional<size_t> index = find_sfnt_table_index(face, tag);
  if (!index) return std::nullopt;
  return sfnt_table_bytes(face.tables[*index]);
}
