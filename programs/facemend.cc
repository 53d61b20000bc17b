// facemend: repairs old Japanese TrueType fonts (cmap, name, post and head passes): one
// single-face font, written to a second file that may be the input itself, or every face
// of a collection, written as a collection. With --check it only reports.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/exit_status.h"
#include "cli/messages.h"
#include "cli/program_output.h"
#include "cli/program_run.h"
#include "fixer/collection_repair.h"
#include "fixer/face_file.h"
#include "fixer/face_repair.h"
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

// The report goes to standard output.
constexpr report_to kReport = report_to::standard_output;

// The last line of a check: which tables a repair would change.
exit_status report_check(const mended_tables& changed) {
  std::string line;
  for (size_t t = 0; t < kMendedTables.size(); ++t)
    if (changed[t]) line += std::string(" ") + kMendedTables[t];
  if (line.empty()) {
    say(kReport, "Nothing to change.\n");
    return exit_status::success;
  }
  say(kReport, "Would change:" + line + "\n");
  return exit_status::would_change;
}

// Where a repair's report goes: standard error when the output is facemend's own standard
// output. The passes print it on standard output themselves, so that is set aside for them
// until the output is written.
report_to repair_report(const facemend_args& args) {
  return args.check ? report_to::standard_output : report_for_output(args.files[1]);
}

// A repair's own status: 0, or the status of a font it could not repair.
exit_status repair_status(int status) {
  return static_cast<exit_status>(status);
}

// Writes the output with `write`, after the report so far has reached its reader.
exit_status write_output(const std::string& path, const input_file* input,
                         const output_writer& write) {
  std::fflush(report_stream(kReport));
  const input_file* inputs[] = {input};
  const size_t checked = input != nullptr ? 1 : 0;
  return write_program_output(path, std::span(inputs, checked), write, {}) ? exit_status::failed
                                                                           : exit_status::success;
}

// Repairs every face of a collection; writes the repaired collection, copying its
// unchanged tables from `file`, unless checking.
exit_status mend_collection(const facemend_args& args, const input_file& file) {
  mended_tables changed{};
  standard_output_aside aside(repair_report(args));
  std::optional<input_file> scratch;
  if (!args.check) scratch = open_scratch_file(args.files[1], print_io_problem);
  const collection_repair result = repair_collection(file.name, file_extent{&file, 0, file.size},
                                                     changed, scratch ? &*scratch : nullptr);
  exit_status status = repair_status(result.status);
  if (status == exit_status::success && args.check) status = report_check(changed);
  if (status == exit_status::success && !args.check) {
    aside.restore();
    status = write_output(args.files[1], &file, [&](output_stream& stream) {
      return ttc_write_to_file(result.repaired, stream, extent_copy::kernel) >= 0;
    });
  }
  if (scratch) close_input(*scratch);
  return status;
}

// Writes the repaired face, whose tables are all held in memory: the input is not read again.
exit_status write_single(const std::string& path, const sfnt_face_info& face) {
  if (sfnt_face_size(face) > UINT32_MAX) {
    say_problem("Couldn't write the font: it would be 4 GiB or larger.\n");
    return exit_status::failed;
  }
  // Laid out before the output is opened: nothing is allocated outside the writer, which
  // turns a lack of memory into a failed write, while a new file exists.
  const std::vector<sfnt_record> records = sfnt_face_layout(face);
  return write_output(path, nullptr, [&](output_stream& stream) {
    return write_sfnt_face_to_stream(stream, face, records, extent_copy::checked);
  });
}

// Repairs a single font; writes it unless checking.
exit_status mend_single(const facemend_args& args, const input_file& file) {
  const std::optional<std::vector<uint8_t>> bytes = load_single_font(file);
  if (!bytes) return exit_status::refused;
  std::string error;
  std::optional<sfnt_face_info> face = parse_sfnt_face_info(*bytes, error);
  if (!face) {
    say_problem(error);
    return exit_status::refused;
  }
  const sfnt_face_info before = *face;
  standard_output_aside aside(repair_report(args));
  if (const int status = repair_face(*face); status != 0) return repair_status(status);
  aside.restore();
  if (args.check) {
    mended_tables changed{};
    note_changes(before, *face, changed);
    return report_check(changed);
  }
  return write_single(args.files[1], *face);
}

exit_status run(const facemend_args& args) {
  std::optional<mend_input> input = open_mend_input(args.files[0], print_io_problem);
  if (!input) return exit_status::refused;
  const exit_status status =
      input->collection ? mend_collection(args, input->file) : mend_single(args, input->file);
  close_input(input->file);
  return status;
}

}  // namespace

static exit_status facemend_main(int argc, char** argv) {
  const facemend_args args = parse_args(argc, argv);
  if (args.help) {
    say(kReport, kHelp);
    return exit_status::success;
  }
  if (args.version) {
    print_version("facemend");
    return exit_status::success;
  }
  if (args.files.size() != (args.check ? 1u : 2u)) {
    const std::string program = argc > 0 ? argv[0] : "facemend";
    say(kReport, "usage: " + program + (args.check ? " --check from\n" : " from to\n"));
    return exit_status::refused;
  }
  return run(args);
}

int main(int argc, char** argv) {
  return run_program(facemend_main, argc, argv);
}
