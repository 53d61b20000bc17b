// The output protocol in the programs' words: an input whose content changed while the
// output was written fails the output, which never takes its name; a new name or link of
// the input is no change. An output that ran out of room is written once more when the
// program could free room, and the lack of room is said once, only when it stays.
#include "cli/program_output.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli/messages.h"
#include "support/run_tool.h"

namespace {

namespace fs = std::filesystem;

const std::vector<uint8_t> kOld = {1, 2, 3, 4};
const std::vector<uint8_t> kInput = {5, 6, 7, 8};

struct change_case {
  const char* name;
  std::function<void(const fs::path& input)> change;  // done while the output is written
  bool fails;
};

TEST(ProgramOutput, InputChangedWhileTheOutputWasWrittenFailsIt) {
  const timespec long_ago[2] = {{1, 0}, {1, 0}};
  const change_case cases[] = {
      {"same size, new bytes",
       [](const fs::path& in) {
         write_bytes(in, {9, 9, 9, 9});
       },
       true},
      {"grown",
       [](const fs::path& in) {
         write_bytes(in, {5, 6, 7, 8, 9});
       },
       true},
      {"linked and renamed",
       [](const fs::path& in) {
         fs::create_hard_link(in, in.string() + ".link");
         fs::rename(in, in.string() + ".moved");
       },
       false},
  };
  for (const change_case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path dir = make_temp_dir();
    const fs::path in = dir / "in.ttf", out = dir / "out.ttc";
    write_bytes(in, kInput);
    ::utimensat(AT_FDCWD, in.c_str(), long_ago, 0);
    write_bytes(out, kOld);
    std::optional<input_file> input = open_input(in.string(), print_io_problem);
    ASSERT_TRUE(input.has_value());
    const input_file* inputs[] = {&*input};
    testing::internal::CaptureStderr();
    const std::optional<io_problem> failure =
        write_program_output(out.string(), inputs,
                             [&](output_stream& stream) {
                               c.change(in);
                               return write_output_bytes(stream, kInput);
                             },
                             {});
    const std::string err = testing::internal::GetCapturedStderr();
    close_input(*input);
    EXPECT_EQ(failure.has_value(), c.fails);
    EXPECT_EQ(read_bytes(out), c.fails ? kOld : kInput);
    EXPECT_EQ(err, c.fails ? in.string() + ": changed since it was read\n" + out.string() +
                                 ": could not be written\n"
                           : "");
    EXPECT_EQ(list_dir(dir).size(), c.fails ? 2u : 3u);  // no temporary left
    fs::remove_all(dir);
  }
}

struct room_case {
  const char* name;
  bool through_descriptor;     // the output is /dev/fd/N, written in place
  std::vector<int> errors;     // errno of each write in turn, 0 for one that succeeds
  bool room_made;              // what the program's make_room answers
  size_t writes, rooms_asked;  // how often each was called
  const char* said;            // the failed call's line, then "could not be written"
};

TEST(ProgramOutput, OutputThatRanOutOfRoomIsWrittenOnceMoreAfterRoomIsMade) {
  const room_case cases[] = {
      {"room made", false, {ENOSPC, 0}, true, 2, 1, ""},
      {"still no room", false, {ENOSPC, ENOSPC}, true, 2, 1, "fwrite: No space left on device"},
      {"no room to make", false, {EFBIG}, false, 1, 1, "fwrite: File too large"},
      {"not a lack of room", false, {EIO}, true, 1, 0, "fwrite: Input/output error"},
      {"written in place", true, {ENOSPC}, true, 1, 0, "fwrite: No space left on device"},
  };
  for (const room_case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path dir = make_temp_dir();
    const int fd = ::open((dir / "log").c_str(), O_WRONLY | O_CREAT, 0600);
    const std::string out =
        c.through_descriptor ? "/dev/fd/" + std::to_string(fd) : (dir / "out.ttc").string();
    size_t writes = 0, rooms_asked = 0;
    testing::internal::CaptureStderr();
    const std::optional<io_problem> failure = write_program_output(
        out, {},
        [&](output_stream& stream) {
          const int error = writes < c.errors.size() ? c.errors[writes] : 0;
          ++writes;
          if (error == 0) return write_output_bytes(stream, kInput);
          return note_output_problem(stream, io_problem{io_step::write, out, error});
        },
        {}, [&] { return ++rooms_asked, c.room_made; });
    const std::string err = testing::internal::GetCapturedStderr();
    ::close(fd);
    EXPECT_EQ(writes, c.writes);
    EXPECT_EQ(rooms_asked, c.rooms_asked);
    EXPECT_EQ(failure.has_value(), *c.said != 0);
    EXPECT_EQ(err, *c.said ? std::string(c.said) + "\n" + out + ": could not be written\n" : "");
    EXPECT_EQ(list_dir(dir).size(), *c.said || c.through_descriptor ? 1u : 2u);
    fs::remove_all(dir);
  }
}

}  // namespace
