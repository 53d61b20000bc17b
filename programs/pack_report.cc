#include "programs/pack_report.h"

#include <string>
#include <vector>

#include "programs/pool_usage.h"

namespace {

std::string joined(const std::vector<size_t>& faces) {
  std::string text;
  for (const size_t face : faces) text += (text.empty() ? "" : ",") + std::to_string(face);
  return text;
}

// 100 * part / whole with one decimal, rounded: "47.4".
std::string percent(uint64_t part, uint64_t whole) {
  const uint64_t tenths = whole == 0 ? 0 : (part * 1000 + whole / 2) / whole;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

}  // namespace

std::string pool_report(const ttc_info& info) {
  const std::vector<std::vector<size_t>> users = faces_using_entries(info);
  std::string report;
  uint64_t stored = 0;
  for (size_t i = 0; i < info.tables().size(); ++i) {
    const uint64_t length = table_length(info.tables()[i].bytes);
    stored += length;
    report += tag_text(info.tables()[i].tag, tag_form::word) + " " + std::to_string(length) + " " +
              joined(users[i]) + "\n";
  }
  uint64_t inputs = 0;
  for (const std::shared_ptr<const ttc_face>& face : info.faces) {
    for (size_t i = 0; i < face->table_indices.size(); ++i) {
      const auto window = face->windows.find(i);  // a face's part of shared glyph data
      inputs +=
          window != face->windows.end()
              ? window->second.length
              : table_length(info.tables()[static_cast<size_t>(face->table_indices[i])].bytes);
    }
  }
  return report + "inputs " + std::to_string(inputs) + " bytes, stored " + std::to_string(stored) +
         " bytes, saved " + percent(inputs - stored, inputs) + "%\n";
}
