#include "programs/split_command.h"

#include <string>
#include <utility>

#include "cli/command_line.h"
#include "cli/messages.h"

namespace {

const char kUsage[] = "usage: facesplit [options] ttcfile";

constexpr cli_option kOptions[] = {
    {'d', "directory", "DIR", "Write the face files into DIR instead of the current folder."},
    {0, "faces", "LIST", "Write only these faces, such as 0,2-5 (counted from 0)."},
    {0, "name", "HOW", "Name the files by psname (PostScript name) or index (face_NN.ttf)."},
    {0, "list", "", "Write nothing; list each face, its outlines and shared tables."},
    {0, "json", "", "With --list: print the listing as one JSON document."},
    {0, "compact", "", "Rewrite glyph data that holds the glyphs of other faces tightly."},
};

// The request the options make; nothing after the problem has been reported.
std::optional<split_request> read_request(const cli_scan& scan) {
  if (scan.operands.empty()) {
    say_problem(std::string(kUsage) + "\n");
    return std::nullopt;
  }
  split_request request{scan.operands[0], {}, {}, false, last_given(scan, "list") != nullptr};
  request.json = last_given(scan, "json") != nullptr;
  if (const cli_given* directory = last_given(scan, "directory"))
    request.directory = directory->value;
  if (const cli_given* faces = last_given(scan, "faces")) {
    request.faces = parse_face_list(faces->value);
    if (!request.faces) {
      say_problem("facesplit: '" + faces->value + "' is not a face list such as 0,2-5\n");
      return std::nullopt;
    }
  }
  if (const cli_given* name = last_given(scan, "name")) {
    request.by_postscript_name = name->value == "psname";
    if (name->value != "psname" && name->value != "index") {
      say_problem("facesplit: --name takes psname or index, not '" + name->value + "'\n");
      return std::nullopt;
    }
  }
  request.compact = last_given(scan, "compact") != nullptr;
  return request;
}

}  // namespace

split_command read_split_command(int argc, char** argv) {
  const cli_scan scan = scan_command_line(argc, argv, kOptions);
  if (!scan.problems.empty()) {
    print_usage_error("facesplit", scan.problems.front(), kUsage);
    return {std::nullopt, 1};
  }
  if (scan.help) {
    print_help("facesplit", kUsage, kOptions);
    return {std::nullopt, 0};
  }
  if (scan.version) {
    print_version("facesplit");
    return {std::nullopt, 0};
  }
  // One collection at a time: a second operand is most likely a folder meant for -d.
  std::string problem;
  if (scan.operands.size() > 1) problem = "unexpected operand '" + scan.operands[1] + "'";
  if (last_given(scan, "json") && !last_given(scan, "list"))
    problem = "option '--json' goes only with --list";
  if (!problem.empty()) {
    print_usage_message("facesplit", problem, kUsage);
    return {std::nullopt, 1};
  }
  std::optional<split_request> request = read_request(scan);
  if (!request) return {std::nullopt, 1};
  return {std::move(request), 0};
}

std::optional<std::vector<bool>> select_faces(const std::optional<std::vector<face_range>>& list,
                                              size_t count) {
  if (!list) return std::vector<bool>(count, true);
  std::vector<bool> selected(count, false);
  for (const face_range& range : *list) {
    if (range.last >= count) {
      say_problem("facesplit: face " + std::to_string(range.last) +
                  " is past the last face (the collection has " + std::to_string(count) +
                  " faces)\n");
      return std::nullopt;
    }
    for (size_t face = range.first; face <= range.last; ++face) selected[face] = true;
  }
  return selected;
}
