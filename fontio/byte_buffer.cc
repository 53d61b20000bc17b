#include "fontio/byte_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

namespace {

// Below this, a buffer has too few pages for the advice to pay for its system calls.
constexpr size_t kLargeBuffer = size_t{1} << 20;

// Advises the kernel on the whole pages inside [data, data + size).
void back_at_once(uint8_t* data, size_t size) {
  const uintptr_t page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(page - 1);
  if (end <= begin) return;
  void* const start = reinterpret_cast<void*>(begin);
#ifdef MADV_HUGEPAGE
  ::madvise(start, end - begin, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
  ::madvise(start, end - begin, MADV_POPULATE_WRITE);
#endif
}

}  // namespace

void reserve_bytes(std::vector<uint8_t>& buffer, size_t size) {
  if (buffer.capacity() >= size) return;
  buffer.reserve(size);
  if (size >= kLargeBuffer) back_at_once(buffer.data(), size);
}
