// Fuzz target: the name and cmap table models on their own. Every input is read both as a
// name table and as a cmap table; what parses is repaired the way the passes repair it and
// rendered, and the rendered table must parse back to the same model.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fixer/cmap_repair.h"
#include "fixer/cmap_table.h"
#include "fixer/name_repair.h"
#include "fixer/name_table.h"
#include "fixer/name_text.h"
#include "fuzz/fuzz_support.h"

namespace {

// The events of a repair are not looked at here.
struct silent_sink final : mend_sink {
  void report(const mend_event_any&) override {}
};

bool same_records(const std::vector<sfnt_name_record>& a, const std::vector<sfnt_name_record>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].platform_id != b[i].platform_id || a[i].encoding_id != b[i].encoding_id ||
        a[i].language_id != b[i].language_id || a[i].name_id != b[i].name_id ||
        a[i].string != b[i].string)
      return false;
  }
  return true;
}

void name_model(std::span<const uint8_t> bytes) {
  std::string error;
  std::optional<sfnt_name_table> table = parse_sfnt_name_table(bytes, error);
  if (!table) return;
  get_font_family(*table);
  for (const sfnt_name_record& record : table->records) sjis_check(record.string);
  silent_sink sink;
  if (fix_oddtype_fontfamily(table->records, sink) < 0) return;
  const std::optional<std::vector<uint8_t>> rendered =
      render_sfnt_name_table(table->records, error);
  if (!rendered) return;
  const std::optional<sfnt_name_table> back = parse_sfnt_name_table(*rendered, error);
  fuzz_require(back.has_value(), "a rendered name table parses");
  fuzz_require(same_records(back->records, table->records),
               "a rendered name table holds the records it was made of");
}

void cmap_model(std::span<const uint8_t> bytes) {
  std::string reason;
  cmap_length length = cmap_length::agrees;
  std::optional<sfnt_cmap_table> table = parse_sfnt_cmap_table(bytes, length, reason);
  if (!table) return;
  silent_sink sink;
  fix_oddtype_cmap_table(*table, sink);
  const std::vector<uint8_t> rendered = render_sfnt_cmap_table(*table);
  fuzz_require(rendered.size() <= bytes.size(),
               "a rendered cmap table is no longer than its source");
  const std::optional<sfnt_cmap_table> back = parse_sfnt_cmap_table(rendered, length, reason);
  fuzz_require(back.has_value(), "a rendered cmap table parses");
  fuzz_require(back->records.size() == table->records.size() &&
                   back->subtables.size() == table->subtables.size(),
               "a rendered cmap table keeps its records and subtables");
  for (size_t i = 0; i < table->records.size(); ++i) {
    const sfnt_cmap_record& a = table->records[i];
    const sfnt_cmap_record& b = back->records[i];
    fuzz_require(a.platform_id == b.platform_id && a.encoding_id == b.encoding_id &&
                     a.subtable == b.subtable,
                 "a rendered cmap record keeps its identifiers and subtable");
    fuzz_require(table->subtables[a.subtable].data == back->subtables[b.subtable].data,
                 "a rendered cmap subtable keeps its bytes");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  name_model(bytes);
  cmap_model(bytes);
  return 0;
}
