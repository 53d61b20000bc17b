// The outside judges of the workflow's outputs that run as programs: the OpenType Sanitizer
// (ots-sanitize) and fontTools (under the system's /usr/bin/python3). A test that needs one
// that is missing skips, saying why; under CI it fails instead.
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

// True when the environment variable CI says this is a CI run.
bool running_in_ci();

// Ends the test when `missing` names a missing validator or font: a skip on a developer's
// machine, a failure under CI, where everything the tests need is installed.
#define SKIP_UNLESS_PRESENT(missing)                                       \
  if (const std::string why_ = (missing); !why_.empty()) {                 \
    if (running_in_ci()) FAIL() << why_ << " (CI must have it installed)"; \
    GTEST_SKIP() << why_;                                                  \
  }

// The path of ots-sanitize, or empty with the reason in `missing`.
std::string find_ots_sanitize(std::string& missing);

// True when ots-sanitize accepts face `face` of `file`.
bool ots_accepts(const std::string& ots, const std::filesystem::path& file, long face);

// What fontTools made of one face.
struct fonttools_verdict {
  std::string open_error;                     // empty when the face opened
  std::map<std::string, std::string> tables;  // tag -> "ok" or the error of its decompiling
  std::set<std::string> warnings;             // everything it logged at warning level or above
};

// Empty when /usr/bin/python3 can import fontTools, else why not.
std::string fonttools_missing();

// fontTools' verdicts on faces given as "FILE:FACE", in one run of the check script; a
// face the script did not report on is missing from the result.
std::map<std::string, fonttools_verdict> fonttools_verdicts(const std::vector<std::string>& faces);
