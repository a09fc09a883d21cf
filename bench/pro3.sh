# PRO3: 1,000 stage-3 cases, pro3-solve against the stepwise evaluation of
# the same cases (the bench-only build pro3-solve-stepwise).

printf '1000\n3\n' | "$BIN/pro3-maketest" > "$WORK/pro3-stage3.txt" 2>/dev/null
measure pro3 "'$BIN/pro3-solve' < '$WORK/pro3-stage3.txt' > '$WORK/pro3.out'"
measure pro3_steps "'$BENCH_BIN/pro3-solve-stepwise' < '$WORK/pro3-stage3.txt' > '$WORK/pro3-steps.out'"
same=$(cmp -s "$WORK/pro3.out" "$WORK/pro3-steps.out" && echo "identical output" || echo "OUTPUT DIFFERS")
speedup=$(ratio "$SECONDS_pro3_steps" "$SECONDS_pro3")
row "pro3-solve, 1,000 stage-3 cases ($same)" "$SECONDS_pro3" "stepwise loop" "$SECONDS_pro3_steps" \
  "1000x faster (${speedup}x)" "$(verdict "$(at_least "$speedup" 1000)")"
