#include "ttc/content_hash.h"

#include <random>

namespace {

uint64_t rotl(uint64_t x, int b) {
  return (x << b) | (x >> (64 - b));
}

void sip_round(uint64_t (&v)[4]) {
  v[0] += v[1];
  v[1] = rotl(v[1], 13) ^ v[0];
  v[0] = rotl(v[0], 32);
  v[2] += v[3];
  v[3] = rotl(v[3], 16) ^ v[2];
  v[0] += v[3];
  v[3] = rotl(v[3], 21) ^ v[0];
  v[2] += v[1];
  v[1] = rotl(v[1], 17) ^ v[2];
  v[2] = rotl(v[2], 32);
}

void compress(uint64_t (&v)[4], uint64_t word) {
  v[3] ^= word;
  sip_round(v);
  v[0] ^= word;
}

// Little-endian, as SipHash defines its words; any order would do for a hash that only
// narrows candidates, but this one makes it SipHash.
uint64_t word_at(const uint8_t* p, size_t n) {
  uint64_t word = 0;
  for (size_t i = 0; i < n; ++i) word |= uint64_t{p[i]} << (8 * i);
  return word;
}

}  // namespace

ttc_hash_key ttc_new_hash_key() {
  std::random_device random;
  const auto draw = [&] { return (uint64_t{random()} << 32) ^ random(); };
  return {draw(), draw()};
}

ttc_hash_state ttc_hash_start(const ttc_hash_key& key) {
  ttc_hash_state state;
  state.v[0] = key.k0 ^ 0x736f6d6570736575u;
  state.v[1] = key.k1 ^ 0x646f72616e646f6du;
  state.v[2] = key.k0 ^ 0x6c7967656e657261u;
  state.v[3] = key.k1 ^ 0x7465646279746573u;
  return state;
}

void ttc_hash_add(ttc_hash_state& state, std::span<const uint8_t> piece) {
  const size_t whole = piece.size() & ~size_t{7};
  for (size_t i = 0; i < whole; i += 8) compress(state.v, word_at(piece.data() + i, 8));
  state.length += whole;
  if (whole == piece.size()) return;
  // The last piece's tail, with the length in its top byte, ends the message.
  const uint64_t length = state.length + (piece.size() - whole);
  compress(state.v, word_at(piece.data() + whole, piece.size() - whole) | (length << 56));
  state.length = length | (uint64_t{1} << 63);
}

uint64_t ttc_hash_end(ttc_hash_state state) {
  if ((state.length >> 63) == 0) compress(state.v, state.length << 56);
  state.v[2] ^= 0xff;
  for (int i = 0; i < 3; ++i) sip_round(state.v);
  return state.v[0] ^ state.v[1] ^ state.v[2] ^ state.v[3];
}
