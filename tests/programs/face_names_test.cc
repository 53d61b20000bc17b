#include "programs/face_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fontgen/font_builder.h"
#include "fontgen/tables.h"
#include "ttc/ttc_reader.h"

namespace {

name_record_spec win(std::string_view text) {
  return {3, 1, 0x409, 6, utf16be(text)};
}
name_record_spec mac(std::string_view text) {
  return {1, 0, 0, 6, bytes_of(text)};
}

struct face_spec {
  std::vector<name_record_spec> names;  // none: no name table
  bool cff = false;
};

// The file names of a collection of these faces, named after their PostScript names.
std::vector<std::string> file_names(const std::vector<face_spec>& faces) {
  std::vector<std::vector<font_table>> tables;
  for (const face_spec& face : faces) {
    tables.push_back({{"head", {1}}});
    if (!face.names.empty()) tables.back().push_back({"name", build_name_table(face.names)});
  }
  const std::vector<uint8_t> file = build_ttc(tables);
  ttc_problem problem;
  const std::optional<ttc_info> info = ttc_parse_binary(std::span<const uint8_t>(file), problem);
  std::vector<face_naming> namings;
  std::vector<uint8_t> room;
  for (size_t i = 0; i < faces.size(); ++i)
    namings.push_back({face_postscript_name(*info, i, room), faces[i].cff});
  return postscript_file_names(namings);
}

TEST(FaceNames, PostScriptNamesMadeSafeShortAndUnique) {
  const std::string long_name(600, 'a'), cut(max_file_name - 4, 'a');
  const std::vector<std::pair<std::vector<face_spec>, std::vector<std::string>>> cases = {
      {{{{mac("Mac"), win("W-1.x")}}, {{mac("Mac")}, true}, {{{3, 1, 0x411, 6, utf16be("J")}}}},
       {"W-1.x.ttf", "Mac.otf", "face_02.ttf"}},
      {{{{win(""), mac("Mac")}},
        {{win("\xDC"
              "b"),
          mac("x")}},
        {{mac(".a+b \x7f\xff")}}},
       {"Mac.ttf", "_b.ttf", "_a_b___.ttf"}},
      {{{{mac("../x")}}, {{win("/etc/x")}}, {{mac(".")}}, {{mac("..")}}, {{mac("\x01\n")}}},
       {"_._x.ttf", "_etc_x.ttf", "face_02.ttf", "face_03.ttf", "face_04.ttf"}},
      {{{{mac("A")}}, {{mac("A")}, true}, {{mac("A")}}, {{mac("A-1")}}, {}},
       {"A.ttf", "A.otf", "A-1.ttf", "A-1-1.ttf", "face_04.ttf"}},
      // One name on a file system that ignores case.
      {{{{mac("Dup")}}, {{win("DUP")}}, {{mac("dup-1")}}}, {"Dup.ttf", "DUP-1.ttf", "dup-1-1.ttf"}},
      {{{{mac(long_name)}}, {{win(long_name)}}, {{mac(long_name)}, true}},
       {cut + ".ttf", cut.substr(2) + "-1.ttf", cut + ".otf"}},
  };
  for (const auto& [faces, expected] : cases) EXPECT_EQ(file_names(faces), expected);
}

}  // namespace
