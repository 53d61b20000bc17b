// facepack: joins single-face TrueType fonts into one collection file, one face per input
// in argument order, storing each distinct table once.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "programs/join_input.h"
#include "programs/pack_report.h"
#include "sys/input_file.h"
#include "sys/output_file.h"
#include "sys/program_run.h"
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

// Files kept free for the standard streams, the output and the input being read.
constexpr rlim_t kSpareFiles = 16;

// How many inputs may stay open until the collection is written. Each one that does leaves
// its new tables in place; past this number an input's new tables are read into memory and
// the input is closed.
size_t inputs_kept_open() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  if (limit.rlim_cur == RLIM_INFINITY) return SIZE_MAX;
  return limit.rlim_cur > kSpareFiles ? static_cast<size_t>(limit.rlim_cur - kSpareFiles) : 0;
}

// Reads one font file into a new face of `info`, sharing tables already in the pool. The
// file is kept in `inputs` when its new tables stay in it. Returns 0, or -1 after every
// problem has been reported.
int load_ttf(ttc_info& info, const std::string& path, size_t keep_open,
             std::deque<input_file>& inputs, std::vector<uint8_t>& room) {
  std::optional<input_file> opened = open_input(path);
  if (!opened) return -1;
  const bool hold = inputs.size() >= keep_open;
  input_file& file = inputs.emplace_back(std::move(*opened));
  const int status = add_font_file(info, path, file_extent{&file, 0, file.size}, hold, room);
  if (hold) {
    close_input(file);
    inputs.pop_back();
  }
  return status;
}

// Joins every input at once when they can all stay open and their tables cannot fill the
// pool: each input's directory is read and checked in turn, then the faces are added
// together, every table read once to be compared (see ttc/ttc_join.h). Returns 0, or 1
// after every problem has been reported; nothing, having closed what it opened and said
// nothing, when the inputs are to be joined one by one instead.
std::optional<int> join_at_once(ttc_info& info, const std::vector<std::string>& paths,
                                size_t keep_open, std::deque<input_file>& inputs,
                                std::vector<uint8_t>& room) {
  if (paths.size() - 1 > keep_open) return std::nullopt;
  std::vector<sfnt_face_info> faces;
  size_t tables = 0;
  for (size_t i = 1; i < paths.size(); ++i) {
    std::optional<input_file> opened = open_input(paths[i]);
    if (!opened) return 1;
    const input_file& file = inputs.emplace_back(std::move(*opened));
    std::optional<sfnt_face_info> face =
        read_font_face(paths[i], file_extent{&file, 0, file.size}, room);
    if (!face) return 1;
    tables += face->tables.size();
    if (tables > ttc_max_tables) {
      for (input_file& input : inputs) close_input(input);
      inputs.clear();
      return std::nullopt;
    }
    faces.push_back(std::move(*face));
  }
  const std::vector<std::string> face_paths(paths.begin() + 1, paths.end());
  return add_font_faces(info, face_paths, std::move(faces), room) == 0 ? 0 : 1;
}

// Whether the collection may replace what `path` names: nothing, or something other than a
// regular file, or an empty file, or a collection. Anything else is likely one of the fonts,
// named first by mistake. A symbolic link is followed, as the write follows it.
bool may_replace(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size == 0)
    return true;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  char tag[4] = {};
  const bool collection =
      fd >= 0 && ::pread(fd, tag, sizeof tag, 0) == 4 && std::memcmp(tag, "ttcf", sizeof tag) == 0;
  if (fd >= 0) ::close(fd);
  return collection;
}

// Writes the collection to `path`, replacing it only when every write succeeded.
int write_collection(const ttc_info& info, const std::string& path) {
  std::optional<output_file> out = open_output(path);
  if (!out) {
    report_create_failure(path);
    return 2;
  }
  const output_error error =
      finish_output(*out, ttc_write_to_file(info, out->stream, extent_copy::checked) >= 0);
  if (error == output_error::create) report_create_failure(path);
  if (error == output_error::write) std::fputs("write failed.\n", stderr);
  return error == output_error::none ? 0 : 2;
}

// Replaces the table-shared collection with its glyph-shared form when that saves enough,
// saying otherwise when `verbose`. Returns 0, or 1 after a failed read has been reported.
int share_glyphs(ttc_info& info, bool verbose, std::vector<uint8_t>& room) {
  glyph_share_result shared = ttc_share_glyphs(info, room);
  if (shared.outcome == glyph_share_outcome::unread) return 1;
  if (shared.info) info = std::move(*shared.info);
  if (verbose && shared.outcome == glyph_share_outcome::too_little_saved)
    std::printf("Glyphs not shared: that would save under %llu %%.\n",
                static_cast<unsigned long long>(glyph_share_min_saving));
  if (verbose && shared.outcome == glyph_share_outcome::not_laid_out)
    std::printf("Glyphs not shared: no TrueType faces whose glyphs can be laid out together.\n");
  return 0;
}

// Reads every input, then writes the collection to `paths[0]`.
int pack(const std::vector<std::string>& paths, bool verbose, bool glyphs) {
  ttc_info info;
  // Every input is read and checked before the output is opened, so a bad input leaves
  // any existing file of the output's name untouched. The inputs are never held whole: a
  // distinct table stays in its input, which stays open, and is copied when the collection
  // is written.
  const size_t keep_open = inputs_kept_open();
  std::deque<input_file> inputs;
  std::vector<uint8_t> room;
  std::optional<int> joined = join_at_once(info, paths, keep_open, inputs, room);
  int status = joined.value_or(0);
  for (size_t i = 1; !joined && i < paths.size() && status == 0; ++i) {
    if (load_ttf(info, paths[i], keep_open, inputs, room) != 0) status = 1;
  }
  if (status == 0 && glyphs) status = share_glyphs(info, verbose, room);
  if (status == 0) status = write_collection(info, paths[0]);
  if (status == 0 && verbose) print_pool_report(info, stdout);
  for (input_file& file : inputs) close_input(file);
  return status;
}

}  // namespace

static int facepack_main(int argc, char** argv) {
  const cli_scan scan = scan_command_line(argc, argv, kOptions);
  if (!scan.problems.empty()) {
    print_usage_error("facepack", scan.problems.front(), kOptionsUsage);
    return 1;
  }
  if (scan.help) {
    print_help("facepack", kOptionsUsage, kOptions);
    return 0;
  }
  if (scan.version) {
    print_version("facepack");
    return 0;
  }
  if (scan.operands.size() < 2) {
    std::fprintf(stderr, "%s\n", kUsage);
    return 1;
  }
  if (last_given(scan, "force") == nullptr && !may_replace(scan.operands[0])) {
    std::fprintf(stderr,
                 "facepack: %s exists and is not a collection: name the collection first (or use "
                 "-f to replace it)\n",
                 scan.operands[0].c_str());
    return 1;
  }
  return pack(scan.operands, last_given(scan, "verbose") != nullptr,
              last_given(scan, "share-glyphs") != nullptr);
}

int main(int argc, char** argv) {
  return run_program(facepack_main, argc, argv);
}
