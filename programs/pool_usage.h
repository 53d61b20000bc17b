// How a collection's faces use its pool, for the listings of facesplit --list and
// facepack --verbose.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "sfnt/byte_fields.h"
#include "ttc/ttc_model.h"

// For each pool entry, the faces whose directories name it, in increasing order, each once.
std::vector<std::vector<size_t>> faces_using_entries(const ttc_info& info);
