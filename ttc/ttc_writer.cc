#include "ttc/ttc_writer.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

#include "fontio/checksum.h"
#include "fontio/output_file.h"
#include "ttc/content_hash.h"

namespace {

constexpr uint64_t kTtcHeaderSize = 12;
constexpr uint64_t kOffsetTableSize = 12;
constexpr uint64_t kRecordSize = 16;

uint64_t directory_size(const ttc_face& face) {
  return kOffsetTableSize + kRecordSize * face.table_indices.size();
}

bool fits_offsets(uint64_t end) {
  if (end <= UINT32_MAX) return true;
  std::fputs("Output too large: its offsets would pass 4 GiB.\n", stderr);
  return false;
}

uint64_t stored_size(const ttc_table& table) {
  return ttc_padded_length(table.length);
}

// The directory checksum of an entry's bytes: recomputed from the bytes an entry holds;
// taken when they were read for a placed entry, whose bytes are checked as they are copied.
uint32_t entry_checksum(const ttc_table& table) {
  if (table.place.source >= 0) return table.checksum;
  return sfnt_directory_checksum(table.tag, table.data);
}

// Copies a placed entry's bytes from its source piece by piece, and checks that they sum
// to the checksum taken when they were read: a source that changed in between would
// otherwise put bytes in the file that its directory does not describe.
bool copy_placed_table(const ttc_info& info, int32_t index, std::FILE* stream,
                       std::vector<uint8_t>& room) {
  const ttc_table& table = info.tables[static_cast<size_t>(index)];
  uint32_t sum = 0;
  for (uint64_t done = 0; done < table.length; done += ttc_hash_piece) {
    const size_t size = ttc_piece_length(table.length, done);
    const std::optional<std::span<const uint8_t>> piece =
        ttc_table_piece(info, index, done, size, room);
    if (!piece) return false;
    sum = sfnt_directory_checksum_add(sum, table.tag, done, *piece);
    if (!write_output_bytes(stream, *piece)) return false;
  }
  if (sum != table.checksum) {
    std::fprintf(stderr, "%s: changed since it was read\n",
                 info.sources[static_cast<size_t>(table.place.source)].name.c_str());
    return false;
  }
  constexpr uint8_t kZeros[3] = {0, 0, 0};
  return write_output_bytes(stream, std::span(kZeros).first(stored_size(table) - table.length));
}

// Writes entry `index` at the stream's position, padded to a multiple of 4.
bool write_table(const ttc_info& info, int32_t index, std::FILE* stream,
                 std::vector<uint8_t>& room) {
  const ttc_table& table = info.tables[static_cast<size_t>(index)];
  if (table.place.source >= 0) return copy_placed_table(info, index, stream, room);
  return write_output_bytes(stream, table.data);
}

// The face's offset table and directory at `p`, from the pool entries' current fields.
void put_directory(const ttc_info& info, const ttc_face& face, uint8_t* p) {
  write_uint32(p, face.version);
  write_uint16(p + 4, static_cast<uint16_t>(face.table_indices.size()));
  write_uint16(p + 6, face.search_range);
  write_uint16(p + 8, face.entry_selector);
  write_uint16(p + 10, face.range_shift);
  p += kOffsetTableSize;
  for (const int32_t index : face.table_indices) {
    const ttc_table& table = info.tables[static_cast<size_t>(index)];
    std::copy(table.tag.begin(), table.tag.end(), p);
    write_uint32(p + 4, table.checksum);
    write_uint32(p + 8, table.offset);
    write_uint32(p + 12, table.length);
    p += kRecordSize;
  }
}

// The TTC header, offset array and every face's directory; sets each face's offset.
std::vector<uint8_t> collection_header(ttc_info& info, uint64_t size) {
  std::vector<uint8_t> header(size);
  std::copy_n(make_tag("ttcf").begin(), 4, header.begin());
  write_uint32(header.data() + 4, info.version);
  write_uint32(header.data() + 8, static_cast<uint32_t>(info.faces.size()));
  uint64_t at = kTtcHeaderSize + 4 * info.faces.size();
  for (size_t f = 0; f < info.faces.size(); ++f) {
    ttc_face& face = info.faces[f];
    face.offset = static_cast<uint32_t>(at);
    write_uint32(header.data() + kTtcHeaderSize + 4 * f, face.offset);
    put_directory(info, face, header.data() + at);
    at += directory_size(face);
  }
  return header;
}

// Lays the face's tables out after its directory, in directory order, and returns the end.
// A table listed twice is placed twice; both records then name the later place. With
// `sum`, the face's own checksums are computed (once the layout is known to fit): splitting
// a collection then sums each table once per face that lists it, not the whole pool per
// face.
uint64_t place_face_tables(ttc_info& info, const ttc_face& face, bool sum) {
  uint64_t end = directory_size(face);
  for (const int32_t index : face.table_indices) {
    ttc_table& table = info.tables[static_cast<size_t>(index)];
    table.offset = static_cast<uint32_t>(end);
    end += stored_size(table);
  }
  if (end > UINT32_MAX || !sum) return end;
  for (const int32_t index : face.table_indices) {
    ttc_table& table = info.tables[static_cast<size_t>(index)];
    table.checksum = entry_checksum(table);
  }
  return end;
}

int64_t write_face(ttc_info& info, size_t face_index, std::FILE* stream, bool sum) {
  const ttc_face& face = info.faces[face_index];
  const uint64_t end = place_face_tables(info, face, sum);
  if (!fits_offsets(end)) return -1;

  std::vector<uint8_t> header(directory_size(face));
  put_directory(info, face, header.data());
  if (!write_output_bytes(stream, header)) return -1;
  std::vector<uint8_t> room;
  for (const int32_t index : face.table_indices) {
    if (!write_table(info, index, stream, room)) return -1;
  }
  return static_cast<int64_t>(end);
}

}  // namespace

void ttc_calculate_checksums(ttc_info& info) {
  for (ttc_table& table : info.tables) table.checksum = entry_checksum(table);
}

uint64_t ttc_calculate_length_and_offsets(ttc_info& info, uint64_t start) {
  for (ttc_table& table : info.tables) {
    table.offset = static_cast<uint32_t>(start);
    start += stored_size(table);
  }
  return start;
}

int64_t ttc_write_to_file(ttc_info& info, std::FILE* stream) {
  uint64_t header_size = kTtcHeaderSize + 4 * uint64_t{info.faces.size()};
  for (const ttc_face& face : info.faces) header_size += directory_size(face);
  const uint64_t end = ttc_calculate_length_and_offsets(info, header_size);
  if (!fits_offsets(end)) return -1;
  ttc_calculate_checksums(info);

  if (!write_output_bytes(stream, collection_header(info, header_size))) return -1;
  std::vector<uint8_t> room;
  for (size_t index = 0; index < info.tables.size(); ++index) {
    if (!write_table(info, static_cast<int32_t>(index), stream, room)) return -1;
  }
  return static_cast<int64_t>(end);
}

int64_t ttc_write_face_to_file(ttc_info& info, size_t face_index, std::FILE* stream) {
  return write_face(info, face_index, stream, true);
}

int64_t ttc_write_face_with_checksums(ttc_info& info, size_t face_index, std::FILE* stream) {
  return write_face(info, face_index, stream, false);
}
