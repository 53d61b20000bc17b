// A keyed hash of table bytes (SipHash-1-3), to narrow the candidates for sharing. The key
// is drawn afresh for every run, so that nobody can craft many different tables with equal
// hashes and make every lookup compare them all. Equal hashes are always confirmed by
// comparing the bytes; the hash is never written anywhere.
#pragma once

#include <cstdint>
#include <span>

struct ttc_hash_key {
  uint64_t k0 = 0;
  uint64_t k1 = 0;
};

// A hash being summed over a table's pieces.
struct ttc_hash_state {
  uint64_t v[4] = {};
  uint64_t length = 0;  // bytes added so far
};

// A fresh, unpredictable key.
ttc_hash_key ttc_new_hash_key();

ttc_hash_state ttc_hash_start(const ttc_hash_key& key);

// Adds the next piece of the table; every piece but the last must be a multiple of 8 bytes.
void ttc_hash_add(ttc_hash_state& state, std::span<const uint8_t> piece);

uint64_t ttc_hash_end(ttc_hash_state state);
