#include "fontio/checksum.h"

#include "fontio/byte_fields.h"

uint32_t CalcTableChecksum(std::span<const uint8_t> table) {
  const size_t whole = table.size() & ~size_t{3};
  uint32_t sum = 0;
  for (size_t i = 0; i < whole; i += 4) sum += read_uint32(table.data() + i);
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
