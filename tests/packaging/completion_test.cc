// The bash completions of the three programs, sourced from the source tree into bash the
// way bash-completion loads them, and asked for the words a user is typing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "support/run_tool.h"

namespace {

namespace fs = std::filesystem;

// Sources the completion file $1, checks that it registers a completion for the program
// named by $2, then completes the command line made of $2 and what follows (the last
// argument is the word being typed) and prints the words offered, one a line.
constexpr const char* kComplete = R"(
source "$1" || exit 1
shift
registered=$(complete -p "$1") || exit 1
function=${registered#*-F }
function=${function%% *}
COMP_WORDS=("$@")
COMP_CWORD=$(($# - 1))
COMP_LINE="$*"
COMP_POINT=${#COMP_LINE}
"$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
[[ ${#COMPREPLY[@]} -eq 0 ]] || printf '%s\n' "${COMPREPLY[@]}"
)";

// The words offered for `words` (the program first), sorted.
std::vector<std::string> complete(const std::vector<std::string>& words, const fs::path& cwd) {
  std::vector<std::string> args = {"-c", kComplete, "bash",
                                   (fs::path(SOURCE_DIR) / "completion" / words[0]).string()};
  args.insert(args.end(), words.begin(), words.end());
  const tool_run run = run_tool(BASH_PATH, args, cwd);
  EXPECT_EQ(run.status, 0) << run.err;
  std::vector<std::string> offered;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) offered.push_back(line);
  std::sort(offered.begin(), offered.end());
  return offered;
}

TEST(CompletionTest, OffersEachProgramsOptionsTheirValuesAndItsFiles) {
  const fs::path dir = make_temp_dir();
  for (const char* file : {"a.ttc", "b.ttf", "c.otf", "d.TTC", "e.txt"})
    write_bytes(dir / file, {});
  fs::create_directory(dir / "sub");
  const std::vector<std::string> collections = {"a.ttc", "d.TTC", "sub"};
  struct row {
    std::vector<std::string> words;  // the program, its arguments, the word being typed
    std::vector<std::string> offered;
  };
  const std::vector<row> rows = {
      {{"facemend", "-"},
       {"--", "--check", "--force", "--head", "--help", "--in-place", "--json", "--quiet",
        "--version", "-h", "-i", "-q"}},
      {{"facemend", ""}, {"a.ttc", "b.ttf", "c.otf", "d.TTC", "sub"}},
      {{"facepack", "--v"}, {"--verbose", "--version"}},
      {{"facepack", "--s"}, {"--share-glyphs"}},
      {{"facepack", ""}, collections},
      {{"facepack", "-f", "out.ttc", ""}, {"b.ttf", "c.otf", "sub"}},
      {{"facesplit", "-"},
       {"--", "--compact", "--directory", "--faces", "--help", "--json", "--list", "--name",
        "--version", "-d"}},
      {{"facesplit", "--name", ""}, {"index", "psname"}},
      {{"facesplit", "-d", ""}, {"sub"}},
      {{"facesplit", "--faces", ""}, {}},
      {{"facesplit", "--faces", "0,1", ""}, collections},
      {{"facesplit", "--", "--name", ""}, collections},
  };
  for (const row& r : rows) {
    std::string line;
    for (const std::string& word : r.words) line += word + " ";
    EXPECT_EQ(complete(r.words, dir), r.offered) << line;
  }
  fs::remove_all(dir);
}

}  // namespace
