// The legacy signs of a face, in the words facemend prints them: whether the face shows the
// faults facemend exists for.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sfnt/sfnt_face.h"

// The signs the face shows, each as a short phrase, in a fixed order; empty for a face that
// does not need facemend. Its name and cmap tables must be held in memory.
std::vector<std::string> face_legacy_signs(const sfnt_face_info& face);

// The face's family name (name ID 1) of the Windows English record, as the font has it;
// nothing without one. Its name table must be held in memory.
std::optional<std::string> face_family_name(const sfnt_face_info& face);
