// Fuzz target: facemend's work on one input file, in memory. The face is parsed, its name
// table read and the family name looked up, the four passes run, and the repaired face is
// written out; the written bytes must read back as the same face, and no table but the
// four that the passes own may change.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fixer/cmap_repair.h"
#include "fixer/collection_repair.h"
#include "fixer/name_repair.h"
#include "fixer/name_table.h"
#include "fixer/name_text.h"
#include "fixer/post_head_repair.h"
#include "fuzz/fuzz_support.h"
#include "sfnt/font_file.h"
#include "ttc/ttc_reader.h"
#include "ttc/ttc_writer.h"

namespace {

// The single font held in `file`, as the one opener reads it.
std::optional<sfnt_face_info> single_face(std::span<const uint8_t> file) {
  font_problem problem;
  const std::optional<font_file> font = open_font_file(file, problem);
  if (!font || font->kind != font_kind::single) return std::nullopt;
  return sfnt_face_from_directory(file, font->directory);
}
// The events of a repair are not looked at here.
struct silent_sink final : mend_sink {
  void report(const mend_event_any&) override {}
};

// Room for any face an input below the fuzzers' length limit can lay out to in ordinary
// cases; a bigger output is written and counted but not read back.
constexpr size_t kCaptureCap = size_t{16} << 20;

// A pass may give its own table new bytes; post and head keep theirs but for one field,
// and the cmap table never grows.
void expect_pass_change(const sfnt_table& before, const sfnt_table& table) {
  if (!std::holds_alternative<std::vector<uint8_t>>(table.bytes)) return;
  const std::span<const uint8_t> now = sfnt_table_bytes(table);
  const std::span<const uint8_t> was = sfnt_table_bytes(before);
  std::vector<uint8_t> expected(was.begin(), was.end());
  const auto equal = [&] {
    return std::equal(now.begin(), now.end(), expected.begin(), expected.end());
  };
  if (table.tag == make_tag("post")) {
    std::fill(expected.begin() + 12, expected.begin() + 16, 0);
    fuzz_require(equal(), "the post pass clears isFixedPitch and nothing else");
  } else if (table.tag == make_tag("head")) {
    expected[17] &= 0xFD;
    fuzz_require(equal(), "the head pass clears flags bit 1 and nothing else");
  } else if (table.tag == make_tag("cmap")) {
    fuzz_require(now.size() <= was.size(), "the cmap table never grows");
  } else {
    fuzz_require(table.tag == make_tag("name"), "only the passes' tables change");
  }
}

// The written file must hold the face: same fields, tags and bytes, in order.
void expect_reads_back(const sfnt_face_info& face, const std::vector<uint8_t>& written) {
  const std::optional<sfnt_face_info> back = single_face(written);
  fuzz_require(back.has_value(), "the written face parses");
  fuzz_require(back->header.version == face.header.version &&
                   back->header.search_range == face.header.search_range &&
                   back->header.entry_selector == face.header.entry_selector &&
                   back->header.range_shift == face.header.range_shift,
               "the written offset table keeps the face's fields");
  fuzz_require(back->tables.size() == face.tables.size(), "every table is written");
  for (size_t i = 0; i < face.tables.size(); ++i) {
    const std::span<const uint8_t> want = sfnt_table_bytes(face.tables[i]);
    const std::span<const uint8_t> got = sfnt_table_bytes(back->tables[i]);
    fuzz_require(back->tables[i].tag == face.tables[i].tag, "tags are written in order");
    fuzz_require(std::equal(want.begin(), want.end(), got.begin(), got.end()),
                 "each table is written as the face holds it");
  }
}

void write_and_read_back(const sfnt_face_info& face) {
  capture sink{kCaptureCap, {}, 0};
  std::FILE* stream = open_capture(sink);
  fuzz_require(stream != nullptr, "a capture stream opens");
  output_stream out{stream, std::nullopt};
  const std::vector<sfnt_record> records = sfnt_face_layout(face);
  fuzz_require(write_sfnt_face_to_stream(out, face, records, extent_copy::checked),
               "a face writes to memory");
  if (close_capture(stream, sink)) expect_reads_back(face, sink.bytes);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  silence_stdout();
  return 0;
}

// A collection is repaired face by face and written; what is written must read back as a
// collection of as many faces.
void mend_collection(std::span<const uint8_t> file) {
  mended_tables changed{};
  silent_sink report;
  const collection_repair result = repair_collection("input", file, changed, report);
  if (result.status != 0) return;
  capture sink{kCaptureCap, {}, 0};
  std::FILE* stream = open_capture(sink);
  fuzz_require(stream != nullptr, "a capture stream opens");
  output_stream out{stream, std::nullopt};
  const int64_t written = ttc_write_to_file(result.repaired, out, extent_copy::checked);
  const bool complete = close_capture(stream, sink);
  if (written < 0 || !complete) return;
  ttc_problem problem;
  const std::optional<ttc_info> back =
      ttc_parse_binary(std::span<const uint8_t>(sink.bytes), problem);
  fuzz_require(back && back->faces.size() == result.repaired.faces.size(),
               "a repaired collection reads back with every face");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> file(data, size);
  font_problem problem;
  const std::optional<font_file> font = open_font_file(file, problem);
  if (!font) return 0;
  if (font->kind == font_kind::collection) {
    mend_collection(file);
    return 0;
  }
  std::optional<sfnt_face_info> face = sfnt_face_from_directory(file, font->directory);
  std::string error;
  const std::optional<size_t> name_index = find_sfnt_table_index(*face, "name");
  if (!name_index) return 0;
  std::optional<sfnt_name_table> names =
      parse_sfnt_name_table(sfnt_table_bytes(face->tables[*name_index]), error);
  if (!names) return 0;
  get_font_family(*names);
  const sfnt_face_info before = *face;
  // The driver's order: cmap, name (whose failure ends the run), post, head.
  silent_sink sink;
  fix_cmap(*face, sink);
  if (fix_name(*face, *name_index, *names, sink) != 0) return 0;
  fix_post(*face, sink);
  fix_head(*face, sink);
  for (size_t i = 0; i < face->tables.size(); ++i)
    expect_pass_change(before.tables[i], face->tables[i]);
  write_and_read_back(*face);
  return 0;
}
