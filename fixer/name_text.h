// Name strings as text: UTF-16BE name strings turned into ASCII through iconv, and the
// Windows English family name of a parsed `name` table.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "fixer/name_table.h"

// The ASCII form of a UTF-16BE string of at most 255 characters. A character without an
// ASCII form, an odd byte count or a longer text gives nothing, after perror("iconv").
std::optional<std::string> convert_UTF16BE_to_ASCII(std::span<const uint8_t> utf16be);

// The family name (ID 1) of the Windows English record, encoding 1 or else encoding 0, as
// ASCII; nothing when there is no such record or it does not convert.
std::optional<std::string> get_font_family(const sfnt_name_table& table);
