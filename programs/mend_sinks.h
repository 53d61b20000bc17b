// Where facemend sends the events of a repair: printed in its words (all of them, or only
// the problems), kept to be printed later, and noted for the verdict lines and the JSON
// document of a check.
#pragma once

#include <string>
#include <vector>

#include "fixer/mend_events.h"
#include "programs/mend_check.h"

// How much of a repair's report a run prints.
enum class report_style {
  full,          // every event, as a repair prints it
  problems,      // -q: only what went wrong, each on its stream
  quiet_stdout,  // --json: only what went wrong on standard error, which standard output
                 // (the document's) never shows
};

// Prints the events that its style lets through, each as a repair prints it; the heading
// ("FILE:" of a run of several files) comes before the first of them.
class styled_report final : public mend_sink {
 public:
  styled_report(report_style style, std::string heading) : style_(style), heading_(heading) {}
  void report(const mend_event_any& event) override;
  // Prints the heading unless it has been printed: before a report, or for a failure that
  // came as no event (a file that could not be opened).
  void print_heading();

 private:
  report_style style_;
  std::string heading_;
  bool headed_ = false;
};

// Keeps the events, to be passed on later or never.
struct kept_events final : mend_sink {
  void report(const mend_event_any& event) override { events.push_back(event); }
  void replay(mend_sink& sink) const {
    for (const mend_event_any& event : events) sink.report(event);
  }
  std::vector<mend_event_any> events;
};

// Notes what the repair of each face reports into `faces` (a face at each face_begins, and
// for a single font at its first event), and passes every event on to `next`.
class finding_recorder final : public mend_sink {
 public:
  finding_recorder(std::vector<face_finding>& faces, mend_sink& next)
      : faces_(faces), next_(next) {}
  void report(const mend_event_any& event) override;
  // The face the events now describe.
  face_finding& current();

 private:
  std::vector<face_finding>& faces_;
  mend_sink& next_;
};
