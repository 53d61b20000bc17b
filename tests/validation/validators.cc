#include "validators.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "support/run_tool.h"

namespace {

std::vector<std::string> split_tabs(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  return fields;
}

}  // namespace

bool ots_accepts(const std::string& ots, const std::filesystem::path& file, long face) {
  const std::filesystem::path dir = make_temp_dir();
  const tool_run run = run_tool(ots, {file.string(), "sanitized", std::to_string(face)}, dir);
  std::filesystem::remove_all(dir);
  return run.status == 0;
}

std::map<std::string, fonttools_verdict> fonttools_verdicts(const std::vector<std::string>& faces) {
  std::vector<std::string> args = {FONTTOOLS_CHECK_PATH};
  args.insert(args.end(), faces.begin(), faces.end());
  const std::filesystem::path dir = make_temp_dir();
  const tool_run run = run_tool(kSystemPython, args, dir);
  std::filesystem::remove_all(dir);
  EXPECT_EQ(run.status, 0) << run.err;
  std::map<std::string, fonttools_verdict> verdicts;
  fonttools_verdict* current = nullptr;
  std::stringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    const std::vector<std::string> f = split_tabs(line);
    if (f.size() == 2 && f[0] == "face") current = &verdicts[f[1]];
    if (current == nullptr) continue;
    if (f.size() == 2 && f[0] == "open") current->open_error = f[1];
    if (f.size() == 3 && f[0] == "table") current->tables[f[1]] = f[2];
    if (f.size() == 2 && f[0] == "warning") current->warnings.insert(f[1]);
  }
  return verdicts;
}
