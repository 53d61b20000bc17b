#include "programs/mend_json.h"

#include "programs/json_text.h"

namespace {

using json = nlohmann::ordered_json;

// Why a repair would change table `t` of the face.
std::string why_changed(size_t t, const face_finding& face) {
  switch (t) {
    case 0:
      if (face.cmap_cut) return "cut 0x80-0xFF";
      if (face.cmap_corrected) return "length corrected";
      return "layout only";
    case 1:
      return "Shift-JIS Macintosh names replaced";
    case 2:
      return "monospaced mark cleared";
    default:
      return "flags bit 1 cleared";
  }
}

json face_document(size_t index, const face_finding& face) {
  json changes = json::array();
  for (size_t t = 0; t < kMendedTables.size(); ++t)
    if (face.changed[t])
      changes.push_back({{"table", kMendedTables[t]}, {"why", why_changed(t, face)}});
  json document;
  document["face"] = index;
  document["family"] = face.family ? json_bytes(*face.family) : json(nullptr);
  document["legacy_signs"] = face.signs;
  document["would_change"] = std::move(changes);
  return document;
}

json file_document(const checked_file& file) {
  const file_finding& finding = file.finding;
  json faces = json::array();
  if (finding.status == 0)
    for (size_t i = 0; i < finding.faces.size(); ++i)
      faces.push_back(face_document(i, finding.faces[i]));
  const std::vector<std::string> signs = file_signs(finding);
  json document;
  document["file"] = json_bytes(file.name);
  document["status"] = finding.status != 0 ? finding.status : signs.empty() ? 0 : 3;
  document["legacy_signs"] = signs;
  document["faces"] = std::move(faces);
  return document;
}

}  // namespace

void print_check_document(const std::vector<checked_file>& files, int status) {
  json list = json::array();
  for (const checked_file& file : files) list.push_back(file_document(file));
  json document;
  document["files"] = std::move(list);
  document["status"] = status;
  print_json_document(document);
}
