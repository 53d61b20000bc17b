// The outside judges of the workflow's outputs that run as programs: the OpenType Sanitizer
// (ots-sanitize) and fontTools (under the system's /usr/bin/python3). A test that needs one
// that is missing skips, saying why; under CI it fails instead.
#pragma once

#include "support/validator_tools.h"

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

// True when ots-sanitize accepts face `face` of `file`.
bool ots_accepts(const std::string& ots, const std::filesystem::path& file, long face);

// What fontTools made of one face.
struct fonttools_verdict {
  std::string open_error;                     // empty when the face opened
  std::map<std::string, std::string> tables;  // tag -> "ok" or the error of its decompiling
  std::set<std::string> warnings;             // everything it logged at warning level or above
};

// fontTools' verdicts on faces given as "FILE:FACE", in one run of the check script; a
// face the script did not report on is missing from the result.
std::map<std::string, fonttools_verdict> fonttools_verdicts(const std::vector<std::string>& faces);
