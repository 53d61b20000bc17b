// facemend's output file: the repaired face written to its file, and the refusal of a
// face whose sfnt version is none that fonts use.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sfnt/sfnt_face.h"
#include "sys/input_file.h"

// 0 when `version` is a font's sfnt version, else 1 after saying that `name` is not a font.
int refuse_unknown_version(const std::string& name, uint32_t version);

enum class sfnt_write_status {
  written,
  failed,  // reported on standard error; whatever file had the name keeps its bytes
};

// Writes the face, whose tables are held in memory, as a single-face file to `path`,
// atomically (see sys/output_file.h).
sfnt_write_status write_sfnt_face(const std::string& path, const sfnt_face_info& face);
