#include "mend_support.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

mend_run run_facemend(const std::vector<uint8_t>& font) {
  const std::filesystem::path dir = make_temp_dir();
  write_bytes(dir / "in.ttf", font);
  mend_run result;
  result.run = run_tool(FACEMEND_PATH, {"in.ttf", "out.ttf"}, dir);
  if (std::filesystem::exists(dir / "out.ttf")) result.output = read_bytes(dir / "out.ttf");
  std::filesystem::remove_all(dir);
  return result;
}

std::string mend_stdout(const std::string& family, const pass_findings& findings) {
  return "Font family: " + family + "\nProcessing `cmap' table...\n" + findings.cmap +
         "Processing `name' table...\n" + findings.name + "Processing `post' table...\n" +
         findings.post + "Processing `head' table...\n" + findings.head + "Done.\n\n";
}

std::vector<font_table> with_table(std::vector<font_table> tables, const std::string& tag,
                                   std::optional<std::vector<uint8_t>> bytes) {
  const auto it =
      std::find_if(tables.begin(), tables.end(), [&](const font_table& t) { return t.tag == tag; });
  if (it == tables.end()) throw std::invalid_argument("no table " + tag);
  if (bytes)
    it->bytes = std::move(*bytes);
  else
    tables.erase(it);
  return tables;
}

const std::vector<uint8_t>& table_of(const std::vector<font_table>& tables,
                                     const std::string& tag) {
  for (const font_table& t : tables)
    if (t.tag == tag) return t.bytes;
  throw std::invalid_argument("no table " + tag);
}
