// A fast hash of table bytes, to narrow the candidates for sharing. Equal hashes are always
// confirmed by comparing the bytes, so the hash is never written anywhere and the host's
// byte order does not matter. It is defined over pieces of `ttc_hash_piece` bytes, so that
// a table read piece by piece hashes as the same bytes held whole do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

inline constexpr size_t ttc_hash_piece = size_t{256} << 10;

// The length of the piece that starts at byte `at` of a table of `length` bytes: tables are
// read, compared, hashed and copied in these pieces.
inline size_t ttc_piece_length(uint64_t length, uint64_t at) {
  return static_cast<size_t>(length - at < ttc_hash_piece ? length - at : ttc_hash_piece);
}

// The hash of a table of `length` bytes before any piece.
uint64_t ttc_hash_start(uint64_t length);

// Adds the next piece: `ttc_hash_piece` bytes, except for the table's last piece.
uint64_t ttc_hash_add(uint64_t hash, std::span<const uint8_t> piece);

// The hash of a whole table: start, then every piece in order.
uint64_t ttc_content_hash(std::span<const uint8_t> bytes);
