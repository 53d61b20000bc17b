#include "programs/mend_signs.h"

#include "fixer/name_repair.h"
#include "fixer/name_table.h"
#include "fixer/name_text.h"

namespace {

std::optional<sfnt_name_table> name_table_of(const sfnt_face_info& face) {
  const std::optional<size_t> index = find_sfnt_table_index(face, "name");
  if (!index) return std::nullopt;
  std::string error;
  return parse_sfnt_name_table(sfnt_table_bytes(face.tables[*index]), error);
}

}  // namespace

// Interim: the name sign as the name pass judges it, until fixer/legacy_signs is merged.
std::vector<std::string> face_legacy_signs(const sfnt_face_info& face) {
  const std::optional<sfnt_name_table> names = name_table_of(face);
  if (!names) return {};
  for (const sfnt_name_record& r : names->records)
    if (r.platform_id == 1 && r.encoding_id == 0 && r.language_id == 0 &&
        (r.name_id == 1 || r.name_id == 4) && sjis_check(r.string) == 2)
      return {"Shift-JIS name"};
  return {};
}

std::optional<std::string> face_family_name(const sfnt_face_info& face) {
  const std::optional<sfnt_name_table> names = name_table_of(face);
  return names ? get_font_family(*names).name : std::nullopt;
}
