// The `name` pass: old Japanese fonts store Shift-JIS text in the Macintosh Roman English
// family and full names, which Mac Roman readers show as garbage. Such a name is replaced
// by the ASCII form of the Windows Unicode English record with the same name ID.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "fixer/mend_events.h"
#include "fixer/name_table.h"
#include "sfnt/sfnt_face.h"

// The Shift-JIS class (0 to 5) of one byte: 0 never valid, 1 ASCII that cannot be a second
// byte, 2 ASCII that can, 3 only a second byte, 4 a lead byte, 5 half-width katakana.
int ckind(uint8_t byte);

// 2 when the bytes are well-formed Shift-JIS with at least one non-ASCII character, 1 for
// plain printable ASCII (or nothing), 0 otherwise.
int sjis_check(std::span<const uint8_t> bytes);

// The Macintosh Roman English record of name `name_id` that the name pass would replace,
// because it holds Shift-JIS text; nothing when there is none.
std::optional<size_t> find_shift_jis_name(std::span<const sfnt_name_record> records,
                                          uint16_t name_id);

// The names the pass looks at, in its order: the family name, then the full name.
inline constexpr std::array<uint16_t, 2> kMendedNames = {1, 4};

// Replaces Shift-JIS Macintosh family and full names by their Windows substitutes,
// reporting what it finds. 1 when a name was replaced, 0 when none needed it, -1 on a
// failure (reported).
int fix_oddtype_fontfamily(std::vector<sfnt_name_record>& records, mend_sink& sink);

// Runs the repair on the parsed table and, when a name was replaced, installs the rendered
// table as entry `table_index` of the face. Returns 0, or after a failure (reported) the
// exit status 2 with which the run must end before anything is written.
int fix_name(sfnt_face_info& face, size_t table_index, sfnt_name_table& table, mend_sink& sink);
