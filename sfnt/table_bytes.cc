#include "sfnt/table_bytes.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include "sfnt/checksum.h"
#include "sys/byte_buffer.h"
#include "sys/output_file.h"
#include "sys/platform.h"

namespace {

struct length_of {
  uint64_t operator()(const std::vector<uint8_t>& owned) const { return owned.size(); }
  uint64_t operator()(std::span<const uint8_t> view) const { return view.size(); }
  uint64_t operator()(const file_extent& extent) const { return extent.length; }
};

// A lack of memory for a table in a file is that file's problem; bytes already in memory
// are never copied or held afresh, so the lack cannot be theirs.
void report_unheld(const table_bytes& bytes) {
  const auto* extent = std::get_if<file_extent>(&bytes);
  if (extent == nullptr) throw std::bad_alloc();
  hand_on(extent->file->sink, {io_step::memory, extent->file->name});
}

// Copies what is left of the extent from `done` on by reading and writing pieces, summing
// them as they pass; false after a failed read has been handed on or a failed write noted.
bool copy_by_pieces(output_stream& stream, const sfnt_tag& tag, const table_bytes& bytes,
                    uint64_t done, uint32_t& sum, std::vector<uint8_t>& room) {
  const uint64_t length = table_length(bytes);
  for (; done < length; done += table_piece) {
    const auto piece = read_table_piece(bytes, done, piece_length(length, done), room);
    if (!piece) return false;
    sum = sfnt_directory_checksum_add(sum, tag, done, *piece);
    if (!write_output_bytes(stream, *piece)) return false;
  }
  return true;
}

// Lets the kernel copy as much of the extent as it will; returns how much it copied, or
// nothing after a failure it cannot recover from has been handed on or noted. A file
// system or kernel that cannot copy between these files makes it stop early, for pieces to
// do the rest.
std::optional<uint64_t> kernel_copy(output_stream& stream, const file_extent& extent) {
  if (::fileno(stream.file) < 0) return 0;  // a stream in memory: the pieces do it all
  const int out = flush_output(stream);
  if (out < 0) return std::nullopt;
  uint64_t done = 0;
  while (done < extent.length) {
    const ssize_t got =
        copy_in_kernel(extent.file->fd, extent.offset + done, out, extent.length - done);
    if (got > 0) {
      done += static_cast<uint64_t>(got);
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got == 0) {
      hand_on(extent.file->sink, {io_step::early_end, extent.file->name});
      return std::nullopt;
    }
    if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
        errno == EBADF)
      return done;
    note_output_problem(stream, {io_step::write, "", errno});
    return std::nullopt;
  }
  return done;
}

}  // namespace

uint64_t table_length(const table_bytes& bytes) {
  return std::visit(length_of{}, bytes);
}

table_bytes table_slice(const table_bytes& bytes, uint64_t offset, uint64_t length) {
  if (const auto* extent = std::get_if<file_extent>(&bytes))
    return file_extent{extent->file, extent->offset + offset, length};
  return held_bytes(bytes).subspan(static_cast<size_t>(offset), static_cast<size_t>(length));
}

std::span<const uint8_t> held_bytes(const table_bytes& bytes) {
  if (const auto* owned = std::get_if<std::vector<uint8_t>>(&bytes)) return *owned;
  if (const auto* view = std::get_if<std::span<const uint8_t>>(&bytes)) return *view;
  return {};
}

std::optional<std::span<const uint8_t>> read_table_piece(const table_bytes& bytes, uint64_t at,
                                                         size_t size, std::vector<uint8_t>& room) {
  const uint64_t length = table_length(bytes);
  if (at > length || size > length - at) return std::nullopt;
  const auto* extent = std::get_if<file_extent>(&bytes);
  if (extent == nullptr) return held_bytes(bytes).subspan(static_cast<size_t>(at), size);
  const std::span<uint8_t> piece = piece_room(room, size, table_piece);
  if (!read_input(*extent->file, extent->offset + at, piece)) return std::nullopt;
  return piece;
}

