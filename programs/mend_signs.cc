#include "programs/mend_signs.h"

#include "fixer/legacy_signs.h"

std::optional<std::vector<std::string>> face_legacy_signs(const sfnt_face_info& face,
                                                          std::vector<uint8_t>& room) {
  const std::optional<legacy_signs> signs = find_legacy_signs(face, room);
  if (!signs) return std::nullopt;
  std::vector<std::string> words;
  if (!signs->shift_jis_names.empty()) words.push_back("Shift-JIS name");
  if (signs->katakana_mac_roman) words.push_back("half-width katakana in the Mac Roman cmap");
  return words;
}
