// Room for the large owned byte buffers of the programs: whole input files, big tables and
// the buffers that tables are read into piece by piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Makes `buffer`'s capacity at least `size` bytes, keeping its contents. A large buffer is
// also backed by memory at once, in huge pages where the system has them: taking fresh
// pages one fault at a time costs more than filling them (several times more in a virtual
// machine), and a font's glyph data is tens of megabytes. Only advice: where the system
// cannot follow it, the buffer is the same, merely slower to fill.
void reserve_bytes(std::vector<uint8_t>& buffer, size_t size);

// The first `size` bytes of `room`, a buffer kept for reading pieces of tables into; its
// contents are not kept. A buffer that must grow past 64 KiB grows straight to `piece`
// bytes (at least `size`), so that the one allocation serves every later piece instead
// of being copied into ever larger ones: each fresh page costs a fault, which in a
// virtual machine is dear. Small inputs keep small buffers.
std::span<uint8_t> piece_room(std::vector<uint8_t>& room, size_t size, size_t piece);
