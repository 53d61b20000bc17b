// The command-line pieces the three programs share: a small option scanner, the --help text,
// the version line and the usage-error messages. Plain functions over the program's table of
// options; nothing is kept between calls.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

// One option a program takes. Every program also takes --help (and -h, unless the table
// gives it another meaning) and --version, which the scanner knows without a table entry.
struct cli_option {
  char short_name = 0;          // 'd' for -d; 0 for a long option only
  std::string_view long_name;   // "directory" for --directory
  std::string_view value_name;  // "DIR" when the option takes a value; empty for a flag
  std::string_view help;        // its line in --help
};

// An option as given, with its value (empty for a flag).
struct cli_given {
  const cli_option* option = nullptr;  // its entry in the program's table
  std::string value;
};

enum class cli_fault {
  unknown_option,    // not in the table
  missing_value,     // the option takes a value and the command line ends
  unexpected_value,  // --flag=value for a flag
};

struct cli_problem {
  cli_fault fault = cli_fault::unknown_option;
  std::string option;  // as given, without any "=value": "-x", "--frob"
};

struct cli_scan {
  std::vector<cli_given> options;     // in command-line order
  std::vector<std::string> operands;  // every other argument, in order
  std::vector<cli_problem> problems;  // in command-line order
  bool help = false;                  // --help was given
  bool version = false;               // --version was given
};

// Sorts the arguments after argv[0] into options and operands. Options may come anywhere:
// -x, -xVALUE, -x VALUE, bundled flags (-vf), --long, --long=VALUE, --long VALUE. "--"
// ends the options; "-" alone is an operand.
cli_scan scan_command_line(int argc, char** argv, std::span<const cli_option> options);

// The last value given for the option of that long name, or nullptr when it was not given.
const cli_given* last_given(const cli_scan& scan, std::string_view long_name);

// "PROGRAM (facetools) X.Y.Z", the project's version.
std::string version_line(std::string_view program);

// Prints the version line on standard output.
void print_version(std::string_view program);

// Prints `usage`, one line per option (then --help and --version) and where to read more
// ("Read more: man PROGRAM") on standard output.
void print_help(std::string_view program, std::string_view usage,
                std::span<const cli_option> options);

// Prints what is wrong ("PROGRAM: unknown option '-x'", ...) and then `usage` on standard
// error.
void print_usage_error(std::string_view program, const cli_problem& problem,
                       std::string_view usage);

// Prints "PROGRAM: MESSAGE" and then `usage` on standard error: for a fault the program finds
// itself ("unexpected operand 'x'", "option '--json' goes only with --check").
void print_usage_message(std::string_view program, std::string_view message,
                         std::string_view usage);
