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

// Says a failure to write the output: a failure to create it in the program's words, else
// the failed call's own line and that the output could not be written.
io_problem say_failure(const io_problem& problem, const std::string& path,
                       const output_words& words) {
  if (problem.step == io_step::create) return say_create_failure(problem, words);
  print_io_problem(problem);
  return say_unwritten(problem, path, words);
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

// The input that the output would be written onto in place: the output names a descriptor
// (/dev/stdout, /dev/fd/N) that is open on the input itself, as `>> input` leaves it.
const input_file* input_under_descriptor(const std::string& path,
                                         std::span<const input_file* const> inputs) {
  const std::optional<output_target> target = resolve_output(path);
  if (!target || target->kind != target_kind::descriptor) return nullptr;
  for (const input_file* input : inputs)
    if (input->stamp.device == target->old.st_dev && input->stamp.inode == target->old.st_ino)
      return input;
  return nullptr;
}

// What one write of the output came to: nothing, or the failure and whether it was said.
struct output_attempt {
  std::optional<io_problem> failure;
  bool said = true;
};

// Whether a failure may be left unsaid for a second write: a quiet write that ran out of
// room in a new file, which the failure removed. Bytes written in place (a device, a
// descriptor) cannot be taken back, so such a write is never repeated.
bool held_back(const output_file& out, const io_problem& failure, bool quiet_when_full) {
  const bool new_file = out.kind == target_kind::new_file || out.kind == target_kind::replaced;
  return quiet_when_full && new_file && out_of_room(failure);
}

// Writes the output once, saying each failure as it happens, except one that held_back
// keeps for a second write.
output_attempt write_once(const std::string& path, std::span<const input_file* const> inputs,
                          const output_writer& write, const output_words& words,
                          bool quiet_when_full) {
  opened_output opened = open_output(path);
  if (!opened.file) {
    if (quiet_when_full && out_of_room(opened.problem)) return {opened.problem, false};
    return {say_create_failure(opened.problem, words)};
  }
  output_file& out = *opened.file;
  out.notices = print_io_problem;
  std::optional<io_problem> failure;
  if (!write(out.stream)) failure = out.stream.problem.value_or(io_problem{io_step::said, path});
  if (failure && held_back(out, *failure, quiet_when_full)) {
    finish_output(out, failure);
    return {failure, false};
  }
  if (failure) print_io_problem(*failure);
  // Checked even after a failed write: a changed input ends a run that writes more.
  if (!failure || failure->step != io_step::changed)
    if (std::optional<io_problem> changed = changed_input(inputs)) failure = changed;
  if (failure) {
    finish_output(out, failure);
    return {say_unwritten(*failure, path, words)};
  }
  const std::optional<io_problem> unfinished = finish_output(out, std::nullopt);
  if (!unfinished) return {};
  if (held_back(out, *unfinished, quiet_when_full)) return {unfinished, false};
  return {say_failure(*unfinished, path, words)};
}

}  // namespace

std::optional<io_problem> write_program_output(const std::string& path,
                                               std::span<const input_file* const> inputs,
                                               const output_writer& write,
                                               const output_words& words,
                                               const room_maker& make_room) {
  if (const input_file* input = input_under_descriptor(path, inputs)) {
    say_problem(path + " is the same file as " + input->name + "; nothing written\n");
    return io_problem{io_step::said, path};
  }
  if (make_room) {
    const output_attempt first = write_once(path, inputs, write, words, true);
    if (!first.failure || first.said) return first.failure;
    if (!make_room()) return say_failure(*first.failure, path, words);
  }
  return write_once(path, inputs, write, words, false).failure;
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
