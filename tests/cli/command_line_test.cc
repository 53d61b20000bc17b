#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr cli_option kOptions[] = {
    {'d', "directory", "DIR", "folder"},
    {'v', "verbose", "", "talk"},
    {0, "faces", "LIST", "faces"},
};

// The scan as text: options "name=value", operands as given, problems "!option".
std::vector<std::string> scanned(std::vector<std::string> args) {
  args.insert(args.begin(), "program");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  const cli_scan scan = scan_command_line(static_cast<int>(argv.size()), argv.data(), kOptions);
  std::vector<std::string> out;
  for (const cli_given& given : scan.options)
    out.push_back(std::string(given.option->long_name) + "=" + given.value);
  for (const std::string& operand : scan.operands) out.push_back(operand);
  for (const cli_problem& problem : scan.problems)
    out.push_back("!" + problem.option + "/" + std::to_string(static_cast<int>(problem.fault)));
  if (scan.help) out.push_back("help");
  if (scan.version) out.push_back("version");
  return out;
}

TEST(CommandLine, SortsOptionsFromOperands) {
  const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
      {{"a", "-d", "x", "b"}, {"directory=x", "a", "b"}},
      {{"-dx", "--directory=y", "--directory", "z"}, {"directory=x", "directory=y", "directory=z"}},
      {{"-d", "-v"}, {"directory=-v"}},
      {{"-vd", "x", "--verbose"}, {"verbose=", "directory=x", "verbose="}},
      {{"--faces=", "-"}, {"faces=", "-"}},
      {{"--", "-v", "--faces"}, {"-v", "--faces"}},
      {{"-x", "--verbose=1", "--frob=2", "-vq", "--faces"},
       {"verbose=", "!-x/0", "!--verbose/2", "!--frob/0", "!-q/0", "!--faces/1"}},
      {{"--help", "--version", "--help=1", "--verb"},
       {"!--help/2", "!--verb/0", "help", "version"}},
      {{"-vh"}, {"verbose=", "help"}},
  };
  for (const auto& [args, expected] : cases) EXPECT_EQ(scanned(args), expected) << args[0];
}

}  // namespace
