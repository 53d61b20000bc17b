// The manual pages: they render without a warning, have the sections a user looks for, and
// list every message that their program's sources can print.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "packaging/message_catalog.h"
#include "support/run_tool.h"

namespace {

namespace fs = std::filesystem;

struct page {
  std::string program;
  std::vector<std::string> sources;  // relative to the source tree; a folder means its .cc files
  // Texts of those sources that this program cannot print, each with the reason.
  std::set<std::string> not_printed;
};

const std::vector<page>& pages() {
  static const std::vector<page> all = {
      {"facemend",
       {"cli/messages.cc", "cli/program_output.cc", "cli/program_run.cc", "sys/scratch_file.cc",
        "sfnt/sfnt_directory.cc", "ttc/ttc_reader.cc", "ttc/ttc_writer.cc", "fixer",
        "programs/facemend.cc", "programs/mend_input.cc", "programs/collection_messages.cc",
        "programs/write_messages.cc", "programs/mend_report.cc", "programs/mend_command.cc",
        "programs/mend_check.cc", "programs/mend_files.cc", "programs/mend_json.cc",
        "programs/mend_signs.cc", "cli/command_line.cc"},
       // Inputs shorter than an offset table are refused before the directory is read; no
       // option of facemend takes a value.
       {"offset table runs past the end of the file", "' needs a value"}},
      {"facepack",
       {"cli/messages.cc", "cli/program_output.cc", "cli/program_run.cc", "sfnt/sfnt_directory.cc",
        "ttc/ttc_writer.cc", "programs/facepack.cc", "programs/join_input.cc",
        "cli/command_line.cc", "programs/pack_report.cc", "programs/pool_usage.cc",
        "programs/write_messages.cc"},
       // No option of facepack takes a value.
       {"' needs a value"}},
      {"facesplit",
       {"cli/messages.cc", "cli/program_output.cc", "cli/program_run.cc", "sfnt/sfnt_directory.cc",
        "ttc/ttc_reader.cc", "ttc/ttc_writer.cc", "programs/facesplit.cc", "cli/command_line.cc",
        "programs/split_command.cc", "programs/face_list.cc", "programs/face_names.cc",
        "programs/pool_usage.cc", "programs/collection_messages.cc", "programs/write_messages.cc",
        "programs/split_listing.cc"},
       // The collection is never loaded whole, and faces are written straight from it; a
       // face file that cannot be created is named in facesplit's own words.
       {"could not be held in memory", "could not be created"}},
  };
  return all;
}

std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> source_files(const std::string& entry) {
  const fs::path path = fs::path(SOURCE_DIR) / entry;
  if (!fs::is_directory(path)) return {path};
  std::vector<fs::path> files;
  for (const auto& file : fs::directory_iterator(path))
    if (file.path().extension() == ".cc") files.push_back(file.path());
  return files;
}

fs::path page_path(const std::string& program) {
  return fs::path(SOURCE_DIR) / "man" / (program + ".1");
}

// The page as plain text in lines long enough that no message is broken or hyphenated.
std::string render_flat(const std::string& program) {
  const tool_run run = run_tool(
      GROFF_PATH, {"-man", "-Tutf8", "-P-cbou", "-rLL=2000n", "-rHY=0", page_path(program)},
      fs::temp_directory_path());
  EXPECT_EQ(run.status, 0) << run.err;
  return normalize_text(run.out);
}

TEST(ManPages, RenderWithoutWarningsAndHaveTheUsualSections) {
  ASSERT_TRUE(fs::exists(GROFF_PATH)) << "groff not found: .ci/run installs groff-base";
  ASSERT_TRUE(fs::exists(MAN_PATH)) << "man not found: .ci/run installs man-db";
  for (const page& p : pages()) {
    SCOPED_TRACE(p.program);
    const std::string file = page_path(p.program);
    EXPECT_NE(read_text(file).find("\"facetools " PROJECT_VERSION "\""), std::string::npos)
        << "the header line should name the project's version";
    const tool_run groff =
        run_tool(GROFF_PATH, {"-man", "-Tutf8", "-ww", "-z", file}, fs::temp_directory_path());
    EXPECT_EQ(groff.status, 0);
    EXPECT_EQ(groff.err, "");
    const tool_run man =
        run_tool(MAN_PATH, {"--warnings", "-E", "UTF-8", "-l", file}, fs::temp_directory_path());
    EXPECT_EQ(man.status, 0);
    EXPECT_EQ(man.err, "");
    for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "DIAGNOSTICS", "EXIT STATUS",
                                "FILES", "EXAMPLES", "WORKFLOW", "SEE ALSO"})
      EXPECT_NE(man.out.find("\n" + std::string(section) + "\n"), std::string::npos) << section;
  }
}

TEST(ManPages, ListEveryMessageTheirProgramCanPrint) {
  ASSERT_TRUE(fs::exists(GROFF_PATH)) << "groff not found: .ci/run installs groff-base";
  std::set<fs::path> covered;
  for (const page& p : pages()) {
    SCOPED_TRACE(p.program);
    const std::string text = render_flat(p.program);
    for (const std::string& entry : p.sources) {
      const std::vector<fs::path> files = source_files(entry);
      ASSERT_FALSE(files.empty()) << entry << " is gone: say where its messages went";
      for (const fs::path& file : files) {
        ASSERT_TRUE(fs::exists(file)) << file << " is gone: say where its messages went";
        covered.insert(file);
        for (const std::string& message : message_fragments(read_text(file))) {
          if (p.not_printed.count(message) != 0) continue;
          EXPECT_NE(text.find(message), std::string::npos)
              << "man/" << p.program << ".1 does not show \"" << message << "\" of " << file;
        }
      }
    }
  }
  // A source file with messages that no page above accounts for is a gap in the manuals.
  for (const char* folder : {"sys", "sfnt", "ttc", "fixer", "cli", "programs"}) {
    for (const fs::path& file : source_files(folder)) {
      if (covered.count(file) != 0) continue;
      EXPECT_TRUE(message_fragments(read_text(file)).empty())
          << file << " prints messages: list it above with the programs that print them";
    }
  }
}

TEST(ManPages, MessageFragmentsFollowTheSourceText) {
  const std::string source = R"(
    // std::fputs("a comment is not a message\n", stderr);
    const char quote = '"';
    std::perror("fopen");
    std::printf("  `%s' table is too short (%zu bytes); left unchanged.\n", tag, size);
    error = "This is a font collection, not a single font: split it with "
            "facesplit first.\n";
    open("rb"); std::printf("%s: %s\n", a, b);
  )";
  EXPECT_EQ(message_fragments(source),
            (std::vector<std::string>{
                "fopen:", "' table is too short (", "bytes); left unchanged.",
                "This is a font collection, not a single font: split it with facesplit first."}));
}

}  // namespace
