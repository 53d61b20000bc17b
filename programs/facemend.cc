// facemend: repairs old Japanese TrueType fonts (cmap, name, post and head passes): one
// single-face font, written to a second file that may be the input itself, or every face
// of a collection, written as a collection. With --check it only reports, for any number of
// files; with --in-place it repairs those of its files that show legacy signs.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "fixer/collection_repair.h"
#include "fixer/face_file.h"
#include "fixer/face_repair.h"
#include "programs/mend_command.h"
#include "programs/mend_files.h"
#include "programs/mend_sinks.h"
#include "sys/output_file.h"
#include "sys/program_run.h"
#include "sys/scratch_file.h"
#include "ttc/ttc_writer.h"

namespace {

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

// Repairs every face of a collection and writes the repaired collection to `to`.
int mend_collection(const std::string& to, const input_file& file, mend_sink& report) {
  mended_tables changed{};
  std::optional<input_file> scratch = open_scratch_file(to);
  const collection_repair result = repair_collection(
      file.name, file_extent{&file, 0, file.size}, changed, report, scratch ? &*scratch : nullptr);
  int status = result.status;
  if (status == 0) {
    std::fflush(stdout);
    status = write_collection(to, result.repaired, file);
  }
  if (scratch) close_input(*scratch);
  return status;
}

// Repairs a single font and writes it to `to`.
int mend_single(const std::string& to, const input_file& file, mend_sink& report) {
  const std::optional<std::vector<uint8_t>> bytes = load_single_font(file);
  if (!bytes) return 1;
  std::string error;
  std::optional<sfnt_face_info> face = parse_sfnt_face_info(*bytes, error);
  if (!face) {
    std::fputs(error.c_str(), stderr);
    return 1;
  }
  if (const int status = repair_face(*face, report); status != 0) return status;
  std::fflush(stdout);
  return write_sfnt_face(to, *face) == sfnt_write_status::written ? 0 : 2;
}

// Repairs the font or collection `from` and writes it to `to`, which may be `from` itself.
int repair(const std::string& from, const std::string& to, mend_sink& report) {
  std::optional<mend_input> input = open_mend_input(from);
  if (!input) return 1;
  const int status = input->collection ? mend_collection(to, input->file, report)
                                       : mend_single(to, input->file, report);
  close_input(input->file);
  return status;
}

}  // namespace

static int facemend_main(int argc, char** argv) {
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

int main(int argc, char** argv) {
  return run_program(facemend_main, argc, argv);
}
