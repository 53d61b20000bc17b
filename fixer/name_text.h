// Name strings as text: UTF-16BE name strings turned into ASCII, and the Windows English
// family name of a parsed `name` table.
#pragma once

#include <cerrno>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "fixer/name_table.h"

// Why a UTF-16BE text has no ASCII form. Each carries the errno value that glibc's iconv
// gives for it, since the reports show the system's text for that value.
enum class ascii_refusal {
  incomplete = EINVAL,  // the text ends inside a code unit or a surrogate pair
  not_ascii = EILSEQ,   // a character above U+007F, or a surrogate out of its pair
  too_long = E2BIG,     // more than 255 characters
};

// The ASCII form of a UTF-16BE string of at most 255 characters, ending at its first
// U+0000 as a C string would. When there is none, the first fault met reading from the
// start goes to `refusal`: the room for 255 characters runs out before the next character
// is judged, and a broken code unit or pair is found before the characters after it.
std::optional<std::string> convert_UTF16BE_to_ASCII(std::span<const uint8_t> utf16be,
                                                    ascii_refusal& refusal);

// The Windows English family name: found and converted, or the reason it is not there.
struct font_family {
  std::optional<std::string> name;
  std::optional<ascii_refusal> refusal;  // set when the record exists but does not convert
};

// The family name (ID 1) of the Windows English record, encoding 1 or else encoding 0.
font_family get_font_family(const sfnt_name_table& table);
