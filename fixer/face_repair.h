// The repair of one face as facemend reports it: the family line, the four passes in their
// order, each announced, and "Done." with a blank line; and which tables the repair changed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fixer/mend_events.h"
#include "sfnt/sfnt_face.h"

// The tables the passes may change, in the order they run.
inline constexpr std::array<const char*, 4> kMendedTables = {"cmap", "name", "post", "head"};

// Which of kMendedTables a repair changed.
using mended_tables = std::array<bool, 4>;

// Reading room for the tables the passes may change, one buffer each, serving one face after
// another.
using mended_room = std::array<std::vector<uint8_t>, kMendedTables.size()>;

// Points the face's tables of kMendedTables at their bytes in memory, read into `room` unless
// held already, keeping their checksums, so that the passes can take them whole; false after
// a failed read has been handed to the file's sink.
bool hold_mended_tables(sfnt_face_info& face, mended_room& room);

// Runs the passes on `face`, reporting to `sink`: the family name, each pass as it begins
// and what it finds, and the end of the repair. 0, or the status the run must end with
// (1: no usable `name` table; 2: a Shift-JIS name without a usable substitute), after its
// reason was reported; nothing has then been written.
int repair_face(sfnt_face_info& face, mend_sink& sink);

// Adds to `changed` the tables of kMendedTables whose bytes differ between the face as it
// was and as repaired.
void note_changes(const sfnt_face_info& before, const sfnt_face_info& after,
                  mended_tables& changed);
