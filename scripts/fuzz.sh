#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset: clang 19, AddressSanitizer and
# UndefinedBehaviorSanitizer), writes their seed corpora from the demo world,
# and runs every target for the given number of seconds, two at a time.
#
#   scripts/fuzz.sh [seconds-per-target] [target...]   # default: 60, all targets
#
# Under build/fuzz/fuzz/: corpus/<target> keeps what the fuzzer found
# interesting and grows from run to run; seeds/<target> is rewritten each time;
# fuzz/regressions/<target> is replayed first. Anything found (crash, hang,
# leak, memory blow-up) lands in findings/<target>/ with the log in
# logs/<target>.log, and the script exits with status 1. Minimise a finding
# with `build/fuzz/fuzz/fuzz-<target> -minimize_crash=1 -runs=10000 FILE`,
# fix it, and add it to fuzz/regressions/<target>/.
#
# QUILLMERE_FUZZ_JOBS sets how many targets run at once (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."

all_targets=(archive lrs region cell_landblock landblock_info scene setup_model gfx_obj bsp_node baker)
seconds=${1:-60}
[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "fuzz: seconds per target must be a positive number" >&2; exit 2; }
shift || true
targets=("$@")
((${#targets[@]})) || targets=("${all_targets[@]}")
for target in "${targets[@]}"; do
  [[ " ${all_targets[*]} " == *" $target "* ]] || { echo "fuzz: unknown target $target" >&2; exit 2; }
done
jobs=${QUILLMERE_FUZZ_JOBS:-2}

scripts/install-deps.sh clang-19 libclang-rt-19-dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

out=build/fuzz/fuzz
"$out/quillmere-fuzz-seeds" "$out/seeds"

# A single allocation above 64 MB is a finding: every decoder must bound what
# a count or size from the data may reserve by the data it has left.
fuzz_options=(
  -max_total_time="$seconds"
  -rss_limit_mb=2048
  -malloc_limit_mb=64
  -timeout=10
  -print_final_stats=1
)
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

run_target() {
  local target=$1
  local corpus=$out/corpus/$target findings=$out/findings/$target log=$out/logs/$target.log
  mkdir -p "$corpus" "$findings" "$out/logs"
  local status=0
  "$out/fuzz-$target" "${fuzz_options[@]}" -artifact_prefix="$findings/" \
    "$corpus" "$out/seeds/$target" "fuzz/regressions/$target" >"$log" 2>&1 || status=$?
  echo "$status" >"$out/logs/$target.status"
}

rm -rf "$out/findings"
running=0
for target in "${targets[@]}"; do
  if ((running >= jobs)); then
    wait -n || true
    running=$((running - 1))
  fi
  echo "fuzz: $target for ${seconds}s" >&2
  run_target "$target" &
  running=$((running + 1))
done
wait

echo
printf '%-15s %10s %7s %8s %8s  %s\n' target executions cov ft corpus findings
failed=0
for target in "${targets[@]}"; do
  log=$out/logs/$target.log
  status=$(cat "$out/logs/$target.status")
  executions=$(awk '/^stat::number_of_executed_units:/ { print $2 }' "$log")
  last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corpus=$(find "$out/corpus/$target" -type f | wc -l)
  found=$(find "$out/findings/$target" -type f | wc -l)
  verdict=none
  if ((status != 0 || found > 0)); then
    verdict="$found (exit status $status; log: $log)"
    failed=$((failed + 1))
  fi
  printf '%-15s %10s %7s %8s %8s  %s\n' "$target" "${executions:--}" "${cov:--}" "${ft:--}" "$corpus" "$verdict"
done
((failed == 0)) || { echo "fuzz: $failed target(s) found something" >&2; exit 1; }
