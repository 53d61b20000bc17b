#include "cli/program_output.h"

#include <cstring>

#include "cli/messages.h"

namespace {

io_problem say_create_failure(const io_problem& problem, const output_words& words) {
  if (words.create == create_words::name_first)
    say_problem(problem.file + ": " + std::strerror(problem.error) + "\n");
  else
    print_io_problem(problem);
  return problem;
}

io_problem say_unwritten(const io_problem& problem, const std::string& name,
                         const output_words& words) {
  say_problem(name + ": could not be written\n");
  if (words.after_unwritten != nullptr) say_problem(std::string(words.after_unwritten) + "\n");
  return problem;
}

// The first input whose content changed since it was opened, said.
std::optional<io_problem> changed_input(std::span<const input_file* const> inputs) {
  for (const input_file* input : inputs) {
    if (input_unchanged(*input)) continue;
    const io_problem changed{io_step::changed, input->name};
    print_io_problem(changed);
    return changed;
  }
  return std::nullopt;
}

}  // namespace

std::optional<io_problem> write_program_output(const std::string& path,
                                               std::span<const input_file* const> inputs,
                                               const output_writer& write,
                                               const output_words& words) {
  opened_output opened = open_output(path);
  if (!opened.file) return say_create_failure(opened.problem, words);
  output_file& out = *opened.file;
  out.notices = print_io_problem;
  std::optional<io_problem> failure;
  if (!write(out.stream)) failure = out.stream.problem.value_or(io_problem{io_step::said, path});
  if (failure) print_io_problem(*failure);
  // Checked even after a failed write: a changed input ends a run that writes more.
  if (!failure || failure->step != io_step::changed)
    if (std::optional<io_problem> changed = changed_input(inputs)) failure = changed;
  if (failure) {
    finish_output(out, failure);
    return say_unwritten(*failure, path, words);
  }
  const std::optional<io_problem> unfinished = finish_output(out, std::nullopt);
  if (!unfinished) return std::nullopt;
  if (unfinished->step == io_step::create) return say_create_failure(*unfinished, words);
  print_io_problem(*unfinished);
  return say_unwritten(*unfinished, path, words);
}
