// Reading a TrueType Collection file into the collection model. Tables that several faces
// name by the same tag, file offset and length become one shared pool entry, whose bytes
// are a part of the file: a view when the file is held in memory, an extent when it is
// read from an open file (which must then stay open while the model is used). Faces that
// name the same offset table share one face of the model.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "sfnt/budget.h"
#include "sfnt/sfnt_directory.h"
#include "sfnt/table_bytes.h"
#include "ttc/ttc_model.h"
#include "ttc/ttc_problem.h"

// A face of a collection as the reading meets it, in collection order: with the directory
// of its offset table, read for it, or, when an earlier face names the same offset table,
// with that face's index.
struct ttc_face_met {
  size_t face = 0;
  const sfnt_directory* directory = nullptr;  // valid during the call; null: same_as
  size_t same_as = 0;
};

// What a reader does with each face it meets; false, with `problem` noted, stops the reading.
using ttc_face_visitor = std::function<bool(const ttc_face_met&, ttc_problem& problem)>;

// Reads the header, the offset array and each face's offset table and directory of the
// collection in `file`, checked and counted against the budget as ttc_parse_binary reads
// them, and hands each face to `visit`; no table is read. The header's version, or nothing
// with `problem` saying why (a problem `visit` noted among them).
std::optional<uint32_t> ttc_read_directories(const table_bytes& file, ttc_problem& problem,
                                             const ttc_face_visitor& visit,
                                             const work_budget& budget = {});

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
