// Legacy signs: which faces show the faults facemend exists for, on crafted fonts (the
// system's fonts are judged through facemend --check in real_fonts_test).
#include "fixer/legacy_signs.h"

#include <gtest/gtest.h>

#include "sfnt/font_file.h"

#include <filesystem>
#include <map>

#include "fontgen/font_builder.h"
#include "fontgen/sample_font.h"
#include "fontgen/tables.h"
#include "mend_support.h"
#include "sfnt/sfnt_directory.h"
#include "ttc/ttc_reader.h"

namespace {

namespace fs = std::filesystem;

// A Macintosh Roman format 6 map of 256 codes whose first `katakana` codes from 0xA1 go to
// the glyphs that the Windows map gives U+FF61 on; the rest of 0xA1-0xDF go to other glyphs.
std::vector<uint8_t> katakana_cmap(uint16_t katakana, bool format0 = false) {
  std::map<uint16_t, uint16_t> windows;
  std::vector<uint16_t> mac(256, 0);
  std::map<uint8_t, uint16_t> mac0;
  for (uint16_t i = 0; i < 63; ++i) {
    windows[static_cast<uint16_t>(0xFF61 + i)] = static_cast<uint16_t>(100 + i);
    mac[0xA1 + i] = static_cast<uint16_t>(i < katakana ? 100 + i : 200 + i);
    mac0[static_cast<uint8_t>(0xA1 + i)] = static_cast<uint8_t>(i < katakana ? 100 + i : 36 + i);
  }
  return build_cmap_table(
      {{1, 0, 0}, {3, 1, 1}},
      {format0 ? cmap_format0(mac0) : cmap_format6(0, mac), cmap_format4(windows)});
}

std::vector<uint8_t> sample_with_cmap(const std::vector<uint8_t>& cmap) {
  return build_sfnt(with_table(sample_font_tables(), "cmap", cmap));
}

std::vector<uint8_t> sample_of(const sample_font_options& options) {
  return build_sfnt(sample_font_tables(options));
}

// The signs of every face of the file, read through its directory as facemend reads it.
std::vector<legacy_signs> signs_of_file(const fs::path& path) {
  std::vector<legacy_signs> found;
  std::optional<input_file> file = open_input(path.string(), nullptr);
  if (!file) return found;
  const table_bytes whole = file_extent{&*file, 0, file->size};
  std::vector<sfnt_face_info> faces;
  font_problem problem;
  const std::optional<font_file> font = open_font_file(whole, problem);
  if (font && font->kind == font_kind::collection) {
    ttc_problem unread;
    if (const std::optional<ttc_info> collection = ttc_parse_binary(whole, unread))
      for (size_t i = 0; i < collection->faces.size(); ++i)
        faces.push_back(ttc_face_tables(*collection, i));
  } else if (font) {
    faces.push_back(sfnt_face_from_directory(whole, font->directory));
  }
  std::vector<uint8_t> room;
  for (const sfnt_face_info& face : faces)
    if (const std::optional<legacy_signs> signs = find_legacy_signs(face, room))
      found.push_back(*signs);
  close_input(*file);
  return found;
}

std::vector<legacy_signs> signs_of_bytes(const std::vector<uint8_t>& font) {
  const fs::path dir = make_temp_dir();
  write_bytes(dir / "font.ttf", font);
  std::vector<legacy_signs> signs = signs_of_file(dir / "font.ttf");
  fs::remove_all(dir);
  return signs;
}

TEST(LegacySigns, NamesTheFaultsOfOldJapaneseFontsOnly) {
  sample_font_options monospaced;
  monospaced.is_fixed_pitch = 1;
  monospaced.head_flags = 0x000B;
  sample_font_options full_only;
  full_only.mac_full = std::vector<uint8_t>{0x83, 0x54};
  const struct {
    const char* what;
    std::vector<uint8_t> font;
    std::vector<uint16_t> names;
    bool katakana;
  } crafted[] = {
      {"sample", sample_font(), {}, false},
      {"monospaced mark and head bit", sample_of(monospaced), {}, false},
      {"legacy gothic", sample_of(legacy_japanese_options(legacy_face::gothic)), {1, 4}, false},
      {"full name only", sample_of(full_only), {4}, false},
      {"katakana, all", sample_with_cmap(katakana_cmap(63)), {}, true},
      {"katakana, half", sample_with_cmap(katakana_cmap(32)), {}, true},
      {"katakana, under half", sample_with_cmap(katakana_cmap(31)), {}, false},
      {"katakana, format 0", sample_with_cmap(katakana_cmap(63, true)), {}, true},
      {"accented letters, format 0", sample_with_cmap(katakana_cmap(0, true)), {}, false},
  };
  for (const auto& c : crafted) {
    const std::vector<legacy_signs> signs = signs_of_bytes(c.font);
    ASSERT_EQ(signs.size(), 1u) << c.what;
    EXPECT_EQ(signs[0].shift_jis_names, c.names) << c.what;
    EXPECT_EQ(signs[0].katakana_mac_roman, c.katakana) << c.what;
  }

  const std::vector<legacy_signs> collection = signs_of_bytes(legacy_sample_collection());
  ASSERT_EQ(collection.size(), 2u);
  EXPECT_TRUE(has_legacy_signs(collection[1]));
}

}  // namespace
