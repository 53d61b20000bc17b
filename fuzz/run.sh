#!/usr/bin/env bash
# Fuzzes each target for a while with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer,
# starting from the generated seeds, the past findings in fuzz/regressions/ and what earlier
# runs of this build kept. Fails when any target finds a crash, a leak, undefined behaviour,
# a broken invariant, an input that runs too long or one that takes too much memory.
#
#   fuzz/run.sh [SECONDS_PER_TARGET]     (default 60; FUZZ_BUILD_DIR sets the build folder)
#
# Needs clang 14 and its fuzzer runtime (Debian: clang-14, libclang-rt-14-dev).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
targets=(mend models collection pack glyphs)
max_len=65536  # the seed generator's kSeedLimit

CXX=clang++-14 cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFACETOOLS_LIBFUZZER=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target make_fuzz_seeds "${targets[@]/#/fuzz_}"

rm -rf "$build/seeds"
"$build/fuzz/make_fuzz_seeds" "$build/seeds"

failed=()
summary=""
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  log="$build/fuzz-$target.log"
  rm -rf "$findings"
  mkdir -p "$corpus" "$findings" "$root/fuzz/regressions/$target"
  echo "fuzzing $target for ${seconds}s (log: $log)"
  # The programs report on standard output and error for every input; -close_fd_mask=3
  # silences them, while libFuzzer and the sanitizers still report.
  status=0
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len="$max_len" \
    -rss_limit_mb=2048 -timeout=30 -dict="$root/fuzz/tags.dict" -close_fd_mask=3 \
    -print_final_stats=1 -artifact_prefix="$findings/" \
    "$corpus" "$build/seeds/$target" "$root/fuzz/regressions/$target" >"$log" 2>&1 || status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  found="$(find "$findings" -type f | wc -l)"
  summary+="$(printf '%-11s %12s executions  %s findings  corpus %s inputs' "$target" \
    "${runs:-?}" "$found" "$(find "$corpus" -type f | wc -l)")"$'\n'
  if [[ $status -ne 0 || $found -ne 0 ]]; then
    failed+=("$target")
    tail -n 40 "$log"
  fi
done

printf '\n%s' "$summary"
if [[ ${#failed[@]} -ne 0 ]]; then
  echo "findings in: ${failed[*]}; the inputs are in $build/findings/<target>/." >&2
  echo "Replay one with its message: $build/fuzz/fuzz_<target> <input>; after the fix, keep it" >&2
  echo "as fuzz/regressions/<target>/<name> so that every test build reruns it." >&2
  exit 1
fi
