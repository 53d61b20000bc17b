// Room for the large owned byte buffers of the programs: whole input files and big tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Makes `buffer`'s capacity at least `size` bytes, keeping its contents. A large buffer is
// also backed by memory at once, in huge pages where the system has them: taking fresh
// pages one fault at a time costs more than filling them (several times more in a virtual
// machine), and a font's glyph data is tens of megabytes. Only advice: where the system
// cannot follow it, the buffer is the same, merely slower to fill.
void reserve_bytes(std::vector<uint8_t>& buffer, size_t size);
