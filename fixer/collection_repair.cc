#include "fixer/collection_repair.h"

#include <array>

#include "sys/scratch_file.h"
#include "ttc/ttc_reader.h"

namespace {

// Reading room that serves every face in turn: one buffer per mended table, and one for
// the rest.
struct repair_room {
  mended_room held;
  std::vector<uint8_t> pieces;
};

// Notes which mended tables the repair changed, and points each one whose bytes it left as
// they were back at the collection's own bytes, so that only changed tables stay in
// memory.
void restore_unchanged(const sfnt_face_info& original, const sfnt_face_info& held,
                       sfnt_face_info& face, mended_tables& changed) {
  mended_tables here{};
  note_changes(held, face, here);
  for (size_t t = 0; t < kMendedTables.size(); ++t) {
    changed[t] = changed[t] || here[t];
    const std::optional<size_t> index = find_sfnt_table_index(face, kMendedTables[t]);
    if (index && !here[t]) face.tables[*index] = original.tables[*index];
  }
}

// Moves the bytes of the pool's entries from `first` on that are held in memory (the
// tables a repair changed) to the scratch file; an entry whose bytes could not be set
// aside keeps them.
void set_aside_new_tables(ttc_info& pool, size_t first, input_file& scratch) {
  for (size_t i = first; i < pool.tables().size(); ++i) {
    const table_bytes& bytes = pool.tables()[i].bytes;
    if (!std::holds_alternative<std::vector<uint8_t>>(bytes)) continue;
    if (const std::optional<file_extent> extent = set_aside(scratch, held_bytes(bytes)))
      ttc_move_table_bytes(pool, i, *extent);
  }
}

// Repairs face `index` and adds it to `result.repaired`; sets result.status when it fails.
void repair_one(const std::string& name, const ttc_info& collection, size_t index,
                collection_repair& result, mended_tables& changed, repair_room& room,
                mend_sink& sink, input_file* scratch) {
  sink.report(mend_event::face_begins{index});
  const sfnt_face_info original = ttc_face_tables(collection, index);
  sfnt_face_info face = original;
  if (!known_sfnt_version(face.header.version)) {
    sink.report(mend_event::unknown_version{name, face.header.version});
    result.status = 1;
  }
  if (result.status == 0 && !hold_mended_tables(face, room.held)) result.status = 1;
  if (result.status != 0) return;
  const sfnt_face_info held = face;
  result.status = repair_face(face, sink);
  if (result.status != 0) return;
  restore_unchanged(original, held, face, changed);
  // A face that lists a table twice has only the first repaired, so the repaired faces
  // may hold more distinct tables than the collection did.
  const size_t first_new = result.repaired.tables().size();
  const std::optional<ttc_refusal> refused =
      ttc_add_face(result.repaired, std::move(face), ttc_keep::in_place, room.pieces);
  if (refused) {
    // A failed read has been reported where it failed.
    if (refused == ttc_refusal::pool_full)
      sink.report(mend_event::collection_too_large{ttc_max_tables});
    result.status = 1;
  } else if (scratch != nullptr) {
    set_aside_new_tables(result.repaired, first_new, *scratch);
  }
}

}  // namespace

collection_repair repair_collection(const std::string& name, const table_bytes& file,
                                    mended_tables& changed, mend_sink& sink, input_file* scratch) {
  collection_repair result;
  ttc_problem problem;
  const std::optional<ttc_info> collection = ttc_parse_binary(file, problem);
  if (!collection) {
    sink.report(mend_event::collection_unreadable{problem});
    result.status = 1;
    result.unreadable = std::move(problem);
    return result;
  }
  repair_room room;
  for (size_t i = 0; i < collection->faces.size() && result.status == 0; ++i)
    repair_one(name, *collection, i, result, changed, room, sink, scratch);
  return result;
}

bool take_back_set_aside(ttc_info& repaired, const input_file& scratch) {
  std::vector<uint8_t> room;
  for (size_t i = 0; i < repaired.tables().size(); ++i) {
    const table_bytes& bytes = repaired.tables()[i].bytes;
    const file_extent* extent = std::get_if<file_extent>(&bytes);
    if (extent == nullptr || extent->file != &scratch) continue;
    std::optional<std::vector<uint8_t>> held = copy_table_bytes(bytes, room);
    if (!held) return false;
    ttc_move_table_bytes(repaired, i, std::move(*held));
  }
  return true;
}
