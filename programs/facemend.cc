// facemend: repairs old Japanese TrueType fonts (cmap, name, post and head passes): one
// single-face font, written to a second file that may be the input itself, or every face
// of a collection, written as a collection. With --check it only reports.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "fixer/collection_repair.h"
#include "fixer/face_file.h"
#include "fixer/face_repair.h"
#include "programs/mend_report.h"
#include "sys/output_file.h"
#include "sys/program_run.h"
#include "sys/scratch_file.h"
#include "ttc/ttc_writer.h"

namespace {

constexpr unsigned kOptionHead = 1u << 0;  // "--head": accepted, but nothing reads it yet

struct facemend_args {
  std::vector<std::string> files;
  bool check = false;
  bool help = false;
  bool version = false;
  unsigned options = 0;
};

// Arguments that begin with '-' are options until "--"; facemend skips the options it does
// not know. Every other argument is a file.
facemend_args parse_args(int argc, char** argv) {
  facemend_args args;
  bool options_end = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (options_end || arg.empty() || arg[0] != '-') {
      args.files.push_back(arg);
    } else if (arg == "--") {
      options_end = true;
    } else {
      args.check |= arg == "--check";
      args.help |= arg == "--help";
      args.version |= arg == "--version";
      if (arg == "--head") args.options |= kOptionHead;
    }
  }
  return args;
}

const char kHelp[] =
    "usage: facemend [options] from to\n"
    "       facemend --check from\n"
    "Repairs old Japanese TrueType fonts: Shift-JIS Macintosh names, a Macintosh Roman\n"
    "character map of 256 codes, a false monospaced mark and head flag bit 1. A collection\n"
    "(.ttc) is repaired face by face and written as a collection.\n"
    "\n"
    "  --check    run the repair and report it, write nothing; exit status 3 when a repair\n"
    "             would change something\n"
    "  --head     accepted and ignored\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "  --         end of options: the arguments after it are files\n"
    "\n"
    "See man facemend for the messages and exit statuses.\n";

// The last line of a check: which tables a repair would change. 3 when any, else 0.
int report_check(const mended_tables& changed) {
  std::string line;
  for (size_t t = 0; t < kMendedTables.size(); ++t)
    if (changed[t]) line += std::string(" ") + kMendedTables[t];
  if (line.empty()) {
    std::fputs("Nothing to change.\n", stdout);
    return 0;
  }
  std::printf("Would change:%s\n", line.c_str());
  return 3;
}

// Writes the repaired collection, copying its unchanged tables from `from`; a collection
// that changed meanwhile fails the write (status 2).
int write_collection(const std::string& path, const ttc_info& info, const input_file& from) {
  std::optional<output_file> out = open_output(path);
  if (!out) {
    report_create_failure(path);
    return 2;
  }
  bool written = ttc_write_to_file(info, out->stream, extent_copy::kernel) >= 0;
  if (written && !input_unchanged(from)) {
    std::fprintf(stderr, "%s: changed since it was read\n", from.name.c_str());
    written = false;
  }
  const output_error error = finish_output(*out, written);
  if (error == output_error::create) report_create_failure(path);
  return error == output_error::none ? 0 : 2;
}

// Repairs every face of a collection; writes the repaired collection unless checking.
int mend_collection(const facemend_args& args, const input_file& file) {
  mended_tables changed{};
  std::optional<input_file> scratch;
  if (!args.check) scratch = open_scratch_file(args.files[1]);
  mend_text_report report;
  const collection_repair result = repair_collection(
      file.name, file_extent{&file, 0, file.size}, changed, report, scratch ? &*scratch : nullptr);
  int status = result.status;
  if (status == 0 && args.check) status = report_check(changed);
  if (status == 0 && !args.check) {
    std::fflush(stdout);
    status = write_collection(args.files[1], result.repaired, file);
  }
  if (scratch) close_input(*scratch);
  return status;
}

// Repairs a single font; writes it unless checking.
int mend_single(const facemend_args& args, const input_file& file) {
  const std::optional<std::vector<uint8_t>> bytes = load_single_font(file);
  if (!bytes) return 1;
  std::string error;
  std::optional<sfnt_face_info> face = parse_sfnt_face_info(*bytes, error);
  if (!face) {
    std::fputs(error.c_str(), stderr);
    return 1;
  }
  const sfnt_face_info before = *face;
  mend_text_report report;
  if (const int status = repair_face(*face, report); status != 0) return status;
  if (args.check) {
    mended_tables changed{};
    note_changes(before, *face, changed);
    return report_check(changed);
  }
  std::fflush(stdout);
  return write_sfnt_face(args.files[1], *face) == sfnt_write_status::written ? 0 : 2;
}

int run(const facemend_args& args) {
  std::optional<mend_input> input = open_mend_input(args.files[0]);
  if (!input) return 1;
  const int status =
      input->collection ? mend_collection(args, input->file) : mend_single(args, input->file);
  close_input(input->file);
  return status;
}

}  // namespace

static int facemend_main(int argc, char** argv) {
  const facemend_args args = parse_args(argc, argv);
  if (args.help) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (args.version) {
    print_version("facemend");
    return 0;
  }
  if (args.files.size() != (args.check ? 1u : 2u)) {
    const char* program = argc > 0 ? argv[0] : "facemend";
    std::printf(args.check ? "usage: %s --check from\n" : "usage: %s from to\n", program);
    return 1;
  }
  return run(args);
}

int main(int argc, char** argv) {
  return run_program(facemend_main, argc, argv);
}
