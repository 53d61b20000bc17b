// The report a repair prints on standard output, caught as text instead: a check that is
// quiet, that prints JSON or that only judges a font must not print the passes' lines.
#pragma once

#include <cstdio>
#include <string>

// Standard output redirected into a string while the caught report lives; standard error is
// left alone, so problems still reach the user as they happen.
class caught_report {
 public:
  caught_report();
  ~caught_report();
  caught_report(const caught_report&) = delete;
  caught_report& operator=(const caught_report&) = delete;

  // Ends the redirection (once) and gives what was printed.
  std::string text();

 private:
  std::FILE* saved_ = nullptr;
  std::FILE* memory_ = nullptr;
  char* bytes_ = nullptr;
  size_t size_ = 0;
};
