#include "ttc/ttc_writer.h"

#include <algorithm>
#include <vector>

#include "fontio/checksum.h"
#include "fontio/output_file.h"

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
    end += table.data.size();
  }
  if (end > UINT32_MAX || !sum) return end;
  for (const int32_t index : face.table_indices) {
    ttc_table& table = info.tables[static_cast<size_t>(index)];
    table.checksum = sfnt_directory_checksum(table.tag, table.data);
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
  for (const int32_t index : face.table_indices) {
    if (!write_output_bytes(stream, info.tables[static_cast<size_t>(index)].data)) return -1;
  }
  return static_cast<int64_t>(end);
}

}  // namespace

void ttc_calculate_checksums(ttc_info& info) {
  for (ttc_table& table : info.tables)
    table.checksum = sfnt_directory_checksum(table.tag, table.data);
}

uint64_t ttc_calculate_length_and_offsets(ttc_info& info, uint64_t start) {
  for (ttc_table& table : info.tables) {
    table.offset = static_cast<uint32_t>(start);
    start += table.data.size();
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
  for (const ttc_table& table : info.tables) {
    if (!write_output_bytes(stream, table.data)) return -1;
  }
  return static_cast<int64_t>(end);
}

int64_t ttc_write_face_to_file(ttc_info& info, size_t face_index, std::FILE* stream) {
  return write_face(info, face_index, stream, true);
}

int64_t ttc_write_face_with_checksums(ttc_info& info, size_t face_index, std::FILE* stream) {
  return write_face(info, face_index, stream, false);
}
