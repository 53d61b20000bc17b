#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>

#include "cli/messages.h"
#include "cli/program_run.h"
#include "support/run_tool.h"
#include "sys/output_file.h"
#include "sys/platform_config.h"

namespace {

namespace fs = std::filesystem;

struct temp_choice {
  const char* name;
  temp_kind kind;
};

// Every rule holds for the unnamed new file and for the named one of systems without.
constexpr temp_choice kTempKinds[] = {{"unnamed", temp_kind::unnamed_first},
                                      {"named", temp_kind::named}};

const std::vector<uint8_t> kOld = {1, 2, 3};
const std::vector<uint8_t> kNew = {9, 8, 7, 6};

// Writes kNew to `path` and commits it.
bool write_new(const std::string& path, temp_kind kind) {
  std::optional<output_file> out = open_output_with(path, kind).file;
  return out && write_output_bytes(out->stream, kNew) && !commit_output(*out);
}

struct stat stat_of(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

// Runs `work` in a child process as `uid` (with that number as its only group too, for a
// user other than root) and says whether it succeeded.
bool run_as(uid_t uid, const std::function<bool()>& work) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    bool ok = true;
    if (uid != 0)
      ok = ::setgroups(0, nullptr) == 0 && ::setgid(uid) == 0 && ::setuid(uid) == 0 &&
           ::prctl(PR_SET_DUMPABLE, 1) == 0;  // keeps /proc/self/fd its own, as for any user
    ::_exit(ok && work() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class OutputFile : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = make_temp_dir(); }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST_F(OutputFile, GetsItsModeOnlyWhenComplete) {
  struct mode_case {
    const char* name;
    int old_mode;  // -1: no file yet
    mode_t umask;
    mode_t expected;
  };
  const mode_case cases[] = {{"replaced file's mode", 0640, 022, 0640},
                             {"replaced file's mode, not the umask", 0604, 077, 0604},
                             {"new file, umask 022", -1, 022, 0644},
                             {"new file, umask 027", -1, 027, 0640}};
  for (const mode_case& c : cases) {
    for (const temp_choice& t : kTempKinds) {
      SCOPED_TRACE(std::string(c.name) + ", " + t.name);
      fs::remove(path("out"));
      if (c.old_mode >= 0) {
        write_bytes(path("out"), kOld);
        ASSERT_EQ(::chmod(path("out").c_str(), static_cast<mode_t>(c.old_mode)), 0);
      }
      const mode_t old_mask = ::umask(c.umask);
      std::optional<output_file> out = open_output_with(path("out"), t.kind).file;
      ::umask(old_mask);
      ASSERT_TRUE(out.has_value());
      ASSERT_TRUE(write_output_bytes(out->stream, kNew));
      struct stat unfinished {};
      ASSERT_EQ(::fstat(out->temp.fd, &unfinished), 0);
      EXPECT_EQ(unfinished.st_mode & 07777, 0600u);
      EXPECT_EQ(fs::exists(path("out")), c.old_mode >= 0);
      if (c.old_mode >= 0) {
        EXPECT_EQ(read_bytes(path("out")), kOld);
      }
      EXPECT_FALSE(commit_output(*out).has_value());
      EXPECT_EQ(read_bytes(path("out")), kNew);
      EXPECT_EQ(stat_of(path("out")).st_mode & 07777, c.expected);
      EXPECT_EQ(list_dir(dir_), (std::vector<std::string>{"out"}));
    }
  }
}

TEST_F(OutputFile, KeepsOwnerAndGroupWhereAllowedAndSpecialBitsOnlyWithThem) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to own files for other users";
  constexpr uid_t kNobody = 65534;
  struct owner_case {
    const char* name;
    uid_t old_owner;  // also the old group
    uid_t writer;
    uid_t expected_owner;  // also the expected group
    mode_t expected_mode;
  };
  const owner_case cases[] = {
      {"root replaces another user's file", kNobody, 0, kNobody, 06755},
      {"a user replaces root's file", 0, kNobody, kNobody, 0755},
  };
  ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0);
  for (const owner_case& c : cases) {
    for (const temp_choice& t : kTempKinds) {
      SCOPED_TRACE(std::string(c.name) + ", " + t.name);
      write_bytes(path("out"), kOld);
      ASSERT_EQ(::chown(path("out").c_str(), c.old_owner, c.old_owner), 0);
      ASSERT_EQ(::chmod(path("out").c_str(), 06755), 0);
      EXPECT_TRUE(run_as(c.writer, [&] { return write_new(path("out"), t.kind); }));
      const struct stat st = stat_of(path("out"));
      EXPECT_EQ(st.st_uid, c.expected_owner);
      EXPECT_EQ(st.st_gid, c.expected_owner);
      EXPECT_EQ(st.st_mode & 07777, c.expected_mode);
      EXPECT_EQ(read_bytes(path("out")), kNew);
      EXPECT_EQ(list_dir(dir_), (std::vector<std::string>{"out"}));
    }
  }
}

