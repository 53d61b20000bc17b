#include "programs/mend_signs.h"

std::vector<std::string> face_legacy_signs(const sfnt_face_info&) {
  return {};
}

std::optional<std::string> face_family_name(const sfnt_face_info&) {
  return std::nullopt;
}
