// The face list of `facesplit --faces`: face numbers from 0 and ranges, joined by commas
// ("0,2-5"). Whether the faces exist is for the caller to check against the collection.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Faces first to last, both included.
struct face_range {
  uint32_t first = 0;
  uint32_t last = 0;
};

// The ranges of the list in the order given (a single number is a range of one face;
// repeats and overlaps are kept, and select a face once). Nothing when the list is
// malformed: empty, an empty item, anything but digits, '-' and ',', a range without both
// ends or whose end comes before its start, or a number past 4294967295.
std::optional<std::vector<face_range>> parse_face_list(std::string_view text);