std::optional<std::vector<uint8_t>> copy_table_bytes(const table_bytes& bytes,
                                                     std::vector<uint8_t>& room) {
  const uint64_t length = table_length(bytes);
  std::vector<uint8_t> copy;
  try {
    reserve_bytes(copy, length);
  } catch (const std::bad_alloc&) {
    report_unheld(bytes);
    return std::nullopt;
  }
  for (uint64_t done = 0; done < length; done += table_piece) {
    const auto piece = read_table_piece(bytes, done, piece_length(length, done), room);
    if (!piece) return std::nullopt;
    copy.insert(copy.end(), piece->begin(), piece->end());
  }
  return copy;
}

std::optional<std::span<const uint8_t>> hold_table_bytes(const table_bytes& bytes,
                                                         std::vector<uint8_t>& into) {
  try {
    return read_table_piece(bytes, 0, static_cast<size_t>(table_length(bytes)), into);
  } catch (const std::bad_alloc&) {
    report_unheld(bytes);
    return std::nullopt;
  }
}

std::optional<uint32_t> table_checksum(const sfnt_tag& tag, const table_bytes& bytes,
                                       std::vector<uint8_t>& room) {
  const uint64_t length = table_length(bytes);
  uint32_t sum = 0;
  for (uint64_t done = 0; done < length; done += table_piece) {
    const auto piece = read_table_piece(bytes, done, piece_length(length, done), room);
    if (!piece) return std::nullopt;
    sum = sfnt_directory_checksum_add(sum, tag, done, *piece);
  }
  return sum;
}

bool same_table_place(const table_bytes& a, const table_bytes& b) {
  const auto* extent_a = std::get_if<file_extent>(&a);
  const auto* extent_b = std::get_if<file_extent>(&b);
  if (extent_a && extent_b)
    return extent_a->file == extent_b->file && extent_a->offset == extent_b->offset;
  const std::span<const uint8_t> held_a = held_bytes(a);
  return !held_a.empty() && held_a.data() == held_bytes(b).data();
}

std::optional<bool> same_table_bytes(const table_bytes& a, const table_bytes& b,
                                     std::vector<uint8_t>& room_a, std::vector<uint8_t>& room_b) {
  const uint64_t length = table_length(a);
  if (table_length(b) != length) return false;
  // The faces of a collection name their shared tables by one view or extent.
  if (same_table_place(a, b)) return true;
  for (uint64_t done = 0; done < length; done += table_piece) {
    const size_t size = piece_length(length, done);
    const auto piece_a = read_table_piece(a, done, size, room_a);
    if (!piece_a) return std::nullopt;
    const auto piece_b = read_table_piece(b, done, size, room_b);
    if (!piece_b) return std::nullopt;
    if (!std::equal(piece_a->begin(), piece_a->end(), piece_b->begin())) return false;
  }
  return true;
}

bool write_table(output_stream& stream, const sfnt_tag& tag, const table_bytes& bytes,
                 uint32_t checksum, extent_copy how, std::vector<uint8_t>& room) {
  const uint64_t length = table_length(bytes);
  const auto* extent = std::get_if<file_extent>(&bytes);
  if (extent == nullptr) {
    if (!write_output_bytes(stream, held_bytes(bytes))) return false;
  } else if (how == extent_copy::kernel) {
    const std::optional<uint64_t> copied = kernel_copy(stream, *extent);
    uint32_t unused = 0;
    if (!copied || !copy_by_pieces(stream, tag, bytes, *copied, unused, room)) return false;
  } else {
    uint32_t sum = 0;
    if (!copy_by_pieces(stream, tag, bytes, 0, sum, room)) return false;
    // A change that keeps the sum (two words swapped) still shows in the file's stamp,
    // which the program checks once the whole output is written.
    if (sum != checksum) return note_output_problem(stream, {io_step::changed, extent->file->name});
  }
  constexpr uint8_t kZeros[3] = {0, 0, 0};
  return write_output_bytes(stream, std::span(kZeros).first(padded_length(length) - length));
}
