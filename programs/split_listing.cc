#include "programs/split_listing.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>

#include "cli/messages.h"
#include "cli/printable_text.h"
#include "programs/face_names.h"
#include "programs/json_text.h"
#include "programs/pool_usage.h"

namespace {

struct listed_face {
  size_t index = 0;
  std::optional<std::string> name;
  const char* outlines = "";
  size_t tables = 0;
  std::vector<std::string> shared;
};

std::vector<listed_face> listed_faces(const ttc_info& info, const std::vector<bool>& selected) {
  const std::vector<std::vector<size_t>> users = faces_using_entries(info);
  std::vector<uint8_t> room;
  std::vector<listed_face> faces;
  for (size_t face = 0; face < info.faces.size(); ++face) {
    if (!selected[face]) continue;
    listed_face listed{face,
                       face_postscript_name(info, face, room),
                       is_cff_face(*info.faces[face]) ? "CFF" : "TrueType",
                       info.faces[face]->table_indices.size(),
                       {}};
    for (const int32_t index : info.faces[face]->table_indices)
      if (users[static_cast<size_t>(index)].size() > 1)
        listed.shared.push_back(
            tag_text(info.tables()[static_cast<size_t>(index)].tag, tag_form::word));
    faces.push_back(std::move(listed));
  }
  return faces;
}

void print_lines(const std::vector<listed_face>& faces) {
  for (const listed_face& face : faces) {
    std::string shared;
    for (const std::string& tag : face.shared) shared += " " + tag;
    say(report_to::standard_output,
        text_format("%zu %s %s %zu%s\n", face.index,
                    face.name ? printable_text(*face.name).c_str() : "-", face.outlines,
                    face.tables, shared.c_str()));
  }
}

void print_json(const std::string& name, const std::vector<listed_face>& faces) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const listed_face& face : faces) {
    nlohmann::ordered_json entry;
    entry["index"] = face.index;
    entry["postscript_name"] = face.name ? nlohmann::ordered_json(*face.name) : nullptr;
    entry["outlines"] = face.outlines;
    entry["tables"] = face.tables;
    entry["shared"] = face.shared;
    list.push_back(std::move(entry));
  }
  nlohmann::ordered_json document;
  document["collection"] = json_bytes(name);
  document["faces"] = std::move(list);
  print_json_document(document);
}

}  // namespace

void list_faces(const std::string& name, const ttc_info& info, const std::vector<bool>& selected,
                bool json) {
  const std::vector<listed_face> faces = listed_faces(info, selected);
  if (json)
    print_json(name, faces);
  else
    print_lines(faces);
}
