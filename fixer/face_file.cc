#include "fixer/face_file.h"

#include <cstdio>

#include "sys/input_file.h"
#include "sys/output_file.h"

int refuse_unknown_version(const std::string& name, uint32_t version) {
  if (known_sfnt_version(version)) return 0;
  std::fprintf(stderr, "Not a font file: %s has an unknown sfnt version (0x%08X).\n", name.c_str(),
               version);
  return 1;
}

sfnt_write_status write_sfnt_face(const std::string& path, const sfnt_face_info& face) {
  if (sfnt_face_size(face) > UINT32_MAX) {
    std::fputs("Couldn't write the font: it would be 4 GiB or larger.\n", stderr);
    return sfnt_write_status::failed;
  }
  // Laid out before the output is opened: nothing is allocated outside the writer, which
  // turns a lack of memory into a failed write, while a new file exists.
  const std::vector<sfnt_record> records = sfnt_face_layout(face);
  std::optional<output_file> out = open_output(path);
  if (!out) {
    report_create_failure(path);
    return sfnt_write_status::failed;
  }
  const bool written = write_sfnt_face_to_stream(out->stream, face, records, extent_copy::checked);
  const output_error error = finish_output(*out, written);
  if (error == output_error::create) report_create_failure(path);
  return error == output_error::none ? sfnt_write_status::written : sfnt_write_status::failed;
}
