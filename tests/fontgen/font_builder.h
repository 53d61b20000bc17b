// Builds TrueType fonts and collections in memory from lists of tables, so that every test
// crafts the exact input it needs instead of storing an opaque binary.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct font_table {
  std::string tag;  // four characters
  std::vector<uint8_t> bytes;
};

// Offset-table fields of a face; the search fields are derived from the table count unless
// a test sets them on purpose.
struct face_header {
  uint32_t version = 0x00010000;
  bool derive_search_fields = true;
  uint16_t search_range = 0;
  uint16_t entry_selector = 0;
  uint16_t range_shift = 0;
};

// A single-face sfnt file: the tables in the given order, zero-padded, with checksums.
std::vector<uint8_t> build_sfnt(const std::vector<font_table>& tables,
                                const face_header& header = {});

// A collection: one face per list; a table equal in tag and bytes to one already stored is
// stored once and shared.
std::vector<uint8_t> build_ttc(const std::vector<std::vector<font_table>>& faces,
                               uint32_t version = 0x00010000);

// For the binary-search fields of sfnt headers: the largest power of two not above `n` (0 for
// 0), and the base-2 logarithm of a power of two.
uint16_t largest_power_of_two_at_most(uint16_t n);
uint16_t log2_of(uint16_t power);

// Big-endian appenders for building table bytes.
void put_u8(std::vector<uint8_t>& out, uint8_t v);
void put_u16(std::vector<uint8_t>& out, uint16_t v);
void put_u32(std::vector<uint8_t>& out, uint32_t v);
void put_tag(std::vector<uint8_t>& out, const std::string& tag);
void put_bytes(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes);

// Hand-made directories, for fonts whose records point where build_sfnt never would: an
// offset table of `num_tables` with zero search fields, and a record with checksum 0.
void put_offset_table(std::vector<uint8_t>& out, uint16_t num_tables);
void put_record(std::vector<uint8_t>& out, const std::string& tag, uint32_t offset,
                uint32_t length);

// A collection header naming the faces at `offsets`, then `body`: for collections whose
// faces overlap or repeat, which build_ttc cannot make.
std::vector<uint8_t> faces_at(const std::vector<uint32_t>& offsets,
                              const std::vector<uint8_t>& body);
