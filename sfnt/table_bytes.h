// Where a table's bytes are, and the one way to read and write them whatever that is: bytes
// of its own, a view into bytes held elsewhere (a loaded file), or an extent of an open
// input file that is read, in pieces, only when the bytes are needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "sfnt/byte_fields.h"
#include "sys/input_file.h"
#include "sys/output_file.h"

// Owned bytes, a view of bytes the caller keeps alive, or an extent of an open file.
using table_bytes = std::variant<std::vector<uint8_t>, std::span<const uint8_t>, file_extent>;

// Tables are read, compared, summed, hashed and copied in pieces of this size: small enough
// to stay in the processor's cache between the read that fills a piece and its use.
inline constexpr size_t table_piece = size_t{256} << 10;

// The length of the piece that starts at byte `at` of `length` bytes.
inline size_t piece_length(uint64_t length, uint64_t at) {
  return static_cast<size_t>(length - at < table_piece ? length - at : table_piece);
}

// `length` rounded up to a multiple of 4.
inline uint64_t padded_length(uint64_t length) {
  return (length + 3) & ~uint64_t{3};
}

uint64_t table_length(const table_bytes& bytes);

// The bytes [offset, offset + length) of `bytes` as the same kind of reference (a view of a
// view, an extent of an extent; a part of owned bytes becomes a view of them). The caller
// has checked that they lie inside.
table_bytes table_slice(const table_bytes& bytes, uint64_t offset, uint64_t length);

// The held bytes of a table that is in memory (owned or a view); empty for an extent.
std::span<const uint8_t> held_bytes(const table_bytes& bytes);

// The bytes [at, at + size) within the table: a view of held bytes, or the extent's bytes
// read into `room`. Nothing after a failed read has been handed to the file's sink, or for
// a range outside the table.
std::optional<std::span<const uint8_t>> read_table_piece(const table_bytes& bytes, uint64_t at,
                                                         size_t size, std::vector<uint8_t>& room);

// The table's bytes read into bytes of their own; nothing after a failed read or a lack of
// memory has been handed to the file's sink.
std::optional<std::vector<uint8_t>> copy_table_bytes(const table_bytes& bytes,
                                                     std::vector<uint8_t>& room);

// The table's bytes in memory: the held bytes themselves, or the extent read whole into
// `into`, whose room serves again for the next table. Nothing after a failed read or a lack
// of memory, handed on as copy_table_bytes hands them on.
std::optional<std::span<const uint8_t>> hold_table_bytes(const table_bytes& bytes,
                                                         std::vector<uint8_t>& into);

// The directory checksum of the table, summed piece by piece; nothing after a failed read.
std::optional<uint32_t> table_checksum(const sfnt_tag& tag, const table_bytes& bytes,
                                       std::vector<uint8_t>& room);

// Whether two references name the same bytes, known without reading them: one extent of
// one open file, or one view of held bytes, at the same start.
bool same_table_place(const table_bytes& a, const table_bytes& b);

// Whether two tables hold the same bytes, compared piece by piece; nothing after a failed
// read of either.
std::optional<bool> same_table_bytes(const table_bytes& a, const table_bytes& b,
                                     std::vector<uint8_t>& room_a, std::vector<uint8_t>& room_b);

// How an extent is written. `checked`: read piece by piece and summed, and the write fails
// (io_step::changed, noted on the stream) unless the sum is the checksum the writer was
// given; `kernel`: copied by the kernel where it can (copy_file_range). Either way the
// program checks its inputs' stamps once the output is written (cli/program_output.h).
enum class extent_copy { checked, kernel };

// Writes the table at the stream's position, then zero bytes up to a multiple of 4; false
// after a failed read has been handed on or a failed write noted on the stream.
bool write_table(output_stream& stream, const sfnt_tag& tag, const table_bytes& bytes,
                 uint32_t checksum, extent_copy how, std::vector<uint8_t>& room);
