// What a facemend command line asks for: repair one font into a file, check fonts, or repair
// fonts in place, and how much to print.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class mend_mode {
  repair,    // from to
  check,     // --check FILE...: write nothing
  in_place,  // --in-place FILE...: repair the fonts that show legacy signs
};

struct mend_request {
  mend_mode mode = mend_mode::repair;
  std::vector<std::string> files;  // repair: from and to
  bool force = false;              // --in-place: repair fonts without legacy signs too
  bool quiet = false;              // only problems and the summary
  bool json = false;               // --check: one JSON document
};

// A request, or the status to end with at once: 0 after --help or --version, 1 after a
// usage error has been reported.
struct mend_command {
  std::optional<mend_request> request;
  int status = 0;
};

mend_command read_mend_command(int argc, char** argv);
