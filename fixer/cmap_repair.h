// The `cmap` pass: the table goes through the model (checked, its length corrected when
// broken) and the Macintosh Roman format 6 subtable of old Japanese fonts, which maps the
// single bytes 0x80-0xFF of Shift-JIS text to glyphs, is cut down to the codes below 0x7F.
#pragma once

#include "fixer/cmap_table.h"
#include "fixer/mend_events.h"
#include "sfnt/sfnt_face.h"

// Cuts each Macintosh Roman format 6 subtable of exactly 256 entries to 127 entries (only
// the count changes), reporting each cut.
void fix_oddtype_cmap_table(sfnt_cmap_table& table, mend_sink& sink);

// Parses, repairs and renders the face's `cmap` table, installing the result. 0 when the
// pass ran (a table it cannot carry through whole is reported and left as it was), -1
// when the face has no `cmap` table (reported).
int fix_cmap(sfnt_face_info& face, mend_sink& sink);
