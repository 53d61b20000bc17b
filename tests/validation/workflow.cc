#include "workflow.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "fontgen/font_builder.h"
#include "support/run_tool.h"

namespace {

namespace fs = std::filesystem;

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
  if (at > b.size() || b.size() - at < 4) throw std::out_of_range("field past the end");
  return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

uint16_t u16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(u32(b, at) >> 16);  // a directory always has room for it
}

stored_face face_at(const std::vector<uint8_t>& file, size_t at) {
  stored_face face{u32(file, at), u16(file, at + 6), u16(file, at + 8), u16(file, at + 10), {}};
  const size_t count = u16(file, at + 4);
  for (size_t i = 0; i < count; ++i) {
    const size_t record = at + 12 + 16 * i;
    const std::string tag(file.begin() + static_cast<std::ptrdiff_t>(record),
                          file.begin() + static_cast<std::ptrdiff_t>(record + 4));
    const size_t offset = u32(file, record + 8), length = u32(file, record + 12);
    if (offset > file.size() || file.size() - offset < length)
      throw std::out_of_range("table past the end");
    face.tables.emplace_back(
        tag, std::vector<uint8_t>(file.begin() + static_cast<std::ptrdiff_t>(offset),
                                  file.begin() + static_cast<std::ptrdiff_t>(offset + length)));
  }
  return face;
}

std::string face_name(const char* stem, long face) {
  char name[64];
  std::snprintf(name, sizeof name, "%s_%02ld.ttf", stem, face);
  return name;
}

// input.ttc in `dir`, from the package's fonts; empty when none is installed.
fs::path join_package_fonts(const std::string& package, const fs::path& dir, std::string& skip) {
  std::string missing;
  const std::vector<fs::path> fonts = package_fonts(package, missing);
  if (fonts.empty() || !missing.empty()) {
    skip = "fonts of " + package + " not installed" + missing;
    return {};
  }
  std::vector<std::vector<font_table>> faces;
  for (const fs::path& font : fonts) {
    std::vector<stored_face> stored = stored_faces(read_bytes(font));
    std::vector<font_table> tables;
    for (auto& [tag, bytes] : stored.at(0).tables) tables.push_back({tag, std::move(bytes)});
    faces.push_back(std::move(tables));
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
  run.faces = static_cast<long>(stored_faces(read_bytes(run.input)).size());
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

std::vector<stored_face> stored_faces(const std::vector<uint8_t>& file) {
  if (file.size() < 4 || std::string(file.begin(), file.begin() + 4) != "ttcf")
    return {face_at(file, 0)};
  std::vector<stored_face> faces;
  const size_t count = u32(file, 8);
  for (size_t i = 0; i < count; ++i) faces.push_back(face_at(file, u32(file, 12 + 4 * i)));
  return faces;
}

std::vector<fs::path> package_fonts(const std::string& package, std::string& missing) {
  std::ifstream list("/var/lib/dpkg/info/" + package + ".list");
  std::vector<fs::path> fonts;
  for (std::string line; std::getline(list, line);) {
    const fs::path path = line;
    if (path.extension() != ".ttf" && path.extension() != ".otf") continue;
    if (fs::is_regular_file(path))
      fonts.push_back(path);
    else
      missing += " " + line;
  }
  return fonts;
}

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
