#include "support/run_tool.h"
#include "support/validator_tools.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

std::string slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

[[noreturn]] void exec_child(const std::string& program, const std::vector<std::string>& args,
                             const std::filesystem::path& cwd, const std::filesystem::path& out,
                             const std::filesystem::path& err) {
  const int in_fd = ::open("/dev/null", O_RDONLY);
  const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (in_fd < 0 || out_fd < 0 || err_fd < 0 || ::chdir(cwd.c_str()) != 0) ::_exit(126);
  ::dup2(in_fd, 0);
  ::dup2(out_fd, 1);
  ::dup2(err_fd, 2);
  // The program gets the three standard descriptors and no other, whatever the test
  // process inherited: tests of descriptor limits count on it.
  ::close_range(3, ~0U, 0);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(program.c_str(), argv.data());
  ::_exit(127);
}

}  // namespace

tool_run run_tool(const std::string& program, const std::vector<std::string>& args,
                  const std::filesystem::path& cwd) {
  const std::filesystem::path capture = make_temp_dir();
  const std::filesystem::path out = capture / "stdout";
  const std::filesystem::path err = capture / "stderr";
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) exec_child(program, args, cwd, out, err);
  int wstatus = 0;
  while (::waitpid(pid, &wstatus, 0) < 0) {
  }
  tool_run run;
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  run.out = slurp(out);
  run.err = slurp(err);
  std::filesystem::remove_all(capture);
  return run;
}

std::filesystem::path make_temp_dir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "facetools-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

std::vector<uint8_t> read_bytes(const std::filesystem::path& path) {
  const std::string text = slurp(path);
  return std::vector<uint8_t>(text.begin(), text.end());
}

void write_bytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string> list_dir(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<uint8_t> patterned_bytes(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 131 + (i >> 12) + seed);
  return bytes;
}

tool_run run_python(const std::filesystem::path& dir, const std::string& script,
                    const std::string& document, const std::string& text) {
  write_bytes(dir / document, std::vector<uint8_t>(text.begin(), text.end()));
  write_bytes(dir / "read.py", std::vector<uint8_t>(script.begin(), script.end()));
  return run_tool(kSystemPython, {"read.py", document}, dir);
}
