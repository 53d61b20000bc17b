#include "support/validator_tools.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "support/run_tool.h"

bool running_in_ci() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && *ci != '\0' && std::string(ci) != "false" && std::string(ci) != "0";
}

std::string find_ots_sanitize(std::string& missing) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::filesystem::path candidate = std::filesystem::path(dir) / "ots-sanitize";
    if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  missing = "ots-sanitize not found on PATH (Debian: opentype-sanitizer)";
  return {};
}

std::string fonttools_missing() {
  if (::access(kSystemPython, X_OK) != 0) return std::string(kSystemPython) + " not found";
  const std::filesystem::path dir = make_temp_dir();
  const tool_run probe = run_tool(kSystemPython, {"-c", "import fontTools.ttLib"}, dir);
  std::filesystem::remove_all(dir);
  if (probe.status == 0) return {};
  return std::string("fontTools missing for ") + kSystemPython + " (Debian: python3-fonttools)";
}
