// What the repair of a face or a collection reports as it goes. The passes hand each event
// to a sink that the program supplies; only the program turns events into words, a
// document or nothing, and chooses the stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "fixer/name_text.h"
#include "ttc/ttc_problem.h"

namespace mend_event {

// Face `index` of a collection begins.
struct face_begins {
  size_t index = 0;
};
// The collection cannot be read, for the reason `problem` gives; nothing is repaired.
struct collection_unreadable {
  ttc_problem problem;
};
// A face of the collection `file` has sfnt version `version`, none that fonts use; nothing
// is repaired.
struct unknown_version {
  std::string file;
  uint32_t version = 0;
};
// The repaired faces hold more distinct tables than a collection can; nothing is written.
struct collection_too_large {
  size_t limit = 0;
};

// A table the repair needs is absent: no `name` ends the repair, the other passes go on.
struct table_missing {
  std::string tag;
};
// The `name` table cannot be read; `error` is a whole line for the user. Ends the repair.
struct name_table_unreadable {
  std::string error;
};
// The Windows English family name, reported before the passes.
struct family_name {
  font_family family;
};
// The pass on table `tag` begins.
struct pass_begins {
  std::string tag;
};
// A table too short to hold the field its pass changes; left as it was.
struct table_too_short {
  std::string tag;
  size_t size = 0;
};

// The `cmap` pass parses the table.
struct cmap_parsing {};
// The table's length disagrees with its subtables; `corrected` when the Windows Unicode
// format 4 subtable took the difference.
struct cmap_broken {
  bool corrected = false;
};
// The table cannot be carried through whole, for `reason`; left as it was.
struct cmap_left_unchanged {
  std::string reason;
};
// A Macintosh Roman subtable of 256 codes is cut to the codes below 0x7F.
struct mac_roman_cut {};

// A Macintosh Roman English name (`name_id` 1 family, 4 full) holds Shift-JIS `bytes`.
struct shift_jis_name {
  uint16_t name_id = 0;
  std::vector<uint8_t> bytes;
};
// The name is replaced by the ASCII form of its Windows substitute.
struct name_substituted {
  uint16_t name_id = 0;
  std::string ascii;
};
// Refusals of the name pass, each ending the repair: no Windows English substitute, a
// substitute without an ASCII form, a table too large to rebuild (`error` is a whole line).
struct no_substitute {
  uint16_t name_id = 0;
};
struct substitute_not_ascii {
  uint16_t name_id = 0;
  ascii_refusal refusal = ascii_refusal::not_ascii;
};
struct name_table_too_large {
  std::string error;
};
// The name pass failed after one of the refusals above.
struct name_pass_failed {};

// isFixedPitch was `was` (non-zero) and is now 0.
struct fixed_pitch_cleared {
  uint32_t was = 0;
};
// The head flags before and after bit 1 is cleared (reported also when they are equal).
struct head_flags {
  uint16_t was = 0;
  uint16_t now = 0;
};
// Every pass of the face has run.
struct repair_done {};

}  // namespace mend_event

using mend_event_any = std::variant<
    mend_event::face_begins, mend_event::collection_unreadable, mend_event::collection_too_large,
    mend_event::unknown_version, mend_event::table_missing, mend_event::name_table_unreadable,
    mend_event::family_name, mend_event::pass_begins, mend_event::table_too_short,
    mend_event::cmap_parsing, mend_event::cmap_broken, mend_event::cmap_left_unchanged,
    mend_event::mac_roman_cut, mend_event::shift_jis_name, mend_event::name_substituted,
    mend_event::no_substitute, mend_event::substitute_not_ascii, mend_event::name_table_too_large,
    mend_event::name_pass_failed, mend_event::fixed_pitch_cleared, mend_event::head_flags,
    mend_event::repair_done>;

// Where the repair sends its events, in the order they happen.
struct mend_sink {
  virtual void report(const mend_event_any& event) = 0;

 protected:
  ~mend_sink() = default;
};
