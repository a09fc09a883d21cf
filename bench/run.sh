#!/usr/bin/env bash
# make bench: times each program on large inputs against a reference tool
# doing comparable work (hyperfine, medians of several runs), measures its
# peak memory, and writes the result table and a chart of the ratios. Inputs
# and results go under the build folder; a full run also puts the table
# into docs/benchmarks.md (between the bench-table markers) and the chart
# into docs/bench.svg.
#
# BENCH_QUICK=1: smaller inputs and fewer runs, for trying the bench out;
# the table and chart stay in the build folder unless BENCH_WRITE=1.
# BENCH_WRITE=0 keeps a full run from touching docs/.
set -euo pipefail

BUILD=${1:-build}
HERE=$(cd "$(dirname "$0")" && pwd)
TOP=$(cd "$HERE/.." && pwd)
BIN=$(cd "$BUILD/bin" && pwd)
BENCH_BIN=$(cd "$BUILD/bench" 2>/dev/null && pwd || echo "")
WORK=$(mkdir -p "$BUILD/bench-data" && cd "$BUILD/bench-data" && pwd)
RESULTS="$WORK/results"
export BIN BENCH_BIN WORK LC_ALL=C

# Its tools (hyperfine, jq, gnuplot, sqlite3, GNU time) come from tools/deps
# bench, which make bench runs first.

# The exercise scripts in table order; one not written yet is skipped.
EXERCISES=(pro3 pro2 pro6 orders transfer judge package)

# replace_between FILE BEGIN END CONTENT: FILE with the lines between the
# marker lines BEGIN and END replaced by the file CONTENT.
replace_between() {
  local file=$1 begin=$2 end=$3 content=$4
  if ! grep -qxF "$begin" "$file" || ! grep -qxF "$end" "$file"; then
    bench_fail "$file has no lines $begin and $end"
  fi
  awk -v begin="$begin" -v end="$end" -v content="$content" '
    $0 == end { skipping = 0 }
    !skipping { print }
    $0 == begin { while ((getline line < content) > 0) print line; skipping = 1 }
  ' "$file" > "$file.new"
  mv "$file.new" "$file"
}

source "$HERE/lib.sh"
if quick; then
  HYPERFINE_RUNS=(--runs 3)
  write=${BENCH_WRITE:-0}
else
  HYPERFINE_RUNS=(--min-runs 5)
  write=${BENCH_WRITE:-1}
fi
rm -rf "$RESULTS"
mkdir -p "$RESULTS"
: > "$RESULTS/rows.jsonl"

for exercise in "${EXERCISES[@]}"; do
  if [ -f "$HERE/$exercise.sh" ]; then
    source "$HERE/$exercise.sh"
  fi
done

bash "$HERE/report.sh" "$RESULTS" "$RESULTS/table.md" "$RESULTS/bench.svg"
printf '\n'
cat "$RESULTS/table.md"
if [ "$write" = 1 ]; then
  replace_between "$TOP/docs/benchmarks.md" '<!-- bench-table:begin -->' '<!-- bench-table:end -->' "$RESULTS/table.md"
  mkdir -p "$TOP/docs"
  cp "$RESULTS/bench.svg" "$TOP/docs/bench.svg"
  printf '\nbench: table written to docs/benchmarks.md, chart to docs/bench.svg\n'
else
  printf '\nbench: table in %s, chart in %s\n' "$RESULTS/table.md" "$RESULTS/bench.svg"
fi
