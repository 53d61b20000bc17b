// Installing: `cmake --install` into a fresh prefix, and the Debian package that cpack
// builds, unpacked into a fresh root. In both the programs must run the whole workflow from
// where they were installed and give the bytes the built programs give, the manual pages
// (compressed) must be where man looks for them and the bash completions where
// bash-completion looks for them. The Debian copyright file and changelog are the
// package's alone.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "packaging/workflow.h"
#include "support/run_tool.h"

namespace {

namespace fs = std::filesystem;

std::string read_text(const fs::path& path) {
  const std::vector<uint8_t> bytes = read_bytes(path);
  return std::string(bytes.begin(), bytes.end());
}

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = make_temp_dir(); }
  void TearDown() override { fs::remove_all(dir_); }

  // The workflow's collection made by the programs of the build.
  std::vector<uint8_t> built_collection() {
    fs::create_directory(dir_ / "built");
    return run_workflow(built_programs(), dir_ / "built").collection;
  }

  // Runs the workflow with the programs in `bin` and compares with the build's own.
  void expect_workflow_runs_from(const fs::path& bin) {
    fs::create_directory(dir_ / "installed");
    const workflow_run run = run_workflow(programs_in(bin), dir_ / "installed");
    expect_sample_repaired(run);
    EXPECT_EQ(run.collection, built_collection());
  }

  // Under `share`: the pages, found by man by name, and the bash completions, named after
  // their programs, are those of the source tree.
  void expect_pages_and_completions_in(const fs::path& share) {
    for (const std::string program : {"facemend", "facepack", "facesplit"}) {
      const tool_run where = run_tool(MAN_PATH, {"-M", share / "man", "-w", program}, dir_);
      EXPECT_EQ(where.status, 0) << where.err;
      const fs::path page = share / "man/man1" / (program + ".1.gz");
      EXPECT_EQ(where.out, page.string() + "\n");
      const tool_run page_text = run_tool(GZIP_PATH, {"-dc", page}, dir_);
      EXPECT_EQ(page_text.status, 0) << page_text.err;
      EXPECT_EQ(page_text.out, read_text(fs::path(SOURCE_DIR) / "man" / (program + ".1")));
      EXPECT_EQ(read_text(share / "bash-completion/completions" / program),
                read_text(fs::path(SOURCE_DIR) / "completion" / program));
    }
  }

  fs::path dir_;
};

bool is_executable(const fs::path& file) {
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IXOTH);
}

TEST_F(InstallTest, CmakeInstallPutsProgramsAndPagesUnderThePrefix) {
  const fs::path prefix = dir_ / "prefix";
  const tool_run install =
      run_tool(CMAKE_PATH, {"--install", BINARY_DIR, "--prefix", prefix}, dir_);
  ASSERT_EQ(install.status, 0) << install.out << install.err;
  for (const char* program : {"facemend", "facepack", "facesplit"})
    EXPECT_TRUE(is_executable(prefix / "bin" / program)) << program;
  EXPECT_TRUE(fs::exists(prefix / "share/doc/facetools/README.md"));
  EXPECT_FALSE(fs::exists(prefix / "share/doc/facetools/copyright"));
  EXPECT_FALSE(fs::exists(prefix / "share/doc/facetools/changelog.gz"));
  expect_pages_and_completions_in(prefix / "share");
  expect_workflow_runs_from(prefix / "bin");
}

TEST_F(InstallTest, DebianPackageInstallsProgramsAndPagesUnderUsr) {
  ASSERT_TRUE(fs::exists(DPKG_DEB_PATH)) << "dpkg-deb not found: it comes with dpkg";
  const tool_run cpack = run_tool(
      CPACK_PATH,
      {"-G", "DEB", "--config", fs::path(BINARY_DIR) / "CPackConfig.cmake", "-B", dir_ / "package"},
      dir_);
  ASSERT_EQ(cpack.status, 0) << cpack.out << cpack.err;
  fs::path deb;
  for (const auto& entry : fs::directory_iterator(dir_ / "package"))
    if (entry.path().extension() == ".deb") deb = entry.path();
  ASSERT_FALSE(deb.empty()) << cpack.out;

  const tool_run fields =
      run_tool(DPKG_DEB_PATH, {"-f", deb, "Package", "Version", "Section"}, dir_);
  EXPECT_EQ(fields.out, "Package: facetools\nVersion: " PROJECT_VERSION "\nSection: utils\n");
  const tool_run depends = run_tool(DPKG_DEB_PATH, {"-f", deb, "Depends"}, dir_);
  EXPECT_NE(depends.out.find("libc6"), std::string::npos) << depends.out;
  EXPECT_NE(depends.out.find(CXX_LIBRARY_PACKAGE), std::string::npos) << depends.out;

  const tool_run unpack = run_tool(DPKG_PATH, {"-x", deb, dir_ / "root"}, dir_);
  ASSERT_EQ(unpack.status, 0) << unpack.err;
  for (const char* program : {"facemend", "facepack", "facesplit"})
    EXPECT_TRUE(is_executable(dir_ / "root/usr/bin" / program)) << program;
  for (const char* document : {"README.md", "copyright", "changelog.gz"})
    EXPECT_TRUE(fs::exists(dir_ / "root/usr/share/doc/facetools" / document)) << document;
  expect_pages_and_completions_in(dir_ / "root/usr/share");
  expect_workflow_runs_from(dir_ / "root/usr/bin");
}

}  // namespace
