// Reading a TrueType Collection file into the collection model. Tables that several faces
// name by the same tag, file offset and length become one shared pool entry, whose bytes
// are a part of the file: a view when the file is held in memory, an extent when it is
// read from an open file (which must then stay open while the model is used). Faces that
// name the same offset table share one face of the model.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "sfnt/budget.h"
#include "sfnt/table_bytes.h"
#include "ttc/ttc_model.h"
#include "ttc/ttc_problem.h"

// The collection held in `file`, each distinct table summed once. Nothing when the file is
// not a collection, when its header, offset array, a face's offset table or directory, or a
// table's extent runs past its end, when its faces as fonts of their own would take more
// than `budget` allows for its size (see sfnt/budget.h), or when it could not be read;
// `problem` then says why.
std::optional<ttc_info> ttc_parse_binary(const table_bytes& file, ttc_problem& problem,
                                         const work_budget& budget = {});
// The entries would view a temporary copy: pass a span of bytes kept alive instead.
std::optional<ttc_info> ttc_parse_binary(const std::vector<uint8_t>& file, ttc_problem& problem,
                                         const work_budget& budget = {}) = delete;
