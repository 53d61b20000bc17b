// Helpers for the facemend tests: run the program on a font made in memory, state the
// standard output of a run, and swap tables in a list before building the font.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fontgen/font_builder.h"
#include "support/run_tool.h"

// What the name and cmap passes say of the legacy sample's Macintosh names and map.
inline constexpr char kSuspectFamily[] =
    "  Font family name for \"Mac, Roman, English\" looks like a Shift-JIS string.\n";
inline constexpr char kSuspectFull[] =
    "  Font full name for \"Mac, Roman, English\" looks like a Shift-JIS string.\n";
inline constexpr char kCut[] =
    "  Removing code area 0x80-0xff from CMap table for \"Macintosh, Roman\".\n";

struct mend_run {
  tool_run run;
  std::optional<std::vector<uint8_t>> output;  // "out.ttf" when the run wrote it
};

// Writes `font` as "in.ttf" in a fresh folder and runs `facemend in.ttf out.ttf` there.
mend_run run_facemend(const std::vector<uint8_t>& font);

// What each pass prints after its "Processing ..." line.
struct pass_findings {
  std::string cmap = "  Parsing cmap table.\n";
  std::string name;
  std::string post;
  std::string head = "  flags: 0009 -> 0009\n";
};

// Standard output of a complete run: the family line, the four passes and "Done.".
std::string mend_stdout(const std::string& family, const pass_findings& findings);

// The table list with the bytes of `tag` replaced, or the table removed when `bytes` is
// nothing.
std::vector<font_table> with_table(std::vector<font_table> tables, const std::string& tag,
                                   std::optional<std::vector<uint8_t>> bytes);

// The bytes of table `tag` in the list (which must have it).
const std::vector<uint8_t>& table_of(const std::vector<font_table>& tables, const std::string& tag);
