#include "cli/messages.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// "call: reason", as perror words it; `call` ends with ": ".
void say_call_failed(const char* call, int error) {
  say_problem(call + std::string(std::strerror(error)) + "\n");
}

void say_about(const std::string& file, const char* what) {
  say_problem(file + ": " + what + "\n");
}

const char* special_kind_words(special_kind kind) {
  switch (kind) {
    case special_kind::pipe:
      return "a pipe";
    case special_kind::character_device:
      return "a character device";
    case special_kind::block_device:
      return "a block device";
    case special_kind::socket:
      return "a socket";
    case special_kind::other:
      break;
  }
  return "a special file";
}

// The lines of a failed read or a lack of memory; the other steps say a call.
void print_input_problem(const io_problem& problem) {
  switch (problem.step) {
    case io_step::not_regular:
      say_problem(problem.file + ": not a regular file (" + special_kind_words(problem.kind) +
                  ")\n");
      return;
    case io_step::size:
      say_call_failed("fseek: ", problem.error);
      say_problem("Couldn't get file size...\n");
      return say_about(problem.file, "could not be sized");
    case io_step::too_large:
      say_problem("File too large (2 GiB or more)...\n");
      return say_about(problem.file, "too large to be read");
    case io_step::memory:
      say_problem("Memory allocation failed.\n");
      if (!problem.file.empty()) say_about(problem.file, "could not be held in memory");
      return;
    case io_step::read:
      say_call_failed("fread: ", problem.error);
      return say_about(problem.file, "could not be read in full");
    case io_step::early_end:
      say_problem("End of file...\n");
      return say_about(problem.file, "could not be read in full");
    default:
      return;
  }
}

}  // namespace

std::FILE* report_stream(report_to where) {
  return where == report_to::standard_error ? stderr : stdout;
}

void say(report_to where, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), report_stream(where));
}

std::string text_format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  return text;
}

void say_problem(std::string_view text) {
  say(report_to::standard_error, text);
}

void print_io_problem(const io_problem& problem) {
  switch (problem.step) {
    case io_step::open:
      say_call_failed("fopen: ", problem.error);
      return say_about(problem.file, "could not be opened");
    case io_step::create:
      say_call_failed("fopen: ", problem.error);
      return say_about(problem.file, "could not be created");
    case io_step::changed:
      return say_about(problem.file, "changed since it was read");
    case io_step::write:
      return say_call_failed("fwrite: ", problem.error);
    case io_step::close:
      return say_call_failed("fclose: ", problem.error);
    case io_step::sync:
      return say_call_failed("fsync: ", problem.error);
    case io_step::attribute:
      return say_about(problem.file, ("could not keep its extended attribute " + problem.detail +
                                      ": " + std::strerror(problem.error))
                                         .c_str());
    default:
      return print_input_problem(problem);
  }
}

bool flush_standard_output() {
  const bool flushed = std::fflush(stdout) == 0;
  const int error = errno;
  if (flushed && std::ferror(stdout) == 0) return true;
  if (flushed)  // a write that failed earlier left its mark on the stream, not its reason
    say_problem("stdout: write error\n");
  else
    say_call_failed("stdout: ", error);
  return false;
}

standard_output_aside::standard_output_aside(report_to where) {
  if (where != report_to::standard_error) return;
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  saved = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
  if (saved >= 0 && ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    ::close(saved);
    saved = -1;
  }
}

void standard_output_aside::restore() {
  if (saved < 0) return;
  std::fflush(stdout);
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);
  saved = -1;
}
