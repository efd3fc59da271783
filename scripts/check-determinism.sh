#!/usr/bin/env bash
# Determinism across builds: builds the world generator and the check in
# several configurations (two compilers, optimisation levels, a target CPU
# with fused multiply-add, the sanitizers, and the C library's code paths for
# a CPU without FMA), bakes the demo world with each, and requires every
# configuration's run files to be byte-identical to each other's and to the
# golden digest. Prints one table row per configuration.
#
#   scripts/check-determinism.sh                  # every configuration
#   scripts/check-determinism.sh gcc-O2 clang-O2  # only these
#
# Build folders: build/det-<configuration> (the asan configuration reuses
# build/asan when it exists); run files under build/det-runs/<configuration>.
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C  # file-name order of the run files, as the golden digest takes it

scripts/install-deps.sh clang-19 libclang-rt-19-dev

golden_file=apps/quillmere-tools/scenery-bake-determinism/golden/demo-world.txt
golden_placements=$(awk '$1 == "placements" { print $2 }' "$golden_file")
golden_sha256=$(awk '$1 == "sha256" { print $2 }' "$golden_file")
runs_root=build/det-runs
no_fma_libm=glibc.cpu.hwcaps=-AVX2,-FMA

# The asan configuration reuses the sanitizer preset's own build when there is one.
asan_dir=build/det-asan
[[ -f build/asan/CMakeCache.txt ]] && asan_dir=build/asan

# name | build folder | compiler | CMAKE_CXX_FLAGS | environment of the runs
configurations=(
  "gcc-O0|build/det-gcc-O0|g++|-O0|"
  "gcc-O2|build/det-gcc-O2|g++|-O2|"
  "gcc-O3-x86-64-v3|build/det-gcc-O3-x86-64-v3|g++|-O3 -march=x86-64-v3|"
  "clang-O2|build/det-clang-O2|clang++-19|-O2|"
  "asan|$asan_dir||asan|ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
  "gcc-O2-libm-without-FMA|build/det-gcc-O2|g++|-O2|GLIBC_TUNABLES=$no_fma_libm"
)

cpu_has() { grep -qw "$1" /proc/cpuinfo; }

# The dynamic loader lists the x86-64-v3 level (AVX2, FMA among others) as
# supported only when the C library will use those instructions itself.
ld_so=/lib64/ld-linux-x86-64.so.2
libm_uses_v3() { env "$@" "$ld_so" --help 2>/dev/null | grep -q 'x86-64-v3 (supported'; }

