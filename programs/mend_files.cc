#include "programs/mend_files.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cli/messages.h"
#include "cli/printable_text.h"
#include "programs/mend_check.h"
#include "programs/mend_json.h"
#include "programs/mend_sinks.h"

namespace {

// How the files of a run came out, for the summary line.
struct file_tally {
  size_t files = 0;
  size_t legacy = 0;
  size_t clean = 0;
  size_t failed = 0;
  int worst = 0;  // the worst status of a file that failed
};

void count(file_tally& tally, int status, bool legacy) {
  ++tally.files;
  if (status != 0) {
    ++tally.failed;
    tally.worst = std::max(tally.worst, status);
  } else {
    ++(legacy ? tally.legacy : tally.clean);
  }
}

void print_summary(const file_tally& tally) {
  say(report_to::standard_output,
      text_format("%zu %s: %zu with legacy signs, %zu needing nothing, %zu could not be read or "
                  "repaired.\n",
                  tally.files, tally.files == 1 ? "file" : "files", tally.legacy, tally.clean,
                  tally.failed));
}

// "FILE:" before each file's block when a run has several.
std::string heading(const mend_request& request, const std::string& file) {
  return request.files.size() > 1 ? printable_text(file) + ":\n" : "";
}

report_style style_of(const mend_request& request) {
  if (request.json) return report_style::quiet_stdout;
  return request.quiet ? report_style::problems : report_style::full;
}

// The two last lines of a file's check: its legacy signs, and the tables a repair would
// change.
void print_verdict(const file_finding& finding) {
  const std::vector<std::string> signs = file_signs(finding);
  if (signs.empty()) {
    say(report_to::standard_output, "No legacy signs.\n");
  } else {
    std::string line = "Legacy signs: ";
    for (size_t i = 0; i < signs.size(); ++i) line += (i == 0 ? "" : ", ") + signs[i];
    say(report_to::standard_output, text_format("%s.\n", line.c_str()));
  }
  mended_tables changed{};
  for (const face_finding& face : finding.faces)
    for (size_t t = 0; t < changed.size(); ++t) changed[t] = changed[t] || face.changed[t];
  std::string tables;
  for (size_t t = 0; t < kMendedTables.size(); ++t)
    if (changed[t]) tables += std::string(" ") + kMendedTables[t];
  if (tables.empty())
    say(report_to::standard_output, "Nothing to change.\n");
  else
    say(report_to::standard_output, text_format("Would change:%s\n", tables.c_str()));
}

}  // namespace

int check_files(const mend_request& request) {
  file_tally tally;
  std::vector<checked_file> checked;
  const report_style style = style_of(request);
  for (const std::string& file : request.files) {
    styled_report report(style, heading(request, file));
    if (style == report_style::full) report.print_heading();
    file_finding finding = check_font_file(file, report);
    count(tally, finding.status, shows_legacy_signs(finding));
    if (style == report_style::full && finding.status == 0) print_verdict(finding);
    if (style == report_style::problems && finding.status != 0) report.print_heading();
    if (request.json) checked.push_back({file, std::move(finding)});
  }
  const int status = tally.failed != 0 ? tally.worst : tally.legacy != 0 ? 3 : 0;
  if (request.json)
    print_check_document(checked, status);
  else if (request.files.size() > 1)
    print_summary(tally);
  return status;
}

int mend_files_in_place(const mend_request& request, const repair_function& repair) {
  file_tally tally;
  const report_style style = style_of(request);
  for (const std::string& file : request.files) {
    styled_report report(style, heading(request, file));
    if (style == report_style::full) report.print_heading();
    kept_events judged;  // what a repair would report, shown only when the file fails
    const file_finding finding = check_font_file(file, judged);
    const bool legacy = shows_legacy_signs(finding);
    int status = finding.status;
    if (status != 0)
      judged.replay(report);
    else if (legacy || request.force)
      status = repair(file, report);
    else if (style == report_style::full)
      say(report_to::standard_output, "No legacy signs; left unchanged.\n");
    if (status != 0) report.print_heading();
    count(tally, status, legacy);
  }
  print_summary(tally);
  return tally.worst;
}
