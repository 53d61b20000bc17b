#include "sfnt/checksum.h"

#include <bit>
#include <cstring>

#include "sfnt/byte_fields.h"
#include "sys/platform_config.h"

namespace {

// The sum of the big-endian words in [p, p + whole), `whole` a multiple of 4. The writers
// and readers sum every byte they copy (164 MB when splitting a CJK collection), so the
// loop is kept simple enough for the compiler to turn into vector code: one load, byte
// swap and add per word, with the file compiled at -O3 (see CMakeLists.txt) and a second
// version for processors with AVX2, chosen when the program starts; that one sums four
// times as fast. The choice needs the loader's indirect functions; without them (musl,
// macOS, the portable build) there is the one version.
#if FACETOOLS_HAVE_TARGET_CLONES && defined(__x86_64__)
#define SUM_WORDS_VERSIONS [[gnu::target_clones("avx2", "default")]]
#else
#define SUM_WORDS_VERSIONS
#endif
SUM_WORDS_VERSIONS uint32_t sum_words(const uint8_t* p, size_t whole) {
  uint32_t sum = 0;
  for (size_t i = 0; i < whole; i += 4) {
    uint32_t word;
    std::memcpy(&word, p + i, sizeof word);
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap32(word);
    sum += word;
  }
  return sum;
}

}  // namespace

uint32_t CalcTableChecksum(std::span<const uint8_t> table) {
  const size_t whole = table.size() & ~size_t{3};
  const uint32_t sum = sum_words(table.data(), whole);
  uint8_t last[4] = {0, 0, 0, 0};
  for (size_t i = whole; i < table.size(); ++i) last[i - whole] = table[i];
  return sum + read_uint32(last);
}

uint32_t sfnt_directory_checksum(const sfnt_tag& tag, std::span<const uint8_t> table) {
  constexpr size_t kCheckSumAdjustment = 8;
  const uint32_t sum = CalcTableChecksum(table);
  if (tag != make_tag("head") || table.size() < kCheckSumAdjustment + 4) return sum;
  // The sum is modular, so taking the word out is the same as summing it as zero.
  return sum - read_uint32(table.data() + kCheckSumAdjustment);
}

uint32_t sfnt_directory_checksum_add(uint32_t sum, const sfnt_tag& tag, uint64_t at,
                                     std::span<const uint8_t> piece) {
  // The sum is modular and the pieces are whole words, so the pieces' sums add up to the
  // table's; the `head` table's adjustment field lies in the first piece.
  return sum + (at == 0 ? sfnt_directory_checksum(tag, piece) : CalcTableChecksum(piece));
}
