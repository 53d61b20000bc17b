#include "workflow.h"

#include <cstdio>

#include "fontgen/font_builder.h"
#include "support/package_fonts.h"
#include "support/run_tool.h"
#include "support/stored_font.h"

namespace {

namespace fs = std::filesystem;

std::string face_name(const char* stem, long face) {
  char name[64];
  std::snprintf(name, sizeof name, "%s_%02ld.ttf", stem, face);
  return name;
}

// input.ttc in `dir`, from the package's fonts; empty when none is installed.
fs::path join_package_fonts(const std::string& package, const fs::path& dir, std::string& skip) {
  std::string missing;
  const std::vector<fs::path> fonts = package_fonts(package, false, missing);
  if (fonts.empty() || !missing.empty()) {
    skip = "fonts of " + package + " not installed" + missing;
    return {};
  }
  std::vector<std::vector<font_table>> faces;
  for (const fs::path& font : fonts) {
    faces.push_back(std::move(faces_of(read_bytes(font)).at(0).tables));
  }
  write_bytes(dir / "input.ttc", build_ttc(faces));
  return dir / "input.ttc";
}

// True when the program ended with status 0 and printed nothing on standard error;
// otherwise the run's failure says what it did.
bool ran_cleanly(const char* what, const tool_run& tool, workflow_run& run) {
  if (tool.status == 0 && tool.err.empty()) return true;
  run.failure = std::string(what) + " ended with status " + std::to_string(tool.status) + "\n" +
                tool.out + tool.err;
  return false;
}

void split_mend_and_pack(workflow_run& run) {
  const tool_run split = run_tool(FACESPLIT_PATH, {run.input.string()}, run.dir);
  if (!ran_cleanly("facesplit", split, run)) return;
  run.faces = static_cast<long>(faces_of(read_bytes(run.input)).size());
  std::vector<std::string> pack_args = {"output.ttc"};
  for (long i = 0; i < run.faces; ++i) {
    const tool_run mend =
        run_tool(FACEMEND_PATH, {face_name("face", i), face_name("mended", i)}, run.dir);
    if (!ran_cleanly("facemend", mend, run)) return;
    run.mend_reports.push_back(mend.out);
    pack_args.push_back(face_name("mended", i));
    run.outputs.push_back({run.dir / face_name("face", i), 0, i, output_kind::split, run.input, i});
    run.outputs.push_back({run.dir / face_name("mended", i), 0, i, output_kind::mended,
                           run.dir / face_name("face", i), 0});
  }
  if (!ran_cleanly("facepack", run_tool(FACEPACK_PATH, pack_args, run.dir), run)) return;
  for (long i = 0; i < run.faces; ++i)
    run.outputs.push_back(
        {run.dir / "output.ttc", i, i, output_kind::packed, run.dir / face_name("mended", i), 0});
}

}  // namespace

workflow_run run_workflow(const workflow_source& source) {
  workflow_run run;
  run.dir = make_temp_dir();
  if (!source.package.empty()) {
    run.input = join_package_fonts(source.package, run.dir, run.skip);
  } else if (fs::is_regular_file(source.collection)) {
    run.input = source.collection;
  } else {
    run.skip = source.collection.string() + " not installed";
  }
  if (run.skip.empty()) split_mend_and_pack(run);
  return run;
}
