#include "programs/mend_files.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cli/printable_text.h"
#include "programs/mend_check.h"
#include "programs/mend_json.h"
#include "programs/report_capture.h"

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
  std::printf("%zu %s: %zu with legacy signs, %zu needing nothing, %zu could not be read or "
              "repaired.\n",
              tally.files, tally.files == 1 ? "file" : "files", tally.legacy, tally.clean,
              tally.failed);
}

// "FILE:" before each file's block when a run has several.
void print_file_line(const mend_request& request, const std::string& file) {
  if (request.files.size() > 1) std::printf("%s:\n", printable_text(file).c_str());
}

// The signs of every face, each named once.
std::vector<std::string> file_signs(const file_finding& finding) {
  std::vector<std::string> signs;
  for (const face_finding& face : finding.faces)
    for (const std::string& sign : face.signs)
      if (std::find(signs.begin(), signs.end(), sign) == signs.end()) signs.push_back(sign);
  return signs;
}

// The two last lines of a file's check: its legacy signs, and the tables a repair would
// change.
void print_verdict(const file_finding& finding) {
  const std::vector<std::string> signs = file_signs(finding);
  if (signs.empty()) {
    std::fputs("No legacy signs.\n", stdout);
  } else {
    std::string line = "Legacy signs: ";
    for (size_t i = 0; i < signs.size(); ++i) line += (i == 0 ? "" : ", ") + signs[i];
    std::printf("%s.\n", line.c_str());
  }
  mended_tables changed{};
  for (const face_finding& face : finding.faces)
    for (size_t t = 0; t < changed.size(); ++t) changed[t] = changed[t] || face.changed[t];
  std::string tables;
  for (size_t t = 0; t < kMendedTables.size(); ++t)
    if (changed[t]) tables += std::string(" ") + kMendedTables[t];
  if (tables.empty())
    std::fputs("Nothing to change.\n", stdout);
  else
    std::printf("Would change:%s\n", tables.c_str());
}

// A quiet run shows a failed file's report, which holds what went wrong.
void print_failure(const mend_request& request, const std::string& file,
                   const std::string& report) {
  print_file_line(request, file);
  std::fputs(report.c_str(), stdout);
}

std::string whole_report(const file_finding& finding) {
  std::string report;
  for (const face_finding& face : finding.faces) report += face.report;
  return report;
}

}  // namespace

int check_files(const mend_request& request) {
  file_tally tally;
  std::vector<checked_file> checked;
  for (const std::string& file : request.files) {
    const bool shown = !request.quiet && !request.json;
    if (shown) print_file_line(request, file);
    file_finding finding = check_font_file(file, !shown);
    const bool legacy = shows_legacy_signs(finding);
    count(tally, finding.status, legacy);
    if (shown && finding.status == 0) print_verdict(finding);
    if (request.quiet && !request.json && finding.status != 0)
      print_failure(request, file, whole_report(finding));
    if (request.json) checked.push_back({file, std::move(finding)});
  }
  const int status = tally.failed != 0 ? tally.worst : tally.legacy != 0 ? 3 : 0;
  if (request.json)
    print_check_document(checked, status);
  else if (request.files.size() > 1)
    print_summary(tally);
  return status;
}

int mend_files_in_place(const mend_request& request,
                        const std::function<int(const std::string&)>& repair) {
  file_tally tally;
  for (const std::string& file : request.files) {
    if (!request.quiet) print_file_line(request, file);
    const file_finding finding = check_font_file(file, true);
    const bool legacy = shows_legacy_signs(finding);
    int status = finding.status;
    if (status != 0) {
      if (request.quiet)
        print_failure(request, file, whole_report(finding));
      else
        std::fputs(whole_report(finding).c_str(), stdout);
    } else if (legacy || request.force) {
      std::optional<caught_report> caught;
      if (request.quiet) caught.emplace();
      status = repair(file);
      if (caught && status != 0) print_failure(request, file, caught->text());
    } else if (!request.quiet) {
      std::fputs("No legacy signs; left unchanged.\n", stdout);
    }
    count(tally, status, legacy);
  }
  print_summary(tally);
  return tally.worst;
}
