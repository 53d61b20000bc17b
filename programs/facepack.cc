// facepack: joins single-face TrueType fonts into one collection file, one face per input
// in argument order, storing each distinct table once.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/exit_status.h"
#include "cli/messages.h"
#include "cli/program_output.h"
#include "cli/program_run.h"
#include "programs/join_input.h"
#include "programs/pack_report.h"
#include "programs/write_messages.h"
#include "sfnt/font_file.h"
#include "sys/input_file.h"
#include "sys/open_files.h"
#include "ttc/glyph_share.h"
#include "ttc/ttc_model.h"
#include "ttc/ttc_writer.h"

namespace {

const char kUsage[] = "usage: facepack ttcfile ttffile [ttffile ...]";
const char kOptionsUsage[] = "usage: facepack [options] ttcfile ttffile [ttffile ...]";

constexpr cli_option kOptions[] = {
    {'f', "force", "", "Replace ttcfile even when it is not a collection."},
    {'v', "verbose", "", "After writing, list the stored tables and the bytes saved."},
    {0, "share-glyphs", "", "Store each glyph once; every face keeps its glyph IDs."},
};

// Files kept free for the output, its folder and the input being read.
constexpr size_t kSpareFiles = 16;

// How many inputs may stay open until the collection is written. Each one that does leaves
// its new tables in place; past this number an input's new tables are read into memory and
// the input is closed. Descriptors the program inherited count against its limit too.
size_t inputs_kept_open() {
  const size_t left = files_left_to_open();
  return left > kSpareFiles ? left - kSpareFiles : 0;
}

void close_inputs(std::deque<input_file>& inputs) {
  for (input_file& input : inputs) close_input(input);
  inputs.clear();
}

// Reads one font file into a new face of `info`, sharing tables already in the pool. The
// file is kept in `inputs` when its new tables stay in it. False after every problem has
// been reported.
bool load_ttf(ttc_info& info, const std::string& path, size_t keep_open,
              std::deque<input_file>& inputs, std::vector<uint8_t>& room) {
  std::optional<input_file> opened = open_input(path, print_io_problem);
  if (!opened) return false;
  const bool hold = inputs.size() >= keep_open;
  input_file& file = inputs.emplace_back(std::move(*opened));
  const int status = add_font_file(info, path, file_extent{&file, 0, file.size}, hold, room);
  if (hold) {
    close_input(file);
    inputs.pop_back();
  }
  return status == 0;
}

// Joins every input at once when they can all stay open and their tables cannot fill the
// pool: each input's directory is read and checked in turn, then the faces are added
// together, every table read once to be compared (see ttc/ttc_join.h). Returns success,
// or refused after every problem has been reported; nothing, having closed what it opened
// and said nothing, when the inputs are to be joined one by one instead.
std::optional<exit_status> join_at_once(ttc_info& info, const std::vector<std::string>& paths,
                                        size_t keep_open, std::deque<input_file>& inputs,
                                        std::vector<uint8_t>& room) {
  if (paths.size() - 1 > keep_open) return std::nullopt;
  std::vector<sfnt_face_info> faces;
  size_t tables = 0;
  for (size_t i = 1; i < paths.size(); ++i) {
    if (!descriptor_available()) {
      close_inputs(inputs);
      return std::nullopt;
    }
    std::optional<input_file> opened = open_input(paths[i], print_io_problem);
    if (!opened) return exit_status::refused;
    const input_file& file = inputs.emplace_back(std::move(*opened));
    std::optional<sfnt_face_info> face = read_font_face(paths[i], file_extent{&file, 0, file.size});
    if (!face) return exit_status::refused;
    tables += face->tables.size();
    if (tables > ttc_max_tables) {
      close_inputs(inputs);
      return std::nullopt;
    }
    faces.push_back(std::move(*face));
  }
  const std::vector<std::string> face_paths(paths.begin() + 1, paths.end());
  const bool added = add_font_faces(info, face_paths, std::move(faces), room) == 0;
  return added ? exit_status::success : exit_status::refused;
}

// Joins the inputs one by one, the first `keep_open` of them staying open. Returns success,
// or refused after every problem has been reported; nothing, having closed what it opened
// and said nothing, when an input to stay open finds no descriptor left, the system having
// fewer to give than the limit said (files open system-wide, a count gone stale).
std::optional<exit_status> join_one_by_one(ttc_info& info, const std::vector<std::string>& paths,
                                           size_t keep_open, std::deque<input_file>& inputs,
                                           std::vector<uint8_t>& room) {
  for (size_t i = 1; i < paths.size(); ++i) {
    if (inputs.size() < keep_open && !descriptor_available()) {
      close_inputs(inputs);
      return std::nullopt;
    }
    if (!load_ttf(info, paths[i], keep_open, inputs, room)) return exit_status::refused;
  }
  return exit_status::success;
}

// Whether the collection may replace what `path` names: nothing, or something other than a
// regular file, or an empty file, or a collection. Anything else is likely one of the fonts,
// named first by mistake. A symbolic link is followed, as the write follows it.
bool may_replace(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size == 0)
    return true;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  uint8_t tag[4] = {};
  const bool collection = fd >= 0 && ::pread(fd, tag, sizeof tag, 0) == 4 && starts_collection(tag);
  if (fd >= 0) ::close(fd);
  return collection;
}

