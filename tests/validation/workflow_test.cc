// The whole workflow on real collections (facesplit, facemend on every face, facepack),
// with every output judged against the input face it came from: by its table bytes, by
// FreeType, by the OpenType Sanitizer and by fontTools. The collections are wqy-zenhei.ttc
// and collections joined from the single fonts of five Debian font packages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

#include "support/repair_judge.h"
#include "support/run_tool.h"
#include "support/stored_font.h"
#include "validators.h"
#include "workflow.h"

namespace {

class Workflow : public testing::TestWithParam<workflow_source> {
 protected:
  void SetUp() override {
    run_ = run_workflow(GetParam());
    SKIP_UNLESS_PRESENT(run_.skip);
    ASSERT_EQ(run_.failure, "");
    input_ = read_bytes(run_.input);
  }
  void TearDown() override { std::filesystem::remove_all(run_.dir); }

  // The bytes of an output file, read once.
  const std::vector<uint8_t>& bytes_of(const std::filesystem::path& file) {
    auto [at, fresh] = files_.try_emplace(file.string());
    if (fresh) at->second = read_bytes(file);
    return at->second;
  }

  void report(const std::string& judge, size_t checked) const {
    std::printf("[ figures  ] %s: %s judged %zu outputs of %ld faces\n", GetParam().name.c_str(),
                judge.c_str(), checked, run_.faces);
  }

  workflow_run run_;
  std::vector<uint8_t> input_;
  std::map<std::string, std::vector<uint8_t>> files_;
};

std::string trace(const workflow_output& output) {
  return output.file.filename().string() + " face " + std::to_string(output.face);
}

TEST_P(Workflow, KeepsEveryTableOutsideTheRepairsByteForByte) {
  const std::vector<face_view> inputs = faces_of(input_);
  for (const workflow_output& output : run_.outputs) {
    SCOPED_TRACE(trace(output));
    const face_view& in = inputs.at(static_cast<size_t>(output.input_face));
    const face_view out = faces_of(bytes_of(output.file)).at(static_cast<size_t>(output.face));
    EXPECT_EQ(out.version, in.version);
    EXPECT_EQ(out.search_range, in.search_range);
    EXPECT_EQ(out.entry_selector, in.entry_selector);
    EXPECT_EQ(out.range_shift, in.range_shift);
    const bool names_replaced =
        run_.mend_reports.at(static_cast<size_t>(output.input_face)).find("Found substitute") !=
        std::string::npos;
    expect_tables_kept(in, out, output.kind != output_kind::split, names_replaced);
  }
  report("the byte comparison", run_.outputs.size());
}

TEST_P(Workflow, FreeTypeReadsEveryOutputAsItsInput) {
  for (const workflow_output& output : run_.outputs) {
    SCOPED_TRACE(trace(output));
    expect_freetype_same_face(input_, output.input_face, bytes_of(output.file), output.face,
                              output.kind != output_kind::split);
  }
  report("FreeType", run_.outputs.size());
}

// Each program's output must pass wherever what it read passed. wqy-zenhei.ttc itself is
// refused (a misaligned table), while the faces facesplit lays out afresh pass, and so
// must everything made from them.
TEST_P(Workflow, OpenTypeSanitizerAcceptsEveryOutputWhoseInputItAccepts) {
  std::string missing;
  const std::string ots = find_ots_sanitize(missing);
  SKIP_UNLESS_PRESENT(missing);
  std::map<std::pair<std::string, long>, bool> accepted;
  const auto accepts = [&](const std::filesystem::path& file, long face) {
    auto [at, fresh] = accepted.try_emplace({file.string(), face}, false);
    if (fresh) at->second = ots_accepts(ots, file, face);
    return at->second;
  };
  size_t checked = 0;
  for (const workflow_output& output : run_.outputs) {
    if (!accepts(output.source, output.source_face)) continue;
    EXPECT_TRUE(accepts(output.file, output.face)) << trace(output);
    ++checked;
  }
  report("the OpenType Sanitizer", checked);
}

std::string face_arg(const std::filesystem::path& file, long face) {
  return file.string() + ":" + std::to_string(face);
}

bool about_checksums_or_lengths(std::string warning) {
  std::transform(warning.begin(), warning.end(), warning.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return warning.find("checksum") != std::string::npos ||
         warning.find("length") != std::string::npos;
}

// The output face opens and decompiles every table that the input's does, and fontTools
// warns of nothing it did not warn of for the input, and never of checksums or lengths.
void expect_no_worse(const fonttools_verdict& in, const fonttools_verdict& out) {
  if (in.open_error.empty()) {
    EXPECT_EQ(out.open_error, "");
  }
  for (const auto& [tag, verdict] : in.tables) {
    if (verdict != "ok") continue;
    const auto found = out.tables.find(tag);
    EXPECT_TRUE(found != out.tables.end() && found->second == "ok")
        << "table " << tag << ": " << (found == out.tables.end() ? "missing" : found->second);
  }
  for (const std::string& warning : out.warnings) {
    EXPECT_FALSE(about_checksums_or_lengths(warning)) << warning;
    EXPECT_EQ(in.warnings.count(warning), 1u) << "new warning: " << warning;
  }
}

TEST_P(Workflow, FontToolsDecompilesEveryOutputWithoutNewWarnings) {
  SKIP_UNLESS_PRESENT(fonttools_missing());
  std::vector<std::string> faces;
  for (long i = 0; i < run_.faces; ++i) faces.push_back(face_arg(run_.input, i));
  for (const workflow_output& output : run_.outputs)
    faces.push_back(face_arg(output.file, output.face));
  const std::map<std::string, fonttools_verdict> verdicts = fonttools_verdicts(faces);
  for (const workflow_output& output : run_.outputs) {
    SCOPED_TRACE(trace(output));
    const auto in = verdicts.find(face_arg(run_.input, output.input_face));
    const auto out = verdicts.find(face_arg(output.file, output.face));
    ASSERT_TRUE(in != verdicts.end() && out != verdicts.end()) << "fontTools did not report";
    expect_no_worse(in->second, out->second);
  }
  report("fontTools", run_.outputs.size());
}

INSTANTIATE_TEST_SUITE_P(
    RealFonts, Workflow,
    testing::Values(workflow_source{"wqy_zenhei", "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
                                    ""},
                    workflow_source{"dejavu_core", "", "fonts-dejavu-core"},
                    workflow_source{"liberation", "", "fonts-liberation"},
                    workflow_source{"ipafont_gothic", "", "fonts-ipafont-gothic"},
                    workflow_source{"vlgothic", "", "fonts-vlgothic"},
                    workflow_source{"konatu", "", "fonts-konatu"}),
    [](const testing::TestParamInfo<workflow_source>& info) { return info.param.name; });

}  // namespace
