#!/usr/bin/env bash
# make fuzz: builds every program with AFL++ instrumentation, AddressSanitizer
# and UndefinedBehaviorSanitizer, then runs afl-fuzz on each program's
# standard input for FUZZ_SECONDS, seeded with the inputs the test suite gives
# that program. Crashing and hanging inputs are copied to findings/<program>/.
# Ends with a table: program, executions, paths, crashes, hangs, and fails
# when any input crashed or hung a program. With FUZZ_SMOKE=1 (the short
# run in CI) a program the fuzzer could not start is reported, not failed.
set -euo pipefail

SECONDS_EACH=${FUZZ_SECONDS:-60}
SMOKE=${FUZZ_SMOKE:-0}
JOBS=${FUZZ_JOBS:-1}
TIMEOUT_MS=${FUZZ_TIMEOUT_MS:-10000}
BUILD=${BUILD:-build}
FUZZ_BUILD=${FUZZ_BUILD:-build-fuzz}
FINDINGS=${FINDINGS:-findings}
TOP=$(cd "$(dirname "$0")/.." && pwd)
cd "$TOP"

command -v afl-fuzz >/dev/null && command -v afl-clang-fast++ >/dev/null || {
  echo "fuzz: afl-fuzz and afl-clang-fast++ are needed (Debian package afl++)" >&2
  exit 1
}

# Programs that read nothing from standard input (order-gen, and the judge,
# its keeper and exercise-package, which are driven by their command lines)
# have nothing to fuzz.
NO_INPUT=" order-gen exercise-judge exercise-judge-keeper exercise-package "

# The shrink-steps programs read a case only for a step named on their
# command line: fuzzed on one that reads the whole case and writes it again.
args_of() {
  case $1 in
    *-shrink) echo "--drop 0 1" ;;
  esac
}

echo "== building the instrumented programs in $FUZZ_BUILD"
AFL_QUIET=1 cmake -S . -B "$FUZZ_BUILD" -DCMAKE_CXX_COMPILER=afl-clang-fast++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSANITIZE=ON -DFUZZING=ON -DBUILD_TESTS=OFF > /dev/null
AFL_QUIET=1 cmake --build "$FUZZ_BUILD" -j "$(nproc)" > /dev/null

echo "== collecting seeds from the test suite"
rm -rf "$FUZZ_BUILD/seeds"
SUITE_SEED_DIR="$TOP/$FUZZ_BUILD/seeds" ctest --test-dir "$BUILD" -j "$(nproc)" > /dev/null || true

export AFL_NO_UI=1 AFL_SKIP_CPUFREQ=1 AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1 AFL_NO_AFFINITY=1
export AFL_SKIP_BIN_CHECK=0 AFL_QUIET=1
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=0:symbolize=0:allocator_may_return_null=1
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1

programs=()
for path in "$FUZZ_BUILD"/bin/*; do
  name=$(basename "$path")
  case "$NO_INPUT" in *" $name "*) continue ;; esac
  programs+=("$name")
done

fuzz_one() {
  local name=$1 seeds="$FUZZ_BUILD/seeds/$1" corpus="$FUZZ_BUILD/corpus/$1" out="$FUZZ_BUILD/out/$1"
  rm -rf "$corpus" "$out"
  mkdir -p "$corpus"
  if [ -d "$seeds" ]; then
    # The smallest fifty of the test inputs: afl-fuzz works best from few, small seeds.
    # (The listing goes through a file: ls stopped by head's early exit
    # would fail the pipeline.)
    ls -S -r "$seeds" > "$corpus.list"
    head -n 50 "$corpus.list" | while read -r f; do cp "$seeds/$f" "$corpus/"; done
    rm -f "$corpus.list"
  fi
  [ -n "$(ls -A "$corpus")" ] || printf '1\n' > "$corpus/minimal"
  afl-fuzz -i "$corpus" -o "$out" -m none -t "$TIMEOUT_MS" -V "$SECONDS_EACH" \
    -- "$FUZZ_BUILD/bin/$name" $(args_of "$name") > "$FUZZ_BUILD/out/$name.log" 2>&1 || true
  mkdir -p "$FINDINGS/$name"
  for kind in crashes hangs; do
    for f in "$out"/default/"$kind"/id*; do
      [ -e "$f" ] && cp "$f" "$FINDINGS/$name/$kind-$(basename "$f" | tr ':,' '__')"
    done
  done
  rmdir "$FINDINGS/$name" 2>/dev/null || true
}

echo "== fuzzing ${#programs[@]} programs, $SECONDS_EACH s each, $JOBS at a time"
mkdir -p "$FUZZ_BUILD/out"
running=0
for name in "${programs[@]}"; do
  fuzz_one "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$JOBS" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

# A value of afl-fuzz's statistics; none where it did not run.
stat_of() { awk -v key="$2" -F' *: *' '$1 == key { print $2 }' "$1" 2>/dev/null || true; }
printf '\n| Program | Executions | Paths | Crashes | Hangs |\n|---|---|---|---|---|\n'
total_bad=0
for name in "${programs[@]}"; do
  stats="$FUZZ_BUILD/out/$name/default/fuzzer_stats"
  execs=$(stat_of "$stats" execs_done); paths=$(stat_of "$stats" corpus_count)
  crashes=$(stat_of "$stats" saved_crashes); hangs=$(stat_of "$stats" saved_hangs)
  printf '| %s | %s | %s | %s | %s |\n' "$name" "${execs:-?}" "${paths:-?}" "${crashes:-?}" "${hangs:-?}"
  if [ -z "$crashes" ] && [ "$SMOKE" = 1 ]; then
    echo "fuzz: afl-fuzz did not run $name; see $FUZZ_BUILD/out/$name.log" >&2
    continue
  fi
  total_bad=$((total_bad + ${crashes:-1} + ${hangs:-1}))
done
if [ "$total_bad" -gt 0 ]; then
  echo "fuzz: crashes or hangs found; inputs are under $FINDINGS/" >&2
  exit 1
fi
