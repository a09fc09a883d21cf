# exercise-judge's overhead: judging 100 small PRO3 cases (pro3-maketest
# answers "10 1", pro3-solve as the solution) against doing the same work
# from a shell loop: for each seed, the maker, the validator, the reference
# and the solution, and a comparison of the two outputs. Hyperfine, five runs
# of each in one call, medians; the judge with --sandbox none and, where it
# runs, --sandbox bwrap. Target: the judge at most 2x the loop.
#
# Needs BIN (the programs) and WORK (a scratch folder), as bench/run.sh sets
# them; on its own: bash bench/judge.sh [BUILD]. Prints one table row per
# sandbox mode: | What | Program | Reference | Reference time | Target | Result |

BIN=${BIN:-$(cd "${1:-build}/bin" && pwd)}
WORK=${WORK:-$(mkdir -p "${1:-build}/bench-data" && cd "${1:-build}/bench-data" && pwd)}
judge_cases=100
judge_seed=1765000000

if ! command -v hyperfine > /dev/null; then
  printf '| exercise-judge overhead | - | shell loop | - | at most 2x | skipped: hyperfine is not installed |\n'
  return 0 2> /dev/null || exit 0
fi

# The loop, written out so that hyperfine runs it as one command.
cat > "$WORK/judge-loop.sh" << EOF
for i in \$(seq 0 $((judge_cases - 1))); do
  printf '10\\n1\\n' | '$BIN/pro3-maketest' --seed \$(($judge_seed + i)) > '$WORK/judge-case.in' 2> /dev/null
  '$BIN/pro3-validate' '$WORK/judge-case.in' > /dev/null
  '$BIN/pro3-solve' < '$WORK/judge-case.in' > '$WORK/judge-expected'
  '$BIN/pro3-solve' < '$WORK/judge-case.in' > '$WORK/judge-found'
  cmp -s '$WORK/judge-expected' '$WORK/judge-found'
done
EOF

judge_command() {
  printf "'%s' --cases %d --seed %d --sandbox %s pro3 -- '%s'" \
    "$BIN/exercise-judge" "$judge_cases" "$judge_seed" "$1" "$BIN/pro3-solve"
}

judge_modes="none"
if eval "$(judge_command bwrap | sed "s/--cases $judge_cases/--cases 1/")" > /dev/null 2>&1; then
  judge_modes="none bwrap"
fi

hyperfine_args=(--runs 5 --warmup 1 --export-json "$WORK/judge.json" -n loop "bash '$WORK/judge-loop.sh'")
for mode in $judge_modes; do
  hyperfine_args+=(-n "$mode" "$(judge_command "$mode")")
done
hyperfine "${hyperfine_args[@]}" > "$WORK/judge-hyperfine.txt"

# The medians, in the order of the commands: the loop first.
mapfile -t judge_medians < <(sed -n 's/.*"median": *\([0-9.eE+-]*\).*/\1/p' "$WORK/judge.json")
judge_loop_seconds=${judge_medians[0]}
index=1
for mode in $judge_modes; do
  seconds=${judge_medians[$index]}
  factor=$(awk -v a="$seconds" -v b="$judge_loop_seconds" 'BEGIN { printf "%.2f", a / b }')
  result=$(awk -v f="$factor" 'BEGIN { print (f <= 2) ? "met" : "MISSED" }')
  printf '| exercise-judge, %d small PRO3 cases, pro3-solve judged (--sandbox %s), median of 5 | %.4f s | shell loop: maker, validator, reference, solution, cmp | %.4f s | at most 2x (%sx) | %s |\n' \
    "$judge_cases" "$mode" "$seconds" "$judge_loop_seconds" "$factor" "$result"
  index=$((index + 1))
done
