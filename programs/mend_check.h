// facemend's check of one font file: the legacy signs of each face and the tables a repair
// would change, found by reading only the file's directories and the tables that the passes
// and the signs judge, never the whole file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fixer/face_repair.h"
#include "fixer/mend_events.h"

// One face as the check finds it.
struct face_finding {
  std::vector<std::string> signs;     // as face_legacy_signs gives them
  mended_tables changed{};            // the tables a repair would change
  std::optional<std::string> family;  // the Windows English family name, as the font has it
  bool cmap_cut = false;              // the Mac Roman map would be cut to 0x00-0x7E
  bool cmap_corrected = false;        // the cmap length would be given to a subtable
};

struct file_finding {
  int status = 0;  // 0, or the status of a file that could not be read or a face repaired
  std::vector<face_finding> faces;  // up to the face that failed
};

// Checks the font or collection `path`, reporting each face's beginning and the repair of
// it to `report` as a repair would; messages about the file itself go to standard error.
file_finding check_font_file(const std::string& path, mend_sink& report);

// The signs of every face, each named once, in the order they were first found.
std::vector<std::string> file_signs(const file_finding& finding);

// Whether any face shows a legacy sign.
bool shows_legacy_signs(const file_finding& finding);
