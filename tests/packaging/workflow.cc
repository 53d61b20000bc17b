#include "packaging/workflow.h"

#include <gtest/gtest.h>

#include "fontgen/sample_font.h"

namespace fs = std::filesystem;

program_set built_programs() {
  return {FACEMEND_PATH, FACEPACK_PATH, FACESPLIT_PATH};
}

program_set programs_in(const fs::path& bin) {
  return {bin / "facemend", bin / "facepack", bin / "facesplit"};
}

workflow_run run_workflow(const program_set& programs, const fs::path& work) {
  write_bytes(work / "sample.ttc", legacy_sample_collection());
  fs::create_directory(work / "faces");
  workflow_run run;
  run.split = run_tool(programs.facesplit, {"../sample.ttc"}, work / "faces");
  const std::vector<std::string> faces = list_dir(work / "faces");
  for (const std::string& face : faces)
    run.mends.push_back(run_tool(programs.facemend, {face, face}, work / "faces"));
  std::vector<std::string> pack_args = {"../mended.ttc"};
  pack_args.insert(pack_args.end(), faces.begin(), faces.end());
  run.pack = run_tool(programs.facepack, pack_args, work / "faces");
  if (fs::exists(work / "mended.ttc")) run.collection = read_bytes(work / "mended.ttc");
  return run;
}

void expect_sample_repaired(const workflow_run& run) {
  EXPECT_EQ(run.split.status, 0) << run.split.err;
  EXPECT_EQ(run.split.out, "2 faces\n");
  ASSERT_EQ(run.mends.size(), 2u);
  for (const tool_run& mend : run.mends) {
    EXPECT_EQ(mend.status, 0) << mend.err;
    for (const char* finding : {"  Removing code area 0x80-0xff", "  Found substitute:",
                                "  isFixedPitch: 1 -> 0", "  flags: 000b -> 0009", "Done.\n\n"})
      EXPECT_NE(mend.out.find(finding), std::string::npos) << finding << " in\n" << mend.out;
  }
  EXPECT_EQ(run.pack.status, 0) << run.pack.err;
  EXPECT_NE(run.collection, legacy_sample_collection());
}
