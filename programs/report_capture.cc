#include "programs/report_capture.h"

#include <cstdio>
#include <cstdlib>

// The passes print with printf and fputs on stdout, which the C library of this system lets
// a program point elsewhere; when no memory stream can be made, the report goes on to the
// real standard output.
caught_report::caught_report() {
  std::fflush(stdout);
  memory_ = open_memstream(&bytes_, &size_);
  if (memory_ == nullptr) return;
  saved_ = stdout;
  stdout = memory_;
}

caught_report::~caught_report() {
  text();
  std::free(bytes_);
}

std::string caught_report::text() {
  if (memory_ != nullptr) {
    std::fclose(memory_);  // sets bytes_ and size_
    memory_ = nullptr;
    stdout = saved_;
  }
  return bytes_ == nullptr ? std::string() : std::string(bytes_, size_);
}
