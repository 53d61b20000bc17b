// The legacy signs of a face, in the words facemend prints them: whether the face shows the
// faults facemend exists for.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sfnt/sfnt_face.h"

// The signs the face shows, each as a short phrase, in a fixed order; empty for a face that
// does not need facemend. Nothing after a failed read of a table has been reported; `room`
// holds such a table while it is judged.
std::optional<std::vector<std::string>> face_legacy_signs(const sfnt_face_info& face,
                                                          std::vector<uint8_t>& room);
