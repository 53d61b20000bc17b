// The messages a program's sources can print, found in the sources themselves so that the
// manual pages are checked against the code as it is: every string literal that is passed
// to perror, or that holds a blank or a line break, outside comments. Literals written
// side by side are joined first, as the compiler joins them.
#pragma once

#include <string>
#include <vector>

// The pieces of text a reader must find in the manual for the literals of `source`: the
// literal split at its printf conversions (%s, %zu, %04x, ...), each piece trimmed and
// kept when it has a letter; for a perror argument, the word and its colon ("fopen:").
std::vector<std::string> message_fragments(const std::string& source);

// `text` with every run of white space made one blank, and the Unicode hyphen and minus
// sign that some groff set-ups print for "-" made "-" again.
std::string normalize_text(const std::string& text);
