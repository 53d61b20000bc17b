// Reading a TrueType Collection file into the collection model. Tables that several faces
// name by the same tag, file offset and length become one shared pool entry.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "ttc/ttc_model.h"

// True when `file` begins with the collection tag "ttcf".
bool is_collection_file(std::span<const uint8_t> file);

// The collection held in `file` (the caller keeps the bytes; the pool copies what it
// needs). Nothing when the file is not a collection, or when its header, offset array, a
// face's offset table or directory, or a table's extent runs past its end; the reason is
// printed on standard error.
std::optional<ttc_info> ttc_parse_binary(std::span<const uint8_t> file);
