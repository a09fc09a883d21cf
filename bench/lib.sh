# Helpers for the benchmarks, sourced by run.sh before the exercise scripts.
#
# run.sh sources bench/NAME.sh for each NAME in its EXERCISES list that has
# a script (pro3 pro2 pro6 orders transfer judge). A script adds one row to
# the result table with one call:
#
#   compare PROGRAM CASE TARGET [OPTION]... -- PROGRAM_COMMAND -- REFERENCE_COMMAND
#
# PROGRAM is the program measured, as the table names it; CASE the input in
# a few words (the chart labels the bar with PROGRAM, CASE up to its first
# ", " and the reference up to " (" or ":"). The two commands are bash
# command strings with their own redirections. hyperfine times both in one
# call, one after the other: a warm-up run, then at least five runs each
# (quick mode: three). The table reports their medians and the ratio
# reference median / program median, so that above 1 the program is the
# faster. TARGET is one of
#
#   "Nx faster"   the ratio is at least N
#   "no slower"   the ratio is at least 1
#   "within Nx"   the program takes at most N times the reference: ratio at least 1/N
#   "-"           no timing target: the row is met when its check holds
#
# Options:
#   --reference NAME  the reference as the table names it (default: its command)
#   --peak MB         the program's peak resident memory must be at most MB
#   --check COMMAND   evaluated after the timings (an output comparison,
#                     say); the row is met only if it succeeds
#
# Before the timings PROGRAM_COMMAND runs once under /usr/bin/time for the
# peak memory column. If it fails there, or either command fails under
# hyperfine, the row says so and the bench goes on. A program that may not
# be built yet is guarded, and the table then names it as not measured:
#
#   if built exercise-judge; then
#     compare exercise-judge "100 small PRO3 cases" "within 2x" --reference "shell loop" \
#       -- "'$BIN/exercise-judge' ... > '$WORK/judge.out'" \
#       -- "bash '$WORK/judge-loop.sh' > '$WORK/judge-loop.out'"
#   fi
#
# Scripts see BIN (the suite's programs), BENCH_BIN (the bench-only
# reference programs), WORK (a scratch folder for inputs and outputs), HERE
# (this folder) and SEED (the makers' seed, so that every run measures the
# same inputs). `sized FULL QUICK` gives a size that shrinks in quick mode;
# `grouped N` writes 1000000 as 1,000,000 for a CASE.
#
# Each call leaves hyperfine's export in $RESULTS/NN-PROGRAM.json and one
# line of JSON in $RESULTS/rows.jsonl, from which report.sh writes the table
# and the chart.

# bench_fail MESSAGE: the one way a bench script gives up.
bench_fail() {
  printf 'bench: %s\n' "$1" >&2
  exit 1
}

# quick: true in quick mode (BENCH_QUICK set, and not to 0).
quick() {
  [ "${BENCH_QUICK:-0}" != 0 ]
}

# sized FULL QUICK: FULL for the full bench, QUICK in quick mode.
sized() {
  if quick; then echo "$2"; else echo "$1"; fi
}

# The makers' seed: every run measures the very same inputs.
SEED=1765000000

# built PROGRAM: true when bin/PROGRAM exists; otherwise notes it as not
# measured.
built() {
  if [ -x "$BIN/$1" ]; then
    return 0
  fi
  printf '%s\n' "$1" >> "$RESULTS/not-built.txt"
  printf 'bench: %s is not built; its row is left out\n' "$1" >&2
  return 1
}

# grouped N: N with its thousands separated by commas (1,000,000).
grouped() {
  sed ':more; s/\B[0-9]\{3\}\>/,&/; t more' <<< "$1"
}

# same_files A B: true when the two files hold the same bytes.
same_files() {
  cmp -s "$1" "$2"
}

# least_ratio TARGET: the least reference/program ratio that meets TARGET,
# as JSON (null for "-").
least_ratio() {
  local target=$1 times
  case $target in
    -) echo null ;;
    "no slower") echo 1 ;;
    "within "*x)
      times=${target#within }
      awk -v n="${times%x}" 'BEGIN { print 1 / n }' ;;
    *"x faster") echo "${target%x faster}" ;;
    *) bench_fail "compare: target \"$target\" is none of \"Nx faster\", \"no slower\", \"within Nx\", \"-\"" ;;
  esac
}

# peak_mb COMMAND: runs the command string once and prints its peak
# resident memory in megabytes; returns the command's exit status.
peak_mb() {
  local stats kb status=0
  stats=$(mktemp)
  /usr/bin/time -f '%M' -o "$stats" bash -c "$1" || status=$?
  kb=$(tail -n 1 "$stats")
  rm -f "$stats"
  [ "$status" -eq 0 ] || return "$status"
  awk -v kb="$kb" 'BEGIN { printf "%.1f\n", kb / 1024 }'
}

# compare PROGRAM CASE TARGET [OPTION]... -- PROGRAM_COMMAND -- REFERENCE_COMMAND:
# one row of the table; see the top of this file.
compare() {
  local program=$1 case=$2 target=$3 reference="" peak_limit=null check=""
  shift 3
  while [ $# -gt 0 ] && [ "$1" != -- ]; do
    case $1 in
      --reference) reference=$2 ;;
      --peak) peak_limit=$2 ;;
      --check) check=$2 ;;
      *) bench_fail "compare: unknown option $1" ;;
    esac
    shift 2
  done
  if [ $# -ne 4 ] || [ "$1" != -- ] || [ "$3" != -- ]; then
    bench_fail "compare $program: expected -- PROGRAM_COMMAND -- REFERENCE_COMMAND"
  fi
  local program_command=$2 reference_command=$4
  [ -n "$reference" ] || reference=$reference_command

  local least row number json peak=null status=0 checked=null failure=""
  least=$(least_ratio "$target")
  row=$(jq -n --arg program "$program" --arg case "$case" --arg reference "$reference" \
    --arg target "$target" --argjson least_ratio "$least" \
    --argjson peak_limit "$peak_limit" \
    '{program: $program, case: $case, reference: $reference, target: $target,
      least_ratio: $least_ratio, peak_limit: $peak_limit}')
  number=$(($(wc -l < "$RESULTS/rows.jsonl") + 1))
  json="$RESULTS/$(printf '%02d' "$number")-$program.json"
  printf '\n== %s, %s, against %s\n' "$program" "$case" "$reference"

  peak=$(peak_mb "$program_command") || status=$?
  if [ "$status" -ne 0 ]; then
    peak=null
    failure="$program exits with status $status"
  elif ! hyperfine --shell=bash --style=basic --warmup 1 "${HYPERFINE_RUNS[@]}" \
      --command-name "$program" --command-name "$reference" --export-json "$json" \
      "$program_command" "$reference_command"; then
    failure="a timing run failed"
  elif [ -n "$check" ]; then
    if eval "$check"; then checked=true; else checked=false; fi
  fi

  if [ -n "$failure" ]; then
    printf 'bench: %s, %s: %s\n' "$program" "$case" "$failure" >&2
    jq -c --arg failure "$failure" --argjson peak "$peak" '. + {failure: $failure, peak: $peak}' \
      <<< "$row" >> "$RESULTS/rows.jsonl"
    return 0
  fi
  jq -c --slurpfile timing "$json" --argjson peak "$peak" --argjson checked "$checked" \
    '. + {median: $timing[0].results[0].median, reference_median: $timing[0].results[1].median,
          runs: ($timing[0].results[0].times | length), peak: $peak, checked: $checked}' \
    <<< "$row" >> "$RESULTS/rows.jsonl"
}
