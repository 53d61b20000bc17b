#include "ttc/content_hash.h"

#include <cstring>

namespace {

constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15u;

// Mixes one 8-byte word into a lane of the hash.
uint64_t mix(uint64_t lane, const uint8_t* p) {
  uint64_t word = 0;
  std::memcpy(&word, p, 8);
  lane = (lane ^ word) * kMultiplier;
  return lane ^ (lane >> 32);
}

// The hash of one piece. Four independent lanes keep the multiplies from waiting on each
// other.
uint64_t piece_hash(std::span<const uint8_t> bytes) {
  uint64_t lanes[4] = {bytes.size() * kMultiplier, 1, 2, 3};
  size_t i = 0;
  for (; bytes.size() - i >= 32; i += 32) {
    for (size_t lane = 0; lane < 4; ++lane)
      lanes[lane] = mix(lanes[lane], bytes.data() + i + 8 * lane);
  }
  uint64_t hash = lanes[0];
  for (size_t lane = 1; lane < 4; ++lane) hash = (hash ^ lanes[lane]) * kMultiplier;
  for (; bytes.size() - i >= 8; i += 8) hash = mix(hash, bytes.data() + i);
  uint8_t tail[8] = {};
  if (i < bytes.size()) std::memcpy(tail, bytes.data() + i, bytes.size() - i);
  hash = mix(hash, tail);
  return hash ^ (hash >> 29);
}

}  // namespace

uint64_t ttc_hash_start(uint64_t length) {
  return (length ^ 0x5851F42D4C957F2Du) * kMultiplier;
}

uint64_t ttc_hash_add(uint64_t hash, std::span<const uint8_t> piece) {
  hash = (hash ^ piece_hash(piece)) * kMultiplier;
  return hash ^ (hash >> 31);
}

uint64_t ttc_content_hash(std::span<const uint8_t> bytes) {
  uint64_t hash = ttc_hash_start(bytes.size());
  for (size_t done = 0; done < bytes.size(); done += ttc_hash_piece)
    hash = ttc_hash_add(hash, bytes.subspan(done, ttc_piece_length(bytes.size(), done)));
  return hash;
}
