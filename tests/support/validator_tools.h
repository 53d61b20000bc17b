// Finding the outside validators the tests use as judges: the OpenType Sanitizer
// (ots-sanitize) and fontTools under the system's /usr/bin/python3. A test that needs one that
// is missing skips, saying why; under CI, where everything is installed, it fails instead.
#pragma once

#include <gtest/gtest.h>

#include <string>

// The Python that has fontTools on Debian (python3-fonttools).
inline constexpr char kSystemPython[] = "/usr/bin/python3";

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

// Empty when /usr/bin/python3 can import fontTools, else why not.
std::string fonttools_missing();
