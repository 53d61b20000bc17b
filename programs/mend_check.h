// facemend's check of one font file: the legacy signs of each face and the tables a repair
// would change, found by reading only the file's directories and the tables that the passes
// and the signs judge, never the whole file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fixer/face_repair.h"

// One face as the check finds it.
struct face_finding {
  std::vector<std::string> signs;     // as face_legacy_signs gives them
  mended_tables changed{};            // the tables a repair would change
  std::optional<std::string> family;  // the Windows English family name, as the font has it
  std::string report;                 // the repair's report of the face, when caught
};

struct file_finding {
  int status = 0;  // 0, or the status of a file that could not be read or a face repaired
  std::vector<face_finding> faces;  // up to the face that failed
};

// Checks the font or collection `path`. The repair's report is printed as a repair prints it
// ("Face N:" lines and each face's passes), or with `catch_report` kept in each face's
// finding instead; problems go to standard error as they happen.
file_finding check_font_file(const std::string& path, bool catch_report);

// Whether any face shows a legacy sign.
bool shows_legacy_signs(const file_finding& finding);
