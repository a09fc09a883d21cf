# exercise-judge: its overhead on 100 small PRO3 cases (pro3-maketest
# answers "10 1", pro3-solve as the solution) against a shell loop doing the
# same work: for each seed the maker, the validator, the reference and the
# solution, and cmp of the two outputs. One row per sandbox mode that runs
# here (bwrap is tried first); target: the judge within 2x the loop.

judge_cases=$(sized 100 20)
cat > "$WORK/judge-loop.sh" << EOF
for i in \$(seq 0 $((judge_cases - 1))); do
  printf '10\\n1\\n' | '$BIN/pro3-maketest' --seed \$(($SEED + i)) > '$WORK/judge-case.in' 2> /dev/null
  '$BIN/pro3-validate' '$WORK/judge-case.in' > /dev/null
  '$BIN/pro3-solve' < '$WORK/judge-case.in' > '$WORK/judge-expected'
  '$BIN/pro3-solve' < '$WORK/judge-case.in' > '$WORK/judge-found'
  cmp -s '$WORK/judge-expected' '$WORK/judge-found'
done
EOF

# judge_in MODE [CASES]: the judge's command line in a sandbox mode.
judge_in() {
  printf "'%s' --cases %d --seed %d --sandbox %s pro3 -- '%s'" \
    "$BIN/exercise-judge" "${2:-$judge_cases}" "$SEED" "$1" "$BIN/pro3-solve"
}

if built exercise-judge && built pro3-validate; then
  for judge_mode in none bwrap; do
    if [ "$judge_mode" = bwrap ] && ! eval "$(judge_in bwrap 1)" > /dev/null 2>&1; then
      printf 'bench: bwrap cannot run here; exercise-judge is measured without a sandbox only\n' >&2
      continue
    fi
    judge_where=$([ "$judge_mode" = none ] && echo "without a sandbox" || echo "in bwrap")
    compare exercise-judge "$(grouped "$judge_cases") small PRO3 cases $judge_where" "within 2x" \
      --reference "shell loop: maker, validator, reference, solution, cmp" \
      -- "$(judge_in "$judge_mode") > '$WORK/judge.out'" \
      -- "bash '$WORK/judge-loop.sh'"
  done
fi
