# PRO3: stage-3 cases, pro3-solve against the stepwise evaluation of the
# same cases (the bench-only build pro3-solve-stepwise).

pro3_cases=$(sized 1000 100)
printf '%s\n3\n' "$pro3_cases" | "$BIN/pro3-maketest" --seed "$SEED" > "$WORK/pro3-stage3.txt" 2>/dev/null
compare pro3-solve "$(grouped "$pro3_cases") stage-3 cases" "1000x faster" \
  --reference "stepwise loop (pro3-solve-stepwise)" \
  --check "same_files '$WORK/pro3.out' '$WORK/pro3-steps.out'" \
  -- "'$BIN/pro3-solve' < '$WORK/pro3-stage3.txt' > '$WORK/pro3.out'" \
  -- "'$BENCH_BIN/pro3-solve-stepwise' < '$WORK/pro3-stage3.txt' > '$WORK/pro3-steps.out'"
