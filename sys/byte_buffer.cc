#include "sys/byte_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

namespace {

// Below this, a buffer has too few pages for the advice to pay for its system calls.
constexpr size_t kLargeBuffer = size_t{64} << 10;
// The size of a huge page where the system has them, and what the C library adds to a
// request before it maps the memory (its chunk header, rounded as it rounds).
constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
constexpr size_t kMallocOverhead = 32;
// Linux's synchronous collapse into a huge page, which not every C library names.
constexpr int kMadviseCollapse = 25;

// The C library writes its chunk header into the first page before the advice can be
// given, so that page is already a small one; collapsing the huge page around it turns it
// into a huge one too instead of leaving 511 small pages to fault one by one.
void collapse_first_huge_page(uintptr_t begin, uintptr_t end) {
  const uintptr_t first = begin & ~(kHugePage - 1);
  if (first != begin || end - begin < kHugePage) return;
#ifdef __linux__
  ::madvise(reinterpret_cast<void*>(first), kHugePage, kMadviseCollapse);
#endif
}

// Advises the kernel on the pages of [data, data + room), and backs those that hold the
// first `size` bytes: the rest of the room is only there to make whole huge pages, and
// where there are none it takes no memory.
void back_at_once(uint8_t* data, size_t size, size_t room) {
  const uintptr_t page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  const uintptr_t begin = reinterpret_cast<uintptr_t>(data) & ~(page - 1);
  const auto end_of = [&](size_t bytes) {
    return (reinterpret_cast<uintptr_t>(data) + bytes + page - 1) & ~(page - 1);
  };
  void* const start = reinterpret_cast<void*>(begin);
#ifdef MADV_HUGEPAGE
  ::madvise(start, end_of(room) - begin, MADV_HUGEPAGE);
  collapse_first_huge_page(begin, end_of(room));
#endif
#ifdef MADV_POPULATE_WRITE
  ::madvise(start, end_of(size) - begin, MADV_POPULATE_WRITE);
#endif
}

// A buffer of a huge page or more asks for whole huge pages less the C library's header:
// the C library then maps whole huge pages, which the kernel places on a huge page's
// boundary. Otherwise its first and last pages would be small ones, and in a virtual
// machine each small page can cost as much to take as a megabyte costs to copy.
size_t room_for(size_t size) {
  if (size < kHugePage) return size;
  const size_t pages = (size + kMallocOverhead + kHugePage - 1) / kHugePage;
  return pages * kHugePage - kMallocOverhead;
}

}  // namespace

void reserve_bytes(std::vector<uint8_t>& buffer, size_t size) {
  if (buffer.capacity() >= size) return;
  const size_t room = room_for(size);
  buffer.reserve(room);
  if (room >= kLargeBuffer) back_at_once(buffer.data(), size, room);
}

std::span<uint8_t> piece_room(std::vector<uint8_t>& room, size_t size, size_t piece) {
  if (room.size() < size) {
    const size_t grown = size > kLargeBuffer ? std::max(size, piece) : size;
    std::vector<uint8_t>().swap(room);
    reserve_bytes(room, grown);
    room.resize(grown);
  }
  return std::span<uint8_t>(room).first(size);
}
