// The workflow a user runs on a collection, on real fonts: facesplit the collection,
// facemend every face, facepack the mended faces again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// Where a workflow starts: a collection installed on the system, or one the test builds
// from the single fonts of a Debian package.
struct workflow_source {
  std::string name;  // for test names
  std::filesystem::path collection;
  std::string package;
};

// Test names show the source by its name.
inline void PrintTo(const workflow_source& source, std::ostream* out) {
  *out << source.name;
}

enum class output_kind { split, mended, packed };

// An output of the workflow and the input face it came from.
struct workflow_output {
  std::filesystem::path file;
  long face = 0;  // within `file`
  long input_face = 0;
  output_kind kind = output_kind::split;
  // What the program that wrote it read: a face of the input for facesplit, the split
  // face for facemend, the mended face for facepack.
  std::filesystem::path source;
  long source_face = 0;
};

struct workflow_run {
  std::filesystem::path dir;    // every file the workflow wrote; the caller removes it
  std::filesystem::path input;  // the collection it started from
  long faces = 0;
  std::vector<std::string> mend_reports;  // facemend's standard output, per face
  std::vector<workflow_output> outputs;
  std::string skip;     // why the workflow could not start: its fonts are not installed
  std::string failure;  // what went wrong in a program run
};

// Runs the workflow in a fresh folder. A package's fonts are first joined into input.ttc by
// the test font writer, so the programs are not judged by their own input.
workflow_run run_workflow(const workflow_source& source);