// An access ACL as the kernel stores it (version 2, then tag, permissions and id of each
// entry, little-endian): the owner may read and write, the user `reader` may read, the
// owning group and others nothing; the mask (read) shows as the file's group bits.
std::vector<char> reader_acl(uint32_t reader) {
  const uint32_t entries[][3] = {{0x01, 6, 0xFFFFFFFF},
                                 {0x02, 4, reader},
                                 {0x04, 0, 0xFFFFFFFF},
                                 {0x10, 4, 0xFFFFFFFF},
                                 {0x20, 0, 0xFFFFFFFF}};
  std::vector<char> acl = {2, 0, 0, 0};
  for (const auto& [tag, perm, id] : entries) {
    for (const uint32_t field : {tag, perm}) acl.insert(acl.end(), {char(field), char(field >> 8)});
    for (int shift = 0; shift < 32; shift += 8) acl.push_back(char(id >> shift));
  }
  return acl;
}

std::vector<char> attribute(const std::string& path, const char* name) {
  std::vector<char> value(256);
  const ssize_t size = ::getxattr(path.c_str(), name, value.data(), value.size());
  value.resize(size < 0 ? 0 : static_cast<size_t>(size));
  return value;
}

TEST_F(OutputFile, ReplacedFileKeepsExtendedAttributesAndAcl) {
  if (!FACETOOLS_HAVE_XATTR) GTEST_SKIP() << "built without extended attributes";
  const std::vector<char> origin = {'t', 'e', 's', 't'};
  const std::vector<char> acl = reader_acl(65534);
  for (const temp_choice& t : kTempKinds) {
    SCOPED_TRACE(t.name);
    write_bytes(path("out"), kOld);
    ASSERT_EQ(::chmod(path("out").c_str(), 0600), 0);
    if (::setxattr(path("out").c_str(), "user.origin", origin.data(), origin.size(), 0) != 0) {
      ASSERT_EQ(errno, ENOTSUP);
      GTEST_SKIP() << "no user attributes on " << dir_;
    }
    const bool acls =
        ::setxattr(path("out").c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
    ASSERT_TRUE(write_new(path("out"), t.kind));
    EXPECT_EQ(attribute(path("out"), "user.origin"), origin);
    if (acls) {
      EXPECT_EQ(attribute(path("out"), "system.posix_acl_access"), acl);
      EXPECT_EQ(stat_of(path("out")).st_mode & 07777, 0640u);
    }
  }
}

// Without /proc (a container or chroot that does not mount it) a user of a kernel before
// 6.10 cannot give an unnamed file a name, and the output would fail at the end: the
// output is written through a named file from the start instead.
TEST_F(OutputFile, UserWithoutProcWritesThroughANamedFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to hide /proc from a user";
  constexpr uid_t kNobody = 65534;
  ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0);
  const auto write_through_named = [&] {
    std::optional<output_file> out = open_output_with(path("out"), temp_kind::unnamed_first).file;
    const bool named = out && list_dir(dir_).size() == 1;
    return named && write_output_bytes(out->stream, kNew) && !commit_output(*out);
  };
  const pid_t pid = ::fork();
  if (pid == 0) {
    const bool hidden = ::unshare(CLONE_NEWNS) == 0 &&
                        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                        ::mount("none", "/proc", "tmpfs", 0, nullptr) == 0;
    if (!hidden) ::_exit(2);
    ::_exit(run_as(kNobody, write_through_named) ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "cannot mount in a namespace of its own";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(read_bytes(path("out")), kNew);
  EXPECT_EQ(list_dir(dir_), (std::vector<std::string>{"out"}));
}

TEST_F(OutputFile, SpecialFileIsWrittenInPlace) {
  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  struct special_case {
    const char* name;
    std::string path;
    bool needs_root;
  };
  const special_case cases[] = {
      {"pipe behind a link in /proc", "/proc/self/fd/" + std::to_string(pipe_fds[1]), false},
      {"device", path("null"), true},
  };
  for (const special_case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needs_root && ::geteuid() != 0) continue;
    if (c.needs_root) {
      ASSERT_EQ(::mknod(c.path.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    }
    const struct stat before = stat_of(c.path);
    std::optional<output_file> out = open_output(c.path).file;
    ASSERT_TRUE(out.has_value());
    ASSERT_TRUE(write_output_bytes(out->stream, kNew));
    EXPECT_FALSE(commit_output(*out).has_value());
    const struct stat after = stat_of(c.path);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
  }
  std::vector<uint8_t> piped(kNew.size());
  EXPECT_EQ(::read(pipe_fds[0], piped.data(), piped.size()), static_cast<ssize_t>(kNew.size()));
  EXPECT_EQ(piped, kNew);
  ::close(pipe_fds[0]);
  ::close(pipe_fds[1]);
}

TEST_F(OutputFile, SymbolicLinkStaysALinkAndItsFileIsReplaced) {
  struct link_case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> links;  // name, target ('@' = folder)
    std::string file;                                        // where the bytes end up
    bool file_exists;
  };
  const link_case cases[] = {
      {"link beside its file", {{"out", "real"}}, "real", true},
      {"link into another folder", {{"out", "sub/real"}}, "sub/real", true},
      {"absolute link", {{"out", "@/sub/real"}}, "sub/real", true},
      {"link to a link", {{"out", "hop"}, {"hop", "sub/real"}}, "sub/real", true},
      {"dangling link", {{"out", "sub/new"}}, "sub/new", false},
  };
  for (const link_case& c : cases) {
    for (const temp_choice& t : kTempKinds) {
      SCOPED_TRACE(std::string(c.name) + ", " + t.name);
      fs::remove_all(dir_);
      fs::create_directories(dir_ / "sub");
      if (c.file_exists) write_bytes(dir_ / c.file, kOld);
      std::vector<std::string> names = {"sub"};
      for (const auto& [name, target] : c.links) {
        const std::string stored =
            target.starts_with('@') ? dir_.string() + target.substr(1) : target;
        fs::create_symlink(stored, dir_ / name);
        names.push_back(name);
      }
      if (!c.file.starts_with("sub/")) names.push_back(c.file);
      ASSERT_TRUE(write_new(path("out"), t.kind));
      EXPECT_EQ(read_bytes(dir_ / c.file), kNew);
      for (const auto& [name, target] : c.links) EXPECT_TRUE(fs::is_symlink(dir_ / name)) << name;
      std::sort(names.begin(), names.end());
      EXPECT_EQ(list_dir(dir_), names);
      if (c.file.starts_with("sub/")) {
        EXPECT_EQ(list_dir(dir_ / "sub"), (std::vector<std::string>{c.file.substr(4)}));
      }
    }
  }
}

TEST_F(OutputFile, DiscardLeavesTheFolderAsItWas) {
  for (const bool had_file : {true, false}) {
    for (const temp_choice& t : kTempKinds) {
      SCOPED_TRACE(std::string(had_file ? "old file, " : "no file, ") + t.name);
      fs::remove(path("out"));
      if (had_file) write_bytes(path("out"), kOld);
      std::optional<output_file> out = open_output_with(path("out"), t.kind).file;
      ASSERT_TRUE(out.has_value());
      write_output_bytes(out->stream, kNew);
      discard_output(*out);
      EXPECT_EQ(list_dir(dir_),
                had_file ? std::vector<std::string>{"out"} : std::vector<std::string>{});
      if (had_file) {
        EXPECT_EQ(read_bytes(path("out")), kOld);
      }
    }
  }
}

TEST_F(OutputFile, NamesOfAnyLengthCanBeWritten) {
  const std::string name(250, 'n');
  for (const temp_choice& t : kTempKinds) {
    SCOPED_TRACE(t.name);
    fs::remove(path(name));
    ASSERT_TRUE(write_new(path(name), t.kind));  // created
    write_bytes(path(name), kOld);
    ASSERT_TRUE(write_new(path(name), t.kind));  // replaced
    EXPECT_EQ(read_bytes(path(name)), kNew);
    EXPECT_EQ(list_dir(dir_), (std::vector<std::string>{name}));
  }
}

TEST_F(OutputFile, InterruptingSignalsRemoveTheNamedFileAndEndTheProcess) {
  write_bytes(path("out"), kOld);
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal_number);
    EXPECT_EXIT(
        {
          std::optional<output_file> out = open_output_with(path("out"), temp_kind::named).file;
          if (out && write_output_bytes(out->stream, kNew)) ::raise(signal_number);
          ::_exit(0);
        },
        testing::KilledBySignal(signal_number), "");
    EXPECT_EQ(list_dir(dir_), (std::vector<std::string>{"out"}));
    EXPECT_EQ(read_bytes(path("out")), kOld);
  }
}

