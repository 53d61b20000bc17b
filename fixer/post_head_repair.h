// The `post` and `head` passes: a face is declared proportional (isFixedPitch cleared) and
// bit 1 of the head flags (left sidebearing point at x = 0) is cleared. Each works on a copy
// of its table, which then replaces the table's bytes in the face.
#pragma once

#include <cstdint>
#include <span>

#include "fixer/mend_events.h"
#include "sfnt/sfnt_face.h"

// Clears isFixedPitch (byte 12) of a post table of at least 16 bytes, reporting it when it
// was set.
void fix_oddtype_post_table(std::span<uint8_t> table, mend_sink& sink);

// Clears bit 1 of the flags (byte 16) of a head table of at least 18 bytes, reporting the
// old and new flags.
void fix_oddtype_head_table(std::span<uint8_t> table, mend_sink& sink);

// Each returns 0 when the pass ran (a table too short for its field is reported and left
// unchanged) and -1 when the face has no such table (reported).
int fix_post(sfnt_face_info& face, mend_sink& sink);
int fix_head(sfnt_face_info& face, mend_sink& sink);
