// facemend: repairs old Japanese TrueType fonts (cmap, name, post and head passes): one
// single-face font, written to a second file that may be the input itself, or every face
// of a collection, written as a collection. With --check it only reports, for any number of
// files; with --in-place it repairs those of its files that show legacy signs.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli/messages.h"
#include "cli/program_output.h"
#include "cli/program_run.h"
#include "fixer/collection_repair.h"
#include "fixer/face_repair.h"
#include "programs/mend_command.h"
#include "programs/mend_files.h"
#include "programs/mend_input.h"
#include "programs/mend_sinks.h"
#include "programs/write_messages.h"
#include "sys/scratch_file.h"
#include "ttc/ttc_writer.h"

namespace {

// Writes the output with `write`, after the report so far has reached its reader and
// standard output is back where it was (it may be the output itself).
int write_output(const std::string& path, const input_file& input, const output_writer& write,
                 standard_output_aside& aside, const room_maker& make_room = {}) {
  std::fflush(stdout);
  aside.restore();
  const input_file* inputs[] = {&input};
  return write_program_output(path, inputs, write, {}, make_room) ? 2 : 0;
}

// Gives the room of the scratch file back to the output's file system: the repaired tables
// set aside there are read back into memory and the file is closed. False when it held
// nothing, or the tables could not be read back (said).
bool drop_scratch(std::optional<input_file>& scratch, ttc_info& repaired) {
  if (!scratch || scratch->size == 0 || !take_back_set_aside(repaired, *scratch)) return false;
  close_input(*scratch);
  scratch.reset();
  return true;
}

// Repairs every face of a collection and writes the repaired collection to `to`, copying
// its unchanged tables from `file`.
int mend_collection(const std::string& to, const input_file& file, mend_sink& report,
                    standard_output_aside& aside) {
  mended_tables changed{};
  std::optional<input_file> scratch = open_scratch_file(to, print_io_problem);
  collection_repair result = repair_collection(file.name, file_extent{&file, 0, file.size}, changed,
                                               report, scratch ? &*scratch : nullptr);
  int status = result.status;
  if (status == 0) {
    status = write_output(
        to, file,
        [&](output_stream& stream) {
          bool too_large = false;
          const bool written =
              ttc_write_to_file(result.repaired, stream, extent_copy::kernel, &too_large) >= 0;
          if (too_large) print_too_large_output();
          return written;
        },
        aside, [&] { return drop_scratch(scratch, result.repaired); });
  }
  if (scratch) close_input(*scratch);
  return status;
}

// Writes the repaired face, whose tables are all held in memory: the input is not read
// again, only checked to be unchanged, so that a repair in place never replaces a newer
// version of the font.
int write_single(const std::string& path, const sfnt_face_info& face, const input_file& input,
                 standard_output_aside& aside) {
  if (sfnt_face_size(face) > UINT32_MAX) {
    say_problem("Couldn't write the font: it would be 4 GiB or larger.\n");
    return 2;
  }
  // Laid out before the output is opened: nothing is allocated outside the writer, which
  // turns a lack of memory into a failed write, while a new file exists.
  const std::vector<sfnt_record> records = sfnt_face_layout(face);
  return write_output(
      path, input,
      [&](output_stream& stream) {
        return write_sfnt_face_to_stream(stream, face, records, extent_copy::checked);
      },
      aside);
}

// Repairs a single font and writes it to `to`.
int mend_single(const std::string& to, const mend_input& input, mend_sink& report,
                standard_output_aside& aside) {
  std::vector<uint8_t> bytes;
  std::optional<sfnt_face_info> face = load_single_font(input, bytes);
  if (!face) return 1;
  if (const int status = repair_face(*face, report); status != 0) return status;
  return write_single(to, *face, input.file, aside);
}

// Repairs the font or collection `from` and writes it to `to`, which may be `from` itself.
// When `to` is facemend's own standard output, the report goes to standard error.
int repair(const std::string& from, const std::string& to, mend_sink& report) {
  standard_output_aside aside(report_for_output(to));
  std::optional<mend_input> input = open_mend_input(from);
  if (!input) return 1;
  const int status = input->font.kind == font_kind::collection
                         ? mend_collection(to, input->file, report, aside)
                         : mend_single(to, *input, report, aside);
  close_input(input->file);
  return status;
}

int facemend(int argc, char** argv) {
  const mend_command command = read_mend_command(argc, argv);
  if (!command.request) return command.status;
  const mend_request& request = *command.request;
  if (request.mode == mend_mode::check) return check_files(request);
  if (request.mode == mend_mode::in_place)
    return mend_files_in_place(request, [](const std::string& file, mend_sink& report) {
      return repair(file, file, report);
    });
  styled_report report(request.quiet ? report_style::problems : report_style::full, "");
  return repair(request.files[0], request.files[1], report);
}

}  // namespace

static exit_status facemend_main(int argc, char** argv) {
  return static_cast<exit_status>(facemend(argc, argv));
}

int main(int argc, char** argv) {
  return run_program(facemend_main, argc, argv);
}
