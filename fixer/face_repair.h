// The repair of one face as facemend reports it: the family line, the four passes in their
// order, each announced, and "Done." with a blank line; and which tables the repair changed.
#pragma once

#include <array>
#include <string>

#include "fixer/mend_events.h"
#include "sfnt/sfnt_face.h"

// The tables the passes may change, in the order they run.
inline constexpr std::array<const char*, 4> kMendedTables = {"cmap", "name", "post", "head"};

// Which of kMendedTables a repair changed.
using mended_tables = std::array<bool, 4>;

// Runs the passes on `face`, reporting to `sink`: the family name, each pass as it begins
// and what it finds, and the end of the repair. 0, or the status the run must end with
// (1: no usable `name` table; 2: a Shift-JIS name without a usable substitute), after its
// reason was reported; nothing has then been written.
int repair_face(sfnt_face_info& face, mend_sink& sink);

// Adds to `changed` the tables of kMendedTables whose bytes differ between the face as it
// was and as repaired.
void note_changes(const sfnt_face_info& before, const sfnt_face_info& after,
                  mended_tables& changed);
