// Font data shown as text: the one rendering of bytes taken from a font (a name, a tag) for a
// terminal or a log, so that a name never starts a new line or sends the terminal a control
// sequence.
#pragma once

#include <string>
#include <string_view>

// Whether the byte shows as itself: printable ASCII, blank included (0x20-0x7E).
inline bool is_printable_ascii(unsigned char byte) {
  return byte >= 0x20 && byte < 0x7F;
}

// `bytes` with each byte outside printable ASCII written as "\xHH" (two lower-case hex
// digits) and each backslash as "\\", so that the text says which bytes the font holds.
std::string printable_text(std::string_view bytes);

// `bytes` with each byte outside printable ASCII written as `stand_in`: for listings whose
// columns are words of their own.
std::string printable_text(std::string_view bytes, char stand_in);
