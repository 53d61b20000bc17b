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
