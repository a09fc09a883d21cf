#!/usr/bin/env bash
# make bench: times each program on large inputs against a reference tool
# doing comparable work, and prints one table. Inputs are generated under
# the build folder.
set -euo pipefail

BUILD=${1:-build}
BIN=$(cd "$BUILD/bin" && pwd)
BENCH_BIN=$(cd "$BUILD/bench" 2>/dev/null && pwd || echo "")
WORK=$(mkdir -p "$BUILD/bench-data" && cd "$BUILD/bench-data" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
export BIN BENCH_BIN WORK LC_ALL=C

source "$HERE/lib.sh"
printf 'Benchmarks, %s, on %s (%s cores, %s)\n\n' "$(date -u +%Y-%m-%d)" "$(uname -m)" "$(nproc)" \
  "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
printf '| What | Program | Reference | Reference time | Target | Result |\n'
printf '|---|---|---|---|---|---|\n'
for exercise in pro3 pro2 pro6 orders transfer; do
  if [ -f "$HERE/$exercise.sh" ]; then
    source "$HERE/$exercise.sh"
  fi
done
