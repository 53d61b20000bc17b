// Fuzz target: facesplit's work on one input file, in memory. The collection is read into
// the model, and each face is written as a single-face font; every face must hold the
// tables its directory names in the input, and every written face must read back as it.
// Inputs whose size is a multiple of 3 are read under a budget of their own size, so that
// small inputs meet its limits; what is read under it must keep to them.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "sfnt/sfnt_directory.h"
#include "sfnt/sfnt_face.h"
#include "ttc/ttc_model.h"
#include "ttc/ttc_reader.h"
#include "ttc/ttc_writer.h"

namespace {

constexpr size_t kCaptureCap = size_t{16} << 20;

bool same_bytes(std::span<const uint8_t> a, std::span<const uint8_t> b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

// The face as written in `file` at `at` holds the same fields and tables as the model's.
void expect_face(const ttc_info& info, const ttc_face& face, std::span<const uint8_t> file,
                 uint64_t at, const char* what) {
  std::string problem;
  const std::optional<sfnt_directory> dir = read_sfnt_directory(file, at, problem);
  fuzz_require(dir.has_value(), what);
  fuzz_require(dir->header.version == face.header.version &&
                   dir->header.search_range == face.header.search_range &&
                   dir->header.entry_selector == face.header.entry_selector &&
                   dir->header.range_shift == face.header.range_shift &&
                   dir->records.size() == face.table_indices.size(),
               what);
  for (size_t i = 0; i < dir->records.size(); ++i) {
    const sfnt_record& record = dir->records[i];
    const ttc_table& table = info.tables()[static_cast<size_t>(face.table_indices[i])];
    fuzz_require(record.tag == table.tag && record.length == table_length(table.bytes), what);
    fuzz_require(same_bytes(file.subspan(record.offset, record.length), held_bytes(table.bytes)),
                 what);
  }
}

// The faces as written and their distinct directories keep to the budget they were read
// under.
void expect_within_budget(const ttc_info& info, const work_budget& budget, uint64_t size) {
  uint64_t face_bytes = 0;
  uint64_t directory_bytes = 0;
  std::set<const ttc_face*> read;
  for (size_t i = 0; i < info.faces.size(); ++i) {
    face_bytes += sfnt_face_size(ttc_face_tables(info, i));
    if (read.insert(info.faces[i].get()).second)
      directory_bytes += sfnt_directory_size(info.faces[i]->table_indices.size());
  }
  fuzz_require(face_bytes <= face_limit(budget, size), "the faces keep to the budget");
  fuzz_require(directory_bytes <= directory_limit(budget, size),
               "the directories keep to the budget");
}

void write_face(const ttc_info& info, size_t face) {
  capture sink{kCaptureCap, {}, 0};
  std::FILE* stream = open_capture(sink);
  fuzz_require(stream != nullptr, "a capture stream opens");
  output_stream out{stream, std::nullopt};
  const int64_t written = ttc_write_face_to_file(info, face, out, extent_copy::kernel);
  const bool complete = close_capture(stream, sink);
  if (written < 0) return;
  fuzz_require(static_cast<uint64_t>(written) == sink.written, "a face write reports its size");
  if (complete) expect_face(info, *info.faces[face], sink.bytes, 0, "a written face reads back");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> file(data, size);
  const work_budget budget = size % 3 == 0 ? work_budget{1, 0} : work_budget{};
  ttc_problem problem;
  std::optional<ttc_info> info = ttc_parse_binary(file, problem, budget);
  if (!info) return 0;
  expect_within_budget(*info, budget, size);
  for (size_t i = 0; i < info->faces.size(); ++i) {
    const uint32_t offset = read_uint32(data + 12 + 4 * i);
    expect_face(*info, *info->faces[i], file, offset, "a face holds the tables of its directory");
  }
  for (size_t i = 0; i < info->faces.size(); ++i) write_face(*info, i);
  return 0;
}
