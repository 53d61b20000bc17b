#include "programs/face_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The ranges as "first-last" joined by commas, or "bad".
std::string parsed(std::string_view text) {
  const auto ranges = parse_face_list(text);
  if (!ranges) return "bad";
  std::string out;
  for (const face_range& r : *ranges)
    out += (out.empty() ? "" : ",") + std::to_string(r.first) + "-" + std::to_string(r.last);
  return out;
}

TEST(FaceList, ReadsNumbersAndRangesAndRefusesAnythingElse) {
  const std::vector<std::pair<std::string, std::string>> good = {
      {"0", "0-0"},
      {"0,2-5", "0-0,2-5"},
      {"3,3,1-3,007,4-4", "3-3,3-3,1-3,7-7,4-4"},
      {"4294967295", "4294967295-4294967295"}};
  for (const auto& [text, expected] : good) EXPECT_EQ(parsed(text), expected) << text;
  for (const char* bad : {"", ",", "1,", ",1", "1,,2", "1-", "-1", "3-1", "1-2-3", "1 ,2", " 1",
                          "+1", "0x1", "4294967296", "99999999999999999999999"})
    EXPECT_EQ(parsed(bad), "bad") << bad;
}

}  // namespace
