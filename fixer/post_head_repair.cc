#include "fixer/post_head_repair.h"

#include <vector>

#include "sfnt/byte_fields.h"

namespace {

constexpr size_t kIsFixedPitch = 12;
constexpr size_t kHeadFlags = 16;
constexpr uint16_t kLeftSidebearingAtOrigin = 0x0002;

enum class table_lookup { copied, missing, too_short };

// Copies the bytes of the entry `tag` for a pass to repair. A missing table, or one too
// short to hold the field the pass changes, is reported instead.
table_lookup copy_table(const sfnt_face_info& face, const char* tag, size_t min_length,
                        size_t& index, std::vector<uint8_t>& copy, mend_sink& sink) {
  const std::optional<size_t> found = find_sfnt_table_index(face, tag);
  if (!found) {
    sink.report(mend_event::table_missing{tag});
    return table_lookup::missing;
  }
  const std::span<const uint8_t> bytes = sfnt_table_bytes(face.tables[*found]);
  if (bytes.size() < min_length) {
    sink.report(mend_event::table_too_short{tag, bytes.size()});
    return table_lookup::too_short;
  }
  index = *found;
  copy.assign(bytes.begin(), bytes.end());
  return table_lookup::copied;
}

int result_of(table_lookup lookup) {
  return lookup == table_lookup::missing ? -1 : 0;
}

}  // namespace

void fix_oddtype_post_table(std::span<uint8_t> table, mend_sink& sink) {
  const uint32_t was = read_uint32(table.data() + kIsFixedPitch);
  if (was == 0) return;
  sink.report(mend_event::fixed_pitch_cleared{was});
  write_uint32(table.data() + kIsFixedPitch, 0);
}

void fix_oddtype_head_table(std::span<uint8_t> table, mend_sink& sink) {
  const uint16_t flags = read_uint16(table.data() + kHeadFlags);
  const uint16_t cleared = flags & static_cast<uint16_t>(~kLeftSidebearingAtOrigin);
  sink.report(mend_event::head_flags{flags, cleared});
  write_uint16(table.data() + kHeadFlags, cleared);
}

int fix_post(sfnt_face_info& face, mend_sink& sink) {
  size_t index = 0;
  std::vector<uint8_t> copy;
  const table_lookup lookup = copy_table(face, "post", kIsFixedPitch + 4, index, copy, sink);
  if (lookup != table_lookup::copied) return result_of(lookup);
  fix_oddtype_post_table(copy, sink);
  set_sfnt_table_bytes(face.tables[index], std::move(copy));
  return 0;
}

int fix_head(sfnt_face_info& face, mend_sink& sink) {
  size_t index = 0;
  std::vector<uint8_t> copy;
  const table_lookup lookup = copy_table(face, "head", kHeadFlags + 2, index, copy, sink);
  if (lookup != table_lookup::copied) return result_of(lookup);
  fix_oddtype_head_table(copy, sink);
  set_sfnt_table_bytes(face.tables[index], std::move(copy));
  return 0;
}
