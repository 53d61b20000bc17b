// Runs a fuzz target over saved inputs, so that every past finding and the seed corpus are
// rerun by the ordinary test builds. Arguments are input files or folders of them (taken in
// name order); a missing one is an error, so a mistyped path cannot pass unnoticed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::filesystem::path> inputs_in(const std::filesystem::path& path) {
  std::vector<std::filesystem::path> found;
  if (!std::filesystem::is_directory(path)) return {path};
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
    if (entry.is_regular_file()) found.push_back(entry.path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::vector<uint8_t> read_input(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  LLVMFuzzerInitialize(&argc, &argv);
  size_t count = 0;
  for (int i = 1; i < argc; ++i) {
    if (!std::filesystem::exists(argv[i])) {
      std::fprintf(stderr, "%s: no such input\n", argv[i]);
      return 1;
    }
    for (const std::filesystem::path& input : inputs_in(argv[i])) {
      std::fprintf(stderr, "replaying %s\n", input.c_str());
      const std::vector<uint8_t> bytes = read_input(input);
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++count;
    }
  }
  std::fprintf(stderr, "replayed %zu inputs\n", count);
  return 0;
}
