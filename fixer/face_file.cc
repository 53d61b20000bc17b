#include "fixer/face_file.h"

#include <algorithm>
#include <cstdio>

#include "sfnt/byte_reader.h"
#include "sys/input_file.h"

namespace {

constexpr uint32_t kCollectionTag = 0x74746366;  // "ttcf"
constexpr size_t kOffsetTableSize = 12;

const char kTooShort[] = "Not a font file: it is too short to hold an offset table.\n";

// Checks the single font's header and directory in the open file; 0, or 1 after a message.
int check_single_font(const input_file& file, std::span<const uint8_t> head) {
  if (head.size() < kOffsetTableSize) {
    std::fputs(kTooShort, stderr);
    return 1;
  }
  if (refuse_unknown_version(file.name, read_uint32(head.data())) != 0) return 1;
  std::string problem;
  if (read_sfnt_directory(file_extent{&file, 0, file.size}, 0, problem)) return 0;
  if (problem.empty())
    std::fputs("Couldn't load font file...\n", stderr);
  else
    std::fprintf(stderr, "Broken font file: %s.\n", problem.c_str());
  return 1;
}

}  // namespace

std::optional<mend_input> open_mend_input(const std::string& path, io_sink sink) {
  std::optional<input_file> file = open_input(path, sink);
  if (!file) return std::nullopt;
  std::vector<uint8_t> head(static_cast<size_t>(std::min<uint64_t>(file->size, kOffsetTableSize)));
  bool fine = read_input(*file, 0, head);
  if (!fine) std::fputs("Couldn't load font file...\n", stderr);
  const bool collection = u32_at(head, 0) == kCollectionTag;
  if (fine && !collection) fine = check_single_font(*file, head) == 0;
  if (fine) return mend_input{std::move(*file), collection};
  close_input(*file);
  return std::nullopt;
}

std::optional<std::vector<uint8_t>> load_single_font(const input_file& file) {
  std::vector<uint8_t> bytes;
  const load_status loaded = load_input(file, bytes);
  if (loaded == load_status::read_short) std::fputs("Couldn't load font file...\n", stderr);
  if (loaded != load_status::loaded) return std::nullopt;
  return bytes;
}

std::optional<sfnt_face_info> parse_sfnt_face_info(std::span<const uint8_t> file,
                                                   std::string& error) {
  if (file.size() < kOffsetTableSize) {
    error = kTooShort;
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

int refuse_unknown_version(const std::string& name, uint32_t version) {
  if (known_sfnt_version(version)) return 0;
  std::fprintf(stderr, "Not a font file: %s has an unknown sfnt version (0x%08X).\n", name.c_str(),
               version);
  return 1;
}
