#include "ttc/ttc_writer.h"

#include <algorithm>
#include <map>
#include <vector>

#include "sfnt/sfnt_directory.h"
#include "sfnt/sfnt_face.h"
#include "sys/output_file.h"

namespace {

constexpr uint64_t kTtcHeaderSize = 12;

// Whether a layout that ends at `end` fits 32-bit offsets; notes it in `too_large` if not.
bool fits_offsets(uint64_t end, bool* too_large) {
  if (end <= UINT32_MAX) return true;
  if (too_large != nullptr) *too_large = true;
  return false;
}

// The header version written for a collection read as `version`. A version 2 header
// carries three DSIG fields after the offset array, naming a signature that the pool does
// not hold (and that would not sign the new file); such a collection is written as
// version 1.0, whose header ends with the offset array.
uint32_t written_version(uint32_t version) {
  return version >= 0x00020000 ? 0x00010000 : version;
}

// The records of a face's directory, with the pool entries at `offsets`.
std::vector<sfnt_record> face_records(const ttc_info& info, const ttc_face& face,
                                      const std::vector<uint64_t>& offsets) {
  std::vector<sfnt_record> records;
  records.reserve(face.table_indices.size());
  for (size_t i = 0; i < face.table_indices.size(); ++i) {
    const auto index = static_cast<size_t>(face.table_indices[i]);
    const ttc_table& table = info.tables()[index];
    sfnt_record record{table.tag, table.checksum, static_cast<uint32_t>(offsets[index]),
                       static_cast<uint32_t>(table_length(table.bytes))};
    if (const auto window = face.windows.find(i); window != face.windows.end()) {
      record.checksum = window->second.checksum;
      record.offset += static_cast<uint32_t>(window->second.offset);
      record.length = static_cast<uint32_t>(window->second.length);
    }
    records.push_back(record);
  }
  return records;
}

// The TTC header, offset array and every face's directory, for pool entries at `offsets`.
std::vector<uint8_t> collection_header(const ttc_info& info, const std::vector<uint64_t>& offsets) {
  std::vector<uint8_t> header(kTtcHeaderSize + 4 * info.faces.size());
  std::copy_n(make_tag("ttcf").begin(), 4, header.begin());
  write_uint32(header.data() + 4, written_version(info.version));
  write_uint32(header.data() + 8, static_cast<uint32_t>(info.faces.size()));
  for (size_t f = 0; f < info.faces.size(); ++f) {
    write_uint32(header.data() + kTtcHeaderSize + 4 * f, static_cast<uint32_t>(header.size()));
    append_sfnt_directory(header, info.faces[f]->header,
                          face_records(info, *info.faces[f], offsets));
  }
  return header;
}

// Where the collection's pool entries are written (after the header, the offset array and
// every directory, each entry padded to a multiple of 4), and where the file ends.
struct collection_layout {
  std::vector<uint64_t> offsets;  // by pool index
  uint64_t end = 0;
};

collection_layout lay_out_collection(const ttc_info& info) {
  collection_layout layout;
  layout.end = kTtcHeaderSize + 4 * uint64_t{info.faces.size()};
  for (const auto& face : info.faces) layout.end += sfnt_directory_size(face->table_indices.size());
  layout.offsets.reserve(info.tables().size());
  for (const ttc_table& table : info.tables()) {
    layout.offsets.push_back(layout.end);
    layout.end += padded_length(table_length(table.bytes));
  }
  return layout;
}

int64_t write_collection(const ttc_info& info, output_stream& stream, extent_copy how,
                         bool* too_large) {
  const collection_layout layout = lay_out_collection(info);
  const std::vector<uint64_t>& offsets = layout.offsets;
  const uint64_t end = layout.end;
  if (!fits_offsets(end, too_large)) return -1;

  if (!write_output_bytes(stream, collection_header(info, offsets))) return -1;
  std::vector<uint8_t> room;
  for (const ttc_table& table : info.tables()) {
    if (!write_table(stream, table.tag, table.bytes, table.checksum, how, room)) return -1;
  }
  return static_cast<int64_t>(end);
}

int64_t write_face(const ttc_info& info, size_t face, output_stream& stream, extent_copy how,
                   bool* too_large) {
  const sfnt_face_info single = ttc_face_tables(info, face);
  const uint64_t end = sfnt_face_size(single);
  if (!fits_offsets(end, too_large)) return -1;
  std::vector<sfnt_record> records = sfnt_face_layout(single);
  // A pool entry that the face lists twice is written at both places, and both records
  // name the later one, as collections split by earlier versions have them.
  const std::vector<int32_t>& indices = info.faces[face]->table_indices;
  std::map<int32_t, uint32_t> last_place;
  for (size_t i = 0; i < records.size(); ++i) last_place[indices[i]] = records[i].offset;
  for (size_t i = 0; i < records.size(); ++i) records[i].offset = last_place[indices[i]];
  if (!write_sfnt_face_to_stream(stream, single, records, how)) return -1;
  return static_cast<int64_t>(end);
}

}  // namespace

uint64_t ttc_collection_size(const ttc_info& info) {
  return lay_out_collection(info).end;
}

int64_t ttc_write_to_file(const ttc_info& info, output_stream& stream, extent_copy how,
                          bool* too_large) {
  return write_noting_memory(stream, int64_t{-1},
                             [&] { return write_collection(info, stream, how, too_large); });
}

int64_t ttc_write_face_to_file(const ttc_info& info, size_t face, output_stream& stream,
                               extent_copy how, bool* too_large) {
  return write_noting_memory(stream, int64_t{-1},
                             [&] { return write_face(info, face, stream, how, too_large); });
}
