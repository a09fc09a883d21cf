# PRO2: pro2-solve on one 200 MB body in its three modes against GNU wc
# counting the same body; the body is short lines made by pro2-maketest
# ("w" mode, the hardest case for the converter: a line start every 50
# bytes), repeated and cut at 200 MB. Then pro2-maketest-b writing a 20-line
# blank-to-tab case, against the same number of pool draws done alone (the
# bench-only build pro2-pool-draws).

pro2_bytes=$(sized 200000000 20000000)
printf 'w\n%s\n' "$(sized 200000 20000)" | "$BIN/pro2-maketest" --seed "$SEED" 2>/dev/null |
  tail -n +2 > "$WORK/pro2-part.txt"
: > "$WORK/pro2-body.txt"
while [ "$(stat -c %s "$WORK/pro2-body.txt")" -lt "$pro2_bytes" ]; do
  cat "$WORK/pro2-part.txt" >> "$WORK/pro2-body.txt"
done
truncate -s "$pro2_bytes" "$WORK/pro2-body.txt"
pro2_mb=$((pro2_bytes / 1000000))

# The header of each mode, and how the table names the mode.
pro2_headers=("wc only" "t2b 4" "b2t 4")
pro2_modes=("count only" "t2b 4" "b2t 4")
for i in "${!pro2_headers[@]}"; do
  { printf '%s\n' "${pro2_headers[$i]}"; cat "$WORK/pro2-body.txt"; } > "$WORK/pro2-case.txt"
  compare pro2-solve "${pro2_modes[$i]}, $pro2_mb MB body of short lines, output to /dev/null" "5x faster" \
    --peak 16 --reference "wc (lines, words, bytes)" \
    -- "'$BIN/pro2-solve' < '$WORK/pro2-case.txt' > /dev/null" \
    -- "wc '$WORK/pro2-body.txt' > '$WORK/pro2-wc.out'"
done
rm -f "$WORK/pro2-case.txt" "$WORK/pro2-body.txt"

pro2_lines=$(sized 20 4)
pro2_make_b="printf 'b\n$pro2_lines\n4\n' | '$BIN/pro2-maketest-b' --seed $SEED > '$WORK/pro2-make-b.txt' 2>/dev/null"
eval "$pro2_make_b"
pro2_chars=$(stat -c %s "$WORK/pro2-make-b.txt")
compare pro2-maketest-b "$pro2_lines-line b2t 4 case, $(grouped "$pro2_chars") characters" "within 1.25x" \
  --reference "the same pool draws alone (pro2-pool-draws)" \
  -- "$pro2_make_b" \
  -- "echo $pro2_chars | '$BENCH_BIN/pro2-pool-draws' > '$WORK/pro2-draws.out'"
