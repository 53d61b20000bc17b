// The repair workflow as a user runs it, with a given set of programs: split the sample
// collection in an empty folder, mend each face in place, pack the faces again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/run_tool.h"

struct program_set {
  std::string facemend;
  std::string facepack;
  std::string facesplit;
};

// The programs the build made.
program_set built_programs();

// The programs named facemend, facepack and facesplit in `bin`.
program_set programs_in(const std::filesystem::path& bin);

struct workflow_run {
  tool_run split;
  std::vector<tool_run> mends;  // one per face file, in name order
  tool_run pack;
  std::vector<uint8_t> collection;  // what the pack wrote
};

// Runs the workflow on the sample collection inside `work`, which must be empty.
workflow_run run_workflow(const program_set& programs, const std::filesystem::path& work);

// Expects every step to have succeeded on the two faces of the sample, with the repairs
// the sample needs reported.
void expect_sample_repaired(const workflow_run& run);
