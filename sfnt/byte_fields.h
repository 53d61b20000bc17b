// Big-endian fields and tags of sfnt data, read and written byte by byte so that any
// alignment and any host byte order give the same result. These helpers check nothing:
// they serve bytes already proven to exist (see byte_reader.h for the checked path).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// A table tag: four raw bytes as they stand in the file, compared as bytes.
using sfnt_tag = std::array<uint8_t, 4>;

uint32_t read_uint32(const uint8_t* p);
uint16_t read_uint16(const uint8_t* p);
void write_uint32(uint8_t* p, uint32_t v);
void write_uint16(uint8_t* p, uint16_t v);
void read_tag(uint8_t* dst, const uint8_t* src);

// The tag whose bytes are the first four characters of `text` ("name", "cmap", ...).
sfnt_tag make_tag(std::string_view text);
