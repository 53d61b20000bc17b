// How the join tool reads one input: a single-face font becomes a new face of the
// collection, each of its tables shared with an identical entry of the pool. The input is
// read piece by piece; a new table either stays in the input, for the collection to copy
// when it is written, or is read into bytes the pool owns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sfnt/budget.h"
#include "sfnt/table_bytes.h"
#include "ttc/ttc_model.h"

// The face of the single-face font `file` (called `path` in messages), each table a part of
// `file`. Only its offset table and directory are read, and checked: a file whose sfnt
// version is not one that fonts use is refused, and so is a face that would take more than
// `budget` allows for the file's size as a font of its own (see sfnt/budget.h). Nothing
// after the problem has been reported on standard error.
std::optional<sfnt_face_info> read_font_face(const std::string& path, const table_bytes& file,
                                             const work_budget& budget = {});

// Adds the single-face font `file` (called `path` in messages) to `info` as a new face,
// read and checked as read_font_face does. With `hold`, its
// new tables are read into bytes the pool owns; otherwise the new entries are parts of
// `file`, which must then stay open (or alive) until the collection is written. Returns 0,
// or -1 after the problem has been reported on standard error; the collection may then hold
// part of the face and is not to be written.
int add_font_file(ttc_info& info, const std::string& path, const table_bytes& file, bool hold,
                  std::vector<uint8_t>& room, const work_budget& budget = {});

// Adds `faces`, read from `paths` (one per face, in order), as new faces at once: each
// table is read once to be compared with the others of its tag and length (see
// ttc/ttc_join.h), and the new tables stay in their files, which must stay open until the
// collection is written. Returns 0, or -1 after the problem has been reported.
int add_font_faces(ttc_info& info, const std::vector<std::string>& paths,
                   std::vector<sfnt_face_info> faces, std::vector<uint8_t>& room);
