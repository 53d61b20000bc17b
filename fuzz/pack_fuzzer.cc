// Fuzz target: facepack's reading of one input file and its collection writer, in memory.
// The input is added twice, as two faces of one collection (so the second shares every
// table with the first), the first leaving its tables in place or not, and the collection
// is written; the written file must read back as two faces that each hold the input's
// tables. Inputs whose size is a multiple of 3 are read under a budget of their own size,
// so that small inputs meet its limit; an input taken under it must keep to it. Adding the
// two faces at once must give what adding them one by one gave.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "programs/join_input.h"
#include "sfnt/sfnt_directory.h"
#include "ttc/ttc_join.h"
#include "ttc/ttc_model.h"
#include "ttc/ttc_reader.h"
#include "ttc/ttc_writer.h"

namespace {

constexpr size_t kCaptureCap = size_t{16} << 20;

bool same_bytes(std::span<const uint8_t> a, std::span<const uint8_t> b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

// Each face of the collection read back holds the fields and tables of the input's
// directory.
void expect_faces(const ttc_info& back, const sfnt_directory& input,
                  std::span<const uint8_t> file) {
  for (const auto& listed : back.faces) {
    const ttc_face& face = *listed;
    fuzz_require(face.header.version == input.header.version &&
                     face.header.search_range == input.header.search_range &&
                     face.header.entry_selector == input.header.entry_selector &&
                     face.header.range_shift == input.header.range_shift &&
                     face.table_indices.size() == input.records.size(),
                 "a packed face keeps its offset table");
    for (size_t i = 0; i < input.records.size(); ++i) {
      const sfnt_record& record = input.records[i];
      const ttc_table& table = back.tables()[static_cast<size_t>(face.table_indices[i])];
      fuzz_require(
          table.tag == record.tag && table_length(table.bytes) == record.length &&
              same_bytes(held_bytes(table.bytes), file.subspan(record.offset, record.length)),
          "a packed face holds the input's tables in order");
    }
  }
}

void write_and_read_back(const ttc_info& info, const sfnt_directory& input,
                         std::span<const uint8_t> file) {
  capture sink{kCaptureCap, {}, 0};
  std::FILE* stream = open_capture(sink);
  fuzz_require(stream != nullptr, "a capture stream opens");
  output_stream out{stream, std::nullopt};
  const int64_t written = ttc_write_to_file(info, out, extent_copy::checked);
  const bool complete = close_capture(stream, sink);
  if (written < 0) return;
  fuzz_require(static_cast<uint64_t>(written) == sink.written,
               "a collection write reports its size");
  if (!complete) return;
  ttc_problem problem;
  const std::optional<ttc_info> back =
      ttc_parse_binary(std::span<const uint8_t>(sink.bytes), problem);
  fuzz_require(back.has_value() && back->faces.size() == 2, "a written collection reads back");
  expect_faces(*back, input, file);
}

// The two faces added at once give the pool and faces that adding them one by one gave.
void expect_joined_at_once(const ttc_info& one_by_one, std::span<const uint8_t> file,
                           const work_budget& budget) {
  std::vector<uint8_t> room;
  std::optional<sfnt_face_info> face = read_font_face("input", file, budget);
  fuzz_require(face.has_value(), "an input that joined reads again");
  ttc_info at_once;
  fuzz_require(!ttc_add_faces(at_once, {*face, *face}, room) && at_once.faces.size() == 2,
               "an input that joined joins twice at once");
  fuzz_require(at_once.tables().size() == one_by_one.tables().size(), "both joins pool alike");
  for (size_t i = 0; i < at_once.tables().size(); ++i)
    fuzz_require(at_once.tables()[i].checksum == one_by_one.tables()[i].checksum &&
                     at_once.tables()[i].tag == one_by_one.tables()[i].tag,
                 "both joins sum alike");
  for (size_t f = 0; f < 2; ++f)
    fuzz_require(at_once.faces[f]->table_indices == one_by_one.faces[f]->table_indices,
                 "both joins list alike");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> file(data, size);
  std::vector<uint8_t> room;
  ttc_info info;
  // Inputs of odd size have their tables held, the others leave them in the input: either
  // way the second copy is compared with the first's entries.
  const work_budget budget = size % 3 == 0 ? work_budget{1, 0} : work_budget{};
  if (add_font_file(info, "input", file, size % 2 == 1, room, budget) != 0) return 0;
  const size_t pooled = info.tables().size();
  fuzz_require(add_font_file(info, "input", file, false, room, budget) == 0,
               "a font that joined once joins again");
  fuzz_require(info.tables().size() == pooled, "the second copy shares every table");
  expect_joined_at_once(info, file, budget);
  std::string problem;
  const std::optional<sfnt_directory> input = read_sfnt_directory(file, 0, problem);
  fuzz_require(input.has_value(), "an input that joined has a directory");
  fuzz_require(known_sfnt_version(input->header.version), "an input that joined is a font");
  fuzz_require(sfnt_font_size(*input) <= face_limit(budget, size),
               "an input that joined keeps to the budget");
  write_and_read_back(info, *input, file);
  return 0;
}
