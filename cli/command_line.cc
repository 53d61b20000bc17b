#include "cli/command_line.h"

#include <algorithm>

#include "cli/messages.h"

namespace {

const cli_option* find_long(std::span<const cli_option> options, std::string_view name) {
  for (const cli_option& option : options)
    if (option.long_name == name) return &option;
  return nullptr;
}

const cli_option* find_short(std::span<const cli_option> options, char name) {
  for (const cli_option& option : options)
    if (option.short_name != 0 && option.short_name == name) return &option;
  return nullptr;
}

// "--name" or "--name=value" at argv[i]; a value may also be the next argument.
void scan_long(cli_scan& scan, int argc, char** argv, int& i, std::span<const cli_option> options) {
  const std::string_view arg = argv[i];
  const size_t equals = arg.find('=');
  const std::string_view name = arg.substr(2, equals == arg.npos ? arg.npos : equals - 2);
  const std::string given = "--" + std::string(name);
  const cli_option* option = find_long(options, name);
  const bool builtin = option == nullptr && (name == "help" || name == "version");
  if (builtin && equals == arg.npos) {
    (name == "help" ? scan.help : scan.version) = true;
  } else if (builtin) {
    scan.problems.push_back({cli_fault::unexpected_value, given});
  } else if (option == nullptr) {
    scan.problems.push_back({cli_fault::unknown_option, given});
  } else if (option->value_name.empty()) {
    if (equals == arg.npos)
      scan.options.push_back({option, ""});
    else
      scan.problems.push_back({cli_fault::unexpected_value, given});
  } else if (equals != arg.npos) {
    scan.options.push_back({option, std::string(arg.substr(equals + 1))});
  } else if (i + 1 < argc) {
    scan.options.push_back({option, argv[++i]});
  } else {
    scan.problems.push_back({cli_fault::missing_value, given});
  }
}

// "-x", bundled flags "-vf", or "-xVALUE" / "-x VALUE" at argv[i].
void scan_short(cli_scan& scan, int argc, char** argv, int& i,
                std::span<const cli_option> options) {
  const std::string_view arg = argv[i];
  for (size_t at = 1; at < arg.size(); ++at) {
    const cli_option* option = find_short(options, arg[at]);
    const std::string given = {'-', arg[at]};
    if (option == nullptr && arg[at] == 'h') {
      scan.help = true;  // -h is --help unless the program gives it a meaning of its own
    } else if (option == nullptr) {
      scan.problems.push_back({cli_fault::unknown_option, given});
    } else if (option->value_name.empty()) {
      scan.options.push_back({option, ""});
    } else if (at + 1 < arg.size()) {
      scan.options.push_back({option, std::string(arg.substr(at + 1))});
      return;
    } else if (i + 1 < argc) {
      scan.options.push_back({option, argv[++i]});
      return;
    } else {
      scan.problems.push_back({cli_fault::missing_value, given});
    }
  }
}

// "-d, --directory DIR" or "    --faces LIST".
std::string option_label(const cli_option& option) {
  std::string label = option.short_name != 0 ? std::string{'-', option.short_name} + ", " : "    ";
  label += "--" + std::string(option.long_name);
  if (!option.value_name.empty()) label += " " + std::string(option.value_name);
  return label;
}

}  // namespace

cli_scan scan_command_line(int argc, char** argv, std::span<const cli_option> options) {
  cli_scan scan;
  bool operands_only = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (operands_only || arg.size() < 2 || arg[0] != '-') {
      scan.operands.emplace_back(arg);
    } else if (arg == "--") {
      operands_only = true;
    } else if (arg[1] == '-') {
      scan_long(scan, argc, argv, i, options);
    } else {
      scan_short(scan, argc, argv, i, options);
    }
  }
  return scan;
}

const cli_given* last_given(const cli_scan& scan, std::string_view long_name) {
  const cli_given* found = nullptr;
  for (const cli_given& given : scan.options)
    if (given.option->long_name == long_name) found = &given;
  return found;
}

// FACETOOLS_VERSION is the project's version, set by tools/CMakeLists.txt.
std::string version_line(std::string_view program) {
  return std::string(program) + " (facetools) " FACETOOLS_VERSION;
}

void print_version(std::string_view program) {
  say(report_to::standard_output, version_line(program) + "\n");
}

void print_help(std::string_view program, std::string_view usage,
                std::span<const cli_option> options) {
  std::vector<cli_option> all(options.begin(), options.end());
  all.push_back({find_short(options, 'h') ? char{0} : 'h', "help", "", "Show this help and exit."});
  all.push_back({0, "version", "", "Show the version and exit."});
  size_t width = 0;
  for (const cli_option& option : all) width = std::max(width, option_label(option).size());
  std::string help = std::string(usage) + "\n\n";
  for (const cli_option& option : all) {
    std::string label = option_label(option);
    label.resize(width, ' ');
    help += "  " + label + "  " + std::string(option.help) + "\n";
  }
  say(report_to::standard_output, help + "\nRead more: man " + std::string(program) + "\n");
}

void print_usage_error(std::string_view program, const cli_problem& problem,
                       std::string_view usage) {
  const std::string name(program);
  const std::string& option = problem.option;
  if (problem.fault == cli_fault::unknown_option)
    say_problem(name + ": unknown option '" + option + "'\n");
  if (problem.fault == cli_fault::missing_value)
    say_problem(name + ": option '" + option + "' needs a value\n");
  if (problem.fault == cli_fault::unexpected_value)
    say_problem(name + ": option '" + option + "' takes no value\n");
  say_problem(std::string(usage) + "\n");
}

void print_usage_message(std::string_view program, std::string_view message,
                         std::string_view usage) {
  say_problem(text_format("%s: %s\n%s\n", std::string(program).c_str(),
                          std::string(message).c_str(), std::string(usage).c_str()));
}
