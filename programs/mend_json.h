// The JSON document of facemend --check --json.
#pragma once

#include <string>
#include <vector>

#include "programs/mend_check.h"

struct checked_file {
  std::string name;
  file_finding finding;
};

// Prints, as one JSON document, every file with its status and faces, each face with its
// legacy signs, family name and the tables a repair would change and why, and the run's
// status:
// {"files": [{"file", "status", "legacy_signs": [...], "faces": [{"face", "family",
// "legacy_signs": [...], "would_change": [{"table", "why"}...]}...]}...], "status"}.
void print_check_document(const std::vector<checked_file>& files, int status);
