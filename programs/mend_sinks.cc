#include "programs/mend_sinks.h"

#include <cstdio>

#include "cli/messages.h"
#include "programs/mend_report.h"

namespace {

using namespace mend_event;

// Whether the event says that something went wrong, and whether its words go to standard
// output.
struct problem_kind {
  bool problem = false;
  bool on_stdout = false;
};

problem_kind kind_of(const mend_event_any& event) {
  if (const auto* missing = std::get_if<table_missing>(&event))
    return {missing->tag == "name", true};
  if (std::holds_alternative<name_pass_failed>(event)) return {true, true};
  if (const auto* family = std::get_if<family_name>(&event)) return {!family->family.name, false};
  const bool problem = std::holds_alternative<collection_unreadable>(event) ||
                       std::holds_alternative<collection_too_large>(event) ||
                       std::holds_alternative<unknown_version>(event) ||
                       std::holds_alternative<name_table_unreadable>(event) ||
                       std::holds_alternative<no_substitute>(event) ||
                       std::holds_alternative<substitute_not_ascii>(event) ||
                       std::holds_alternative<name_table_too_large>(event);
  return {problem, false};
}

}  // namespace

void styled_report::report(const mend_event_any& event) {
  const problem_kind kind = kind_of(event);
  const bool shown = style_ == report_style::full ||
                     (kind.problem && (style_ == report_style::problems || !kind.on_stdout));
  if (!shown) return;
  if (style_ != report_style::quiet_stdout) print_heading();
  print_mend_event(event);
}

void styled_report::print_heading() {
  if (headed_ || heading_.empty()) return;
  headed_ = true;
  say(report_to::standard_output, heading_.c_str());
}

void finding_recorder::report(const mend_event_any& event) {
  if (std::holds_alternative<face_begins>(event)) faces_.emplace_back();
  face_finding& face = current();
  if (const auto* family = std::get_if<family_name>(&event)) face.family = family->family.name;
  if (std::holds_alternative<mac_roman_cut>(event)) face.cmap_cut = true;
  if (const auto* broken = std::get_if<cmap_broken>(&event))
    face.cmap_corrected = face.cmap_corrected || broken->corrected;
  next_.report(event);
}

face_finding& finding_recorder::current() {
  if (faces_.empty()) faces_.emplace_back();
  return faces_.back();
}
