#include "programs/mend_report.h"

#include <cstdio>
#include <cstring>

#include "cli/printable_text.h"
#include "programs/collection_messages.h"

namespace {

void print_iconv_failure(ascii_refusal refusal) {
  std::fprintf(stderr, "iconv: %s\n", std::strerror(static_cast<int>(refusal)));
}

struct event_printer {
  void operator()(const mend_event::face_begins& e) const { std::printf("Face %zu:\n", e.index); }
  void operator()(const mend_event::collection_unreadable& e) const {
    print_ttc_problem(e.problem);
    std::fputs("parse failed...\n", stderr);
  }
  void operator()(const mend_event::collection_too_large& e) const {
    std::fprintf(stderr, "Collection holds more than %zu distinct tables.\n", e.limit);
  }
  void operator()(const mend_event::table_missing& e) const {
    std::printf("Couldn't find `%s' table...\n", e.tag.c_str());
  }
  void operator()(const mend_event::name_table_unreadable& e) const {
    std::fputs(e.error.c_str(), stderr);
  }
  void operator()(const mend_event::family_name& e) const {
    if (e.family.refusal) print_iconv_failure(*e.family.refusal);
    if (e.family.name)
      std::printf("Font family: %s\n", printable_text(*e.family.name).c_str());
    else
      std::fputs("Warning: Couldn't get font family.\n", stderr);
  }
  void operator()(const mend_event::pass_begins& e) const {
    std::printf("Processing `%s' table...\n", e.tag.c_str());
  }
  void operator()(const mend_event::table_too_short& e) const {
    std::printf("  `%s' table is too short (%zu bytes); left unchanged.\n", e.tag.c_str(), e.size);
  }
  void operator()(const mend_event::cmap_parsing&) const {
    std::fputs("  Parsing cmap table.\n", stdout);
  }
  // The line stays open when nothing was corrected, so the next message continues it.
  void operator()(const mend_event::cmap_broken& e) const {
    std::fputs("  Broken cmap table!  ", stdout);
    if (e.corrected) std::fputs("  Correncting...\n", stdout);
  }
  void operator()(const mend_event::cmap_left_unchanged& e) const {
    std::printf("  cmap table left unchanged: %s.\n", e.reason.c_str());
  }
  void operator()(const mend_event::mac_roman_cut&) const {
    std::fputs("  Removing code area 0x80-0xff from CMap table for \"Macintosh, Roman\".\n",
               stdout);
  }
  void operator()(const mend_event::shift_jis_name& e) const {
    std::fputs(
        e.name_id == 1
            ? "  Font family name for \"Mac, Roman, English\" looks like a Shift-JIS string.\n"
            : "  Font full name for \"Mac, Roman, English\" looks like a Shift-JIS string.\n",
        stdout);
  }
  void operator()(const mend_event::name_substituted& e) const {
    std::printf("  Found substitute: \"%s\"\n", printable_text(e.ascii).c_str());
  }
  void operator()(const mend_event::no_substitute& e) const {
    std::fputs(e.name_id == 1 ? "Can't find substitute.\n" : "  Can't find substitute.\n", stderr);
  }
  void operator()(const mend_event::substitute_not_ascii& e) const {
    print_iconv_failure(e.refusal);
    std::fputs("  Failed to convert substitute to ASCII.\n", stderr);
  }
  void operator()(const mend_event::name_table_too_large& e) const {
    std::fputs(e.error.c_str(), stderr);
  }
  void operator()(const mend_event::name_pass_failed&) const {
    std::fputs("Conversion failed.\n", stdout);
  }
  void operator()(const mend_event::fixed_pitch_cleared&) const {
    std::fputs("  isFixedPitch: 1 -> 0\n", stdout);
  }
  void operator()(const mend_event::head_flags& e) const {
    std::printf("  flags: %04x -> %04x\n", e.was, e.now);
  }
  void operator()(const mend_event::repair_done&) const { std::fputs("Done.\n\n", stdout); }
};

}  // namespace

void print_mend_event(const mend_event_any& event) {
  std::visit(event_printer{}, event);
}
