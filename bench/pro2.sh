# PRO2: pro2-solve on one 200 MB body in its three modes against GNU wc
# counting the same body; the body is short lines made by pro2-maketest
# ("w" mode, the hardest case for the converter: a line start every 50
# bytes), repeated and cut at 200 MB. Then the characters per second pro2-maketest-b writes
# for a 20-line blank-to-tab case, against the same pool draws done alone
# (the bench-only build pro2-pool-draws).

printf 'w\n200000\n' | "$BIN/pro2-maketest" 2>/dev/null | tail -n +2 > "$WORK/pro2-part.txt"
: > "$WORK/pro2-body.txt"
while [ "$(stat -c %s "$WORK/pro2-body.txt")" -lt 200000000 ]; do
  cat "$WORK/pro2-part.txt" >> "$WORK/pro2-body.txt"
done
truncate -s 200000000 "$WORK/pro2-body.txt"
pro2_size=$(stat -c %s "$WORK/pro2-body.txt")
pro2_mb=$(awk -v b="$pro2_size" 'BEGIN { printf "%.0f", b / 1e6 }')
for header in "wc only" "t2b 4" "b2t 4"; do
  { printf '%s\n' "$header"; cat "$WORK/pro2-body.txt"; } > "$WORK/pro2-${header:0:1}.txt"
done

measure pro2_wc "wc '$WORK/pro2-body.txt' > '$WORK/pro2-wc.out'"
for mode in w t b; do
  case $mode in
    w) what="count only" ;;
    t) what="t2b 4" ;;
    b) what="b2t 4" ;;
  esac
  measure "pro2_$mode" "'$BIN/pro2-solve' < '$WORK/pro2-$mode.txt' > /dev/null"
  peak "pro2_$mode" "'$BIN/pro2-solve' < '$WORK/pro2-$mode.txt' > /dev/null"
  seconds_var="SECONDS_pro2_$mode"
  peak_var="PEAK_pro2_$mode"
  speedup=$(ratio "$SECONDS_pro2_wc" "${!seconds_var}")
  fast=$(at_least "$speedup" 5)
  small=$(awk -v m="${!peak_var}" 'BEGIN { print (m != "?" && m < 16) ? 1 : 0 }')
  row "pro2-solve, $what, ${pro2_mb} MB body of short lines, output to /dev/null" "${!seconds_var}" \
    "wc (lines, words, bytes)" "$SECONDS_pro2_wc" \
    "5x faster (${speedup}x), peak under 16 MB (${!peak_var} MB)" "$(verdict $((fast * small)))"
done

measure pro2_make "printf 'b\n20\n4\n' | '$BIN/pro2-maketest-b' > '$WORK/pro2-make-b.txt' 2>/dev/null"
pro2_chars=$(stat -c %s "$WORK/pro2-make-b.txt")
measure pro2_draws "echo '$pro2_chars' | '$BENCH_BIN/pro2-pool-draws' > '$WORK/pro2-draws.out'"
pro2_rate=$(awk -v c="$pro2_chars" -v s="$SECONDS_pro2_make" 'BEGIN { printf "%.1f", c / s / 1e6 }')
overhead=$(ratio "$SECONDS_pro2_make" "$SECONDS_pro2_draws")
row "pro2-maketest-b, 20-line b2t 4 case: $pro2_chars characters, $pro2_rate M characters/s" \
  "$SECONDS_pro2_make" "the same number of pool draws alone" "$SECONDS_pro2_draws" \
  "at most 1.25x the draws (${overhead}x)" "$(verdict "$(awk -v r="$overhead" 'BEGIN { print (r <= 1.25) ? 1 : 0 }')")"
