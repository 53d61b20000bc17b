// The one printing channel of the programs: the words of every io_problem, and every write
// to standard output and standard error. Problems always go to standard error; the report
// (what a run did or would do) goes where the program sends it, standard output unless
// that carries the program's own output.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "sys/io_problem.h"

enum class report_to { standard_output, standard_error };

// Where the report goes.
std::FILE* report_stream(report_to where);

// Writes `text` as it is to the report, or to standard error.
void say(report_to where, std::string_view text);
void say_problem(std::string_view text);

// The text printf would print for `format` and its arguments: messages with numbers and
// names are composed with it and then said through the one channel.
std::string text_format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Says `problem` on standard error in the words the programs have always used, one to
// three lines. A failed write, close or flush names only the call ("fwrite: reason"): the
// program names the output after it (see cli/program_output.h). The sink every program
// hands to the files it opens.
void print_io_problem(const io_problem& problem);

// Flushes standard output; false, after saying why on standard error ("stdout: reason", or
// "stdout: write error" when an earlier flush failed and its reason is gone), when that or
// an earlier write to it failed.
bool flush_standard_output();

// While it lives (or until restored), what is printed on standard output goes to standard
// error, when `where` says the report goes there: for code that prints its report on
// standard output itself (facemend's repair passes) while the program's output is its own
// standard output. Standard output is then unbuffered, so that report and problems keep
// their order. Made before anything is printed on standard output.
struct standard_output_aside {
  explicit standard_output_aside(report_to where);
  ~standard_output_aside() { restore(); }
  standard_output_aside(const standard_output_aside&) = delete;
  standard_output_aside& operator=(const standard_output_aside&) = delete;
  // Points standard output back where it was, before the output is written through it.
  void restore();
  int saved = -1;  // standard output's own file, while set aside
};
