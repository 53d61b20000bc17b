#include "fixer/face_file.h"

#include <cstdio>

#include "fontio/byte_reader.h"
#include "fontio/output_file.h"

namespace {

constexpr uint32_t kCollectionTag = 0x74746366;  // "ttcf"
constexpr size_t kOffsetTableSize = 12;

}  // namespace

std::optional<sfnt_face_info> parse_sfnt_face_info(std::span<const uint8_t> file,
                                                   std::string& error) {
  if (u32_at(file, 0) == kCollectionTag) {
    error =
        "This is a font collection (ttcf), not a single font: split it into its faces with "
        "facesplit first.\n";
    return std::nullopt;
  }
  if (file.size() < kOffsetTableSize) {
    error = "Not a font file: it is too short to hold an offset table.\n";
    return std::nullopt;
  }
  std::string problem;
  const std::optional<sfnt_directory> dir = read_sfnt_directory(file, 0, problem);
  if (!dir) {
    error = "Broken font file: " + problem + ".\n";
    return std::nullopt;
  }
  return sfnt_face_from_directory(file, *dir);
}

sfnt_write_status write_sfnt_face(const std::string& path, const sfnt_face_info& face) {
  if (sfnt_face_size(face) > UINT32_MAX) {
    std::fputs("Couldn't write the font: it would be 4 GiB or larger.\n", stderr);
    return sfnt_write_status::failed;
  }
  std::optional<output_file> out = open_output(path);
  if (!out) {
    std::perror("fopen");
    return sfnt_write_status::failed;
  }
  const std::vector<sfnt_record> records = sfnt_face_layout(face, sfnt_face_checksums(face));
  const bool written = write_sfnt_face_to_stream(out->stream, face, records, extent_copy::checked);
  const output_error error = finish_output(*out, written);
  if (error == output_error::create) std::perror("fopen");
  return error == output_error::none ? sfnt_write_status::written : sfnt_write_status::failed;
}
