// facemend's words for the events of a repair: the report on standard output, problems on
// standard error, each event printed as it happens.
#pragma once

#include "fixer/mend_events.h"

// Prints one event of a repair in facemend's words, on its stream.
void print_mend_event(const mend_event_any& event);

// The sink of a repair reported as text.
struct mend_text_report final : mend_sink {
  void report(const mend_event_any& event) override { print_mend_event(event); }
};