// Writes the collection to `path`, replacing it only when every write succeeded and no
// input that its tables are copied from changed meanwhile.
exit_status write_collection(const ttc_info& info, const std::string& path,
                             const std::deque<input_file>& inputs) {
  std::vector<const input_file*> open_inputs;
  for (const input_file& input : inputs) open_inputs.push_back(&input);
  const output_words words{create_words::fopen, "write failed."};
  const std::optional<io_problem> failure = write_program_output(
      path, open_inputs,
      [&](output_stream& stream) {
        bool too_large = false;
        const bool written = ttc_write_to_file(info, stream, extent_copy::checked, &too_large) >= 0;
        if (too_large) print_too_large_output();
        return written;
      },
      words);
  return failure ? exit_status::failed : exit_status::success;
}

// Replaces the table-shared collection with its glyph-shared form when that saves enough,
// saying otherwise when `verbose`. Refused after a failed read has been reported.
exit_status share_glyphs(ttc_info& info, bool verbose, std::vector<uint8_t>& room) {
  glyph_share_result shared = ttc_share_glyphs(info, room);
  if (shared.outcome == glyph_share_outcome::unread) return exit_status::refused;
  if (shared.info) info = std::move(*shared.info);
  if (verbose && shared.outcome == glyph_share_outcome::too_little_saved)
    say(report_to::standard_output, "Glyphs not shared: that would save under " +
                                        std::to_string(glyph_share_min_saving) + " %.\n");
  if (verbose && shared.outcome == glyph_share_outcome::not_laid_out)
    say(report_to::standard_output,
        "Glyphs not shared: no TrueType faces whose glyphs can be laid out together.\n");
  return exit_status::success;
}

// Reads every input, then writes the collection to `paths[0]`.
exit_status pack(const std::vector<std::string>& paths, bool verbose, bool glyphs) {
  ttc_info info;
  // Every input is read and checked before the output is opened, so a bad input leaves
  // any existing file of the output's name untouched. The inputs are never held whole: a
  // distinct table stays in its input, which stays open, and is copied when the collection
  // is written.
  const size_t keep_open = inputs_kept_open();
  std::deque<input_file> inputs;
  std::vector<uint8_t> room;
  std::optional<exit_status> joined = join_at_once(info, paths, keep_open, inputs, room);
  if (!joined) joined = join_one_by_one(info, paths, keep_open, inputs, room);
  if (!joined) {
    // Begun afresh with one input open at a time: one descriptor is all it takes, and an
    // open that still fails is the system's refusal, reported as such.
    info = ttc_info{};
    joined = join_one_by_one(info, paths, 0, inputs, room);
  }
  exit_status status = *joined;
  if (status == exit_status::success && glyphs) status = share_glyphs(info, verbose, room);
  if (status == exit_status::success) status = write_collection(info, paths[0], inputs);
  if (status == exit_status::success && verbose)
    say(report_for_output(paths[0]), pool_report(info));
  for (input_file& file : inputs) close_input(file);
  return status;
}

}  // namespace

static exit_status facepack_main(int argc, char** argv) {
  const cli_scan scan = scan_command_line(argc, argv, kOptions);
  if (!scan.problems.empty()) {
    print_usage_error("facepack", scan.problems.front(), kOptionsUsage);
    return exit_status::refused;
  }
  if (scan.help) {
    print_help("facepack", kOptionsUsage, kOptions);
    return exit_status::success;
  }
  if (scan.version) {
    print_version("facepack");
    return exit_status::success;
  }
  if (scan.operands.size() < 2) {
    say_problem(std::string(kUsage) + "\n");
    return exit_status::refused;
  }
  if (last_given(scan, "force") == nullptr && !may_replace(scan.operands[0])) {
    say_problem("facepack: " + scan.operands[0] +
                " exists and is not a collection: name the collection first (or use -f to "
                "replace it)\n");
    return exit_status::refused;
  }
  return pack(scan.operands, last_given(scan, "verbose") != nullptr,
              last_given(scan, "share-glyphs") != nullptr);
}

int main(int argc, char** argv) {
  return run_program(facepack_main, argc, argv);
}
