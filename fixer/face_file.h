// The refusal of a face whose sfnt version is none that fonts use.
#pragma once

#include <cstdint>
#include <string>

// 0 when `version` is a font's sfnt version, else 1 after saying that `name` is not a font.
int refuse_unknown_version(const std::string& name, uint32_t version);
