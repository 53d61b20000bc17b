#include "fixer/collection_repair.h"

#include <cstdio>

#include "fixer/face_file.h"
#include "ttc/ttc_reader.h"

namespace {

// Reads the tables the passes work on into memory, keeping their checksums; false after a
// failed read has been reported.
bool hold_mended_tables(sfnt_face_info& face) {
  std::vector<uint8_t> room;
  for (const char* tag : kMendedTables) {
    const std::optional<size_t> index = find_sfnt_table_index(face, tag);
    if (!index) continue;
    std::optional<std::vector<uint8_t>> held = copy_table_bytes(face.tables[*index].bytes, room);
    if (!held) return false;
    face.tables[*index].bytes = std::move(*held);
  }
  return true;
}

// Repairs face `index` and adds it to `result.repaired`; sets result.status when it fails.
void repair_one(const std::string& name, const ttc_info& collection, size_t index,
                collection_repair& result, mended_tables& changed) {
  std::printf("Face %zu:\n", index);
  sfnt_face_info face = ttc_face_tables(collection, index);
  result.status = refuse_unknown_version(name, face.header.version);
  if (result.status == 0 && !hold_mended_tables(face)) result.status = 1;
  if (result.status != 0) return;
  const sfnt_face_info before = face;
  result.status = repair_face(face);
  if (result.status != 0) return;
  note_changes(before, face, changed);
  // A face that lists a table twice has only the first repaired, so the repaired faces
  // may hold more distinct tables than the collection did.
  std::vector<uint8_t> room;
  if (!ttc_add_face(result.repaired, std::move(face), ttc_keep::in_place, room).index) {
    std::fprintf(stderr, "Collection holds more than %zu distinct tables.\n", ttc_max_tables);
    result.status = 1;
  }
}

}  // namespace

collection_repair repair_collection(const std::string& name, const table_bytes& file,
                                    mended_tables& changed) {
  collection_repair result;
  const std::optional<ttc_info> collection = ttc_parse_binary(file);
  if (!collection) {
    std::fputs("parse failed...\n", stderr);
    result.status = 1;
    return result;
  }
  for (size_t i = 0; i < collection->faces.size() && result.status == 0; ++i)
    repair_one(name, *collection, i, result, changed);
  return result;
}
