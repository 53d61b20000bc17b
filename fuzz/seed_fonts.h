// Seed material from real font files: each face's tables, and a face cut down to the
// tables the fuzz targets work on, small enough for the fuzzers' input length limit.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "fontgen/font_builder.h"

// The fuzzers' input length limit; run.sh passes the same value as -max_len.
inline constexpr size_t kSeedLimit = 65536;

// The tables of every face of a single font or a collection, in directory order; nothing
// when a directory does not read.
std::vector<std::vector<font_table>> faces_of_file(std::span<const uint8_t> file);

// The face without its big tables: name, cmap and head are kept when they fit, post keeps
// its 32-byte header, and other tables stay when they are small.
std::vector<font_table> reduced_face(const std::vector<font_table>& tables);

// The bytes of table `tag` in the list, or nothing.
const std::vector<uint8_t>* find_table(const std::vector<font_table>& tables, const char* tag);