requested=("$@")
selected() {
  ((${#requested[@]} == 0)) && return 0
  local wanted
  for wanted in "${requested[@]}"; do [[ $wanted == "$1" ]] && return 0; done
  return 1
}

built=()
build_tools() {  # build folder, compiler, flags; output in build/det-logs
  local dir=$1 compiler=$2 flags=$3 done_dir
  for done_dir in "${built[@]}"; do [[ $done_dir == "$dir" ]] && return 0; done
  local log=build/det-logs/${dir##*/}.log
  mkdir -p build/det-logs
  if [[ $flags == asan ]]; then
    if [[ ! -f $dir/CMakeCache.txt ]]; then
      cmake --preset asan -B "$dir" -DQUILLMERE_BUILD_TESTS=OFF >"$log" 2>&1 || { tail -n 40 "$log" >&2; return 1; }
    fi
  else
    # Warnings stay warnings here: GCC 12 at -O3 reports false positives in
    # the standard library's string code; the dev preset keeps them errors.
    cmake -S . -B "$dir" -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=None \
      -DCMAKE_CXX_FLAGS="$flags" -DQUILLMERE_BUILD_TESTS=OFF -DQUILLMERE_WARNINGS_AS_ERRORS=OFF \
      >"$log" 2>&1 || { tail -n 40 "$log" >&2; return 1; }
  fi
  # The float guard is built and run first: flags that contract or relax
  # float arithmetic fail the build here.
  cmake --build "$dir" -j2 --target quillmere-mkworld scenery-bake-determinism >>"$log" 2>&1 ||
    { tail -n 40 "$log" >&2; return 1; }
  built+=("$dir")
}

reference=""
passed=0
failed=0
skipped=0
rows=()

for entry in "${configurations[@]}"; do
  IFS='|' read -r name dir compiler flags run_env <<<"$entry"
  selected "$name" || continue
  read -r -a env_vars <<<"$run_env"

  if [[ $flags == *x86-64-v3* ]] && ! { cpu_has avx2 && cpu_has fma; }; then
    rows+=("$name|-|-|skipped: this CPU cannot run x86-64-v3 code")
    skipped=$((skipped + 1))
    continue
  fi
  note=""
  if [[ $run_env == *GLIBC_TUNABLES* ]]; then
    if ! libm_uses_v3; then
      note=" (CPU without FMA: same code paths as gcc-O2)"
    elif libm_uses_v3 "${env_vars[@]}"; then
      echo "check-determinism: $name: the C library ignored $no_fma_libm" >&2
      rows+=("$name|-|-|NO: the C library ignored the tunable")
      failed=$((failed + 1))
      continue
    fi
  fi

  if [[ $flags == asan ]]; then
    echo "check-determinism: building $name (asan preset, $dir)" >&2
  else
    echo "check-determinism: building $name ($compiler $flags, $dir)" >&2
  fi
  if ! build_tools "$dir" "$compiler" "$flags"; then
    rows+=("$name|-|-|NO: build failed (log: build/det-logs/${dir##*/}.log)")
    failed=$((failed + 1))
    continue
  fi
  bin=$dir/apps/quillmere-tools

  out=$runs_root/$name
  rm -rf "$out"
  mkdir -p "$out"
  verdict=yes
  if ! env "${env_vars[@]}" "$bin/quillmere-mkworld/quillmere-mkworld" \
         --out "$out/world" --profile demo --seed 1 >"$out/mkworld.log" 2>&1; then
    verdict="NO: the world generator failed (log: $out/mkworld.log)"
  elif ! env "${env_vars[@]}" \
         QUILLMERE_PORTAL_DAT="$out/world/client_portal.dat" \
         QUILLMERE_CELL_DAT="$out/world/client_cell_1.dat" \
         QUILLMERE_DETERMINISM_OUT="$out/check" \
         "$bin/scenery-bake-determinism/scenery-bake-determinism" >"$out/check.log" 2>&1; then
    verdict="NO: the check failed (log: $out/check.log)"
  fi

  placements=-
  digest=-
  run_files=("$out"/check/run1/*.scenery.jsonl)
  if [[ -f ${run_files[0]} ]]; then
    placements=$(cat "${run_files[@]}" | wc -l)
    digest=$(cat "${run_files[@]}" | sha256sum | cut -d' ' -f1)
  fi
  if [[ $verdict == yes ]]; then
    if [[ $placements != "$golden_placements" || $digest != "$golden_sha256" ]]; then
      verdict="NO: differs from the golden digest"
    elif ! diff -r -q "$out/check/run1" "$out/check/run2" >/dev/null; then
      verdict="NO: run 2 differs from run 1"
    elif [[ -n $reference ]] && ! diff -r -q "$reference/world" "$out/world" >/dev/null; then
      verdict="NO: the generated world differs from ${reference##*/}'s"
    elif [[ -n $reference ]] && ! diff -r -q "$reference/check/run1" "$out/check/run1" >/dev/null; then
      verdict="NO: run files differ from ${reference##*/}'s"
    fi
  fi
  [[ -z $reference && $verdict == yes ]] && reference=$out
  if [[ $verdict == yes ]]; then
    passed=$((passed + 1))
    verdict="yes$note"
  else
    failed=$((failed + 1))
  fi
  rows+=("$name|$placements|$digest|$verdict")
done

echo
printf '%-26s %-10s %-64s  %s\n' configuration placements "sha256 of run1/*.scenery.jsonl" identical
printf '%-26s %-10s %-64s  %s\n' golden "$golden_placements" "$golden_sha256" ""
for row in "${rows[@]}"; do
  IFS='|' read -r name placements digest verdict <<<"$row"
  printf '%-26s %-10s %-64s  %s\n' "$name" "$placements" "$digest" "$verdict"
done
echo
echo "determinism: $passed passed, $failed failed, $skipped skipped"
((failed == 0 && passed > 0))
