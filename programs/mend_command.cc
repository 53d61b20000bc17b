#include "programs/mend_command.h"

#include <cstdio>
#include <string_view>
#include <utility>

#include "cli/command_line.h"
#include "cli/messages.h"

namespace {

const char kUsage[] =
    "usage: facemend [options] from to\n"
    "       facemend --check [options] file...\n"
    "       facemend --in-place [options] file...";

constexpr cli_option kOptions[] = {
    {0, "check", "", "Write nothing; report what a repair would change and the legacy signs."},
    {'i', "in-place", "", "Repair each file that shows legacy signs in place; leave the rest."},
    {0, "force", "", "With --in-place: repair files without legacy signs too."},
    {'q', "quiet", "", "Print only problems and the summary."},
    {0, "json", "", "With --check: print one JSON document instead of the report."},
    {0, "head", "", "Accepted and ignored: the head pass always runs."},
};

// The arguments with every lone "-" before "--" left out: facemend has always taken it for
// an option that sets nothing.
std::vector<char*> without_lone_dashes(int argc, char** argv) {
  std::vector<char*> kept;
  bool operands_only = false;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (i > 0 && !operands_only && arg == "-") continue;
    operands_only = operands_only || (i > 0 && arg == "--");
    kept.push_back(argv[i]);
  }
  return kept;
}

// What is wrong with the options given together; empty when nothing is.
std::string misplaced_option(const cli_scan& scan) {
  const bool check = last_given(scan, "check") != nullptr;
  const bool in_place = last_given(scan, "in-place") != nullptr;
  if (check && in_place) return "options '--check' and '--in-place' exclude each other";
  if (last_given(scan, "force") && !in_place) return "option '--force' goes only with --in-place";
  if (last_given(scan, "json") && !check) return "option '--json' goes only with --check";
  return "";
}

mend_request request_of(const cli_scan& scan) {
  mend_request request;
  if (last_given(scan, "check")) request.mode = mend_mode::check;
  if (last_given(scan, "in-place")) request.mode = mend_mode::in_place;
  request.files = scan.operands;
  request.force = last_given(scan, "force") != nullptr;
  request.quiet = last_given(scan, "quiet") != nullptr;
  request.json = last_given(scan, "json") != nullptr;
  return request;
}

// Whether the request names the files its mode takes, else the usage line that says so
// has been printed (on standard output, where facemend has always printed it).
bool has_its_files(const mend_request& request, const char* program) {
  const size_t count = request.files.size();
  if (request.mode == mend_mode::repair && count != 2)
    say(report_to::standard_output, text_format("usage: %s from to\n", program));
  else if (request.mode == mend_mode::check && count == 0)
    say(report_to::standard_output, text_format("usage: %s --check file...\n", program));
  else if (request.mode == mend_mode::in_place && count == 0)
    say(report_to::standard_output, text_format("usage: %s --in-place file...\n", program));
  else
    return true;
  return false;
}

}  // namespace

mend_command read_mend_command(int argc, char** argv) {
  std::vector<char*> args = without_lone_dashes(argc, argv);
  const cli_scan scan = scan_command_line(static_cast<int>(args.size()), args.data(), kOptions);
  if (!scan.problems.empty()) {
    print_usage_error("facemend", scan.problems.front(), kUsage);
    return {std::nullopt, 1};
  }
  if (const std::string problem = misplaced_option(scan); !problem.empty()) {
    print_usage_message("facemend", problem, kUsage);
    return {std::nullopt, 1};
  }
  if (scan.help) {
    print_help("facemend", kUsage, kOptions);
    return {std::nullopt, 0};
  }
  if (scan.version) {
    print_version("facemend");
    return {std::nullopt, 0};
  }
  mend_request request = request_of(scan);
  if (!has_its_files(request, argc > 0 ? argv[0] : "facemend")) return {std::nullopt, 1};
  return {std::move(request), 0};
}
