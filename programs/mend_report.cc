#include "programs/mend_report.h"

#include <cstdio>
#include <cstring>

#include "cli/messages.h"
#include "cli/printable_text.h"
#include "programs/collection_messages.h"

namespace {

void print_iconv_failure(ascii_refusal refusal) {
  say_problem(text_format("iconv: %s\n", std::strerror(static_cast<int>(refusal))));
}

struct event_printer {
  void operator()(const mend_event::face_begins& e) const {
    say(report_to::standard_output, text_format("Face %zu:\n", e.index));
  }
  void operator()(const mend_event::collection_unreadable& e) const {
    print_ttc_problem(e.problem);
    say_problem("parse failed...\n");
  }
  void operator()(const mend_event::collection_too_large& e) const {
    say_problem(text_format("Collection holds more than %zu distinct tables.\n", e.limit));
  }
  void operator()(const mend_event::unknown_version& e) const {
    say_problem(text_format("Not a font file: %s has an unknown sfnt version (0x%08X).\n",
                            e.file.c_str(), e.version));
  }
  void operator()(const mend_event::table_missing& e) const {
    say(report_to::standard_output, text_format("Couldn't find `%s' table...\n", e.tag.c_str()));
  }
  void operator()(const mend_event::name_table_unreadable& e) const {
    say_problem(e.error.c_str());
  }
  void operator()(const mend_event::family_name& e) const {
    if (e.family.refusal) print_iconv_failure(*e.family.refusal);
    if (e.family.name)
      say(report_to::standard_output,
          text_format("Font family: %s\n", printable_text(*e.family.name).c_str()));
    else
      say_problem("Warning: Couldn't get font family.\n");
  }
  void operator()(const mend_event::pass_begins& e) const {
    say(report_to::standard_output, text_format("Processing `%s' table...\n", e.tag.c_str()));
  }
  void operator()(const mend_event::table_too_short& e) const {
    say(report_to::standard_output,
        text_format("  `%s' table is too short (%zu bytes); left unchanged.\n", e.tag.c_str(),
                    e.size));
  }
  void operator()(const mend_event::cmap_parsing&) const {
    say(report_to::standard_output, "  Parsing cmap table.\n");
  }
  // The line stays open when nothing was corrected, so the next message continues it.
  void operator()(const mend_event::cmap_broken& e) const {
    say(report_to::standard_output, "  Broken cmap table!  ");
    if (e.corrected) say(report_to::standard_output, "  Correncting...\n");
  }
  void operator()(const mend_event::cmap_left_unchanged& e) const {
    say(report_to::standard_output,
        text_format("  cmap table left unchanged: %s.\n", e.reason.c_str()));
  }
  void operator()(const mend_event::mac_roman_cut&) const {
    say(report_to::standard_output,
        "  Removing code area 0x80-0xff from CMap table for \"Macintosh, Roman\".\n");
  }
  void operator()(const mend_event::shift_jis_name& e) const {
    say(report_to::standard_output,
        e.name_id == 1
            ? "  Font family name for \"Mac, Roman, English\" looks like a Shift-JIS string.\n"
            : "  Font full name for \"Mac, Roman, English\" looks like a Shift-JIS string.\n");
  }
  void operator()(const mend_event::name_substituted& e) const {
    say(report_to::standard_output,
        text_format("  Found substitute: \"%s\"\n", printable_text(e.ascii).c_str()));
  }
  void operator()(const mend_event::no_substitute& e) const {
    say_problem(e.name_id == 1 ? "Can't find substitute.\n" : "  Can't find substitute.\n");
  }
  void operator()(const mend_event::substitute_not_ascii& e) const {
    print_iconv_failure(e.refusal);
    say_problem("  Failed to convert substitute to ASCII.\n");
  }
  void operator()(const mend_event::name_table_too_large& e) const { say_problem(e.error.c_str()); }
  void operator()(const mend_event::name_pass_failed&) const {
    say(report_to::standard_output, "Conversion failed.\n");
  }
  void operator()(const mend_event::fixed_pitch_cleared&) const {
    say(report_to::standard_output, "  isFixedPitch: 1 -> 0\n");
  }
  void operator()(const mend_event::head_flags& e) const {
    say(report_to::standard_output, text_format("  flags: %04x -> %04x\n", e.was, e.now));
  }
  void operator()(const mend_event::repair_done&) const {
    say(report_to::standard_output, "Done.\n\n");
  }
};

}  // namespace

void print_mend_event(const mend_event_any& event) {
  std::visit(event_printer{}, event);
}