// What the program below writes: 64 KiB to `path` with a new file of `kind`.
struct big_write {
  std::string path;
  temp_kind kind = temp_kind::named;
};
big_write g_big_write;

exit_status write_big_output(int, char**) {
  std::optional<output_file> out = open_output_with(g_big_write.path, g_big_write.kind).file;
  if (!out) return exit_status::refused;
  const std::vector<uint8_t> bytes(64 * 1024, 'x');
  std::optional<io_problem> failure;
  if (!write_output_bytes(out->stream, bytes)) failure = out->stream.problem;
  if (failure) print_io_problem(*failure);
  return finish_output(*out, failure) || failure ? exit_status::failed : exit_status::success;
}

// Past the size the process may write, the write fails (EFBIG) instead of SIGXFSZ ending the
// process, and the unfinished file is removed as on any failure.
TEST_F(OutputFile, FileSizeLimitFailsTheWriteAndLeavesNothing) {
  write_bytes(path("out"), kOld);
  g_big_write.path = path("out");
  for (const temp_choice& t : kTempKinds) {
    SCOPED_TRACE(t.name);
    g_big_write.kind = t.kind;
    EXPECT_EXIT(
        {
          rlimit limit{};
          limit.rlim_cur = limit.rlim_max = 16 * 1024;
          ::setrlimit(RLIMIT_FSIZE, &limit);
          std::signal(SIGXFSZ, SIG_DFL);
          ::_exit(run_program(write_big_output, 0, nullptr));
        },
        testing::ExitedWithCode(2), "File too large\n");
    EXPECT_EQ(list_dir(dir_), (std::vector<std::string>{"out"}));
    EXPECT_EQ(read_bytes(path("out")), kOld);
  }
}

}  // namespace
