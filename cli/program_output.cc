#include "cli/program_output.h"

#include <sys/stat.h>

#include <cstring>
#include <map>

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

report_to report_for_output(const std::string& path) {
  const std::optional<output_target> target = resolve_output(path);
  if (!target || target->kind != target_kind::descriptor) return report_to::standard_output;
  struct stat out {};
  const bool same =
      target->descriptor == 1 || (::fstat(1, &out) == 0 && out.st_dev == target->old.st_dev &&
                                  out.st_ino == target->old.st_ino);
  return same ? report_to::standard_error : report_to::standard_output;
}

std::optional<output_clash> find_output_clash(std::span<const std::string> outputs,
                                              std::span<const input_file* const> inputs) {
  std::map<file_identity, const std::string*> taken;
  for (const input_file* input : inputs)
    taken.emplace(file_identity{input->stamp.device, input->stamp.inode, ""}, &input->name);
  for (const std::string& output : outputs) {
    const std::optional<file_identity> identity = output_identity(output);
    if (!identity) continue;
    const auto [at, fresh] = taken.emplace(*identity, &output);
    if (!fresh) return output_clash{output, *at->second};
  }
  return std::nullopt;
}
