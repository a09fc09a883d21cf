# PRO6: pro6-maketest writing a 10,000,000 + 10,000,000 case against seq
# writing 20,000,000 numbers; pro6-solve answering that case (100,000 search
# values) against sort -m merging its two sequences; the quadratic builds
# pro6-solve-b and pro6-solve-c on small cases, against pro6-solve.

big="$WORK/pro6-big.txt"
measure pro6_make "printf '10000000 10000000\n100000\n50000\n' | '$BIN/pro6-maketest' > '$big' 2>/dev/null"
measure pro6_seq "seq 20000000 > '$WORK/pro6-seq.txt'"
times=$(ratio "$SECONDS_pro6_make" "$SECONDS_pro6_seq")
row "pro6-maketest, 10,000,000 + 10,000,000 case" "$SECONDS_pro6_make" "seq 20000000" "$SECONDS_pro6_seq" \
  "within 4x of seq (${times}x)" "$(verdict "$(at_least 4 "$times")")"

sed -n 2p "$big" | tr ' ' '\n' > "$WORK/pro6-first.txt"
sed -n 3p "$big" | tr ' ' '\n' > "$WORK/pro6-second.txt"
measure pro6_sort "sort -m -n '$WORK/pro6-first.txt' '$WORK/pro6-second.txt' > '$WORK/pro6-sorted.txt'"
measure pro6_solve "'$BIN/pro6-solve' < '$big' > '$WORK/pro6-big.out' 2>/dev/null"
same=$(head -n 1 "$WORK/pro6-big.out" | tr ' ' '\n' | cmp -s - "$WORK/pro6-sorted.txt" &&
  echo "merged line as sort's" || echo "MERGED LINE DIFFERS")
speedup=$(ratio "$SECONDS_pro6_sort" "$SECONDS_pro6_solve")
row "pro6-solve, 10,000,000 + 10,000,000 values, 100,000 queries ($same)" "$SECONDS_pro6_solve" \
  "sort -m -n" "$SECONDS_pro6_sort" "1.5x faster (${speedup}x)" "$(verdict "$(at_least "$speedup" 1.5)")"
rm -f "$WORK/pro6-seq.txt" "$WORK/pro6-first.txt" "$WORK/pro6-second.txt" "$WORK/pro6-sorted.txt"

# The quadratic builds: a case each small enough to finish in seconds.
quadratic() {
  local solver=$1 lengths=$2 queries=$3 label=$4 case="$WORK/$1-case.txt"
  printf '%s\n%s\n%s\n' "$lengths" "$queries" $((queries / 2)) | "$BIN/pro6-maketest" > "$case" 2>/dev/null
  measure quad_fast "'$BIN/pro6-solve' < '$case' > '$WORK/$solver-fast.out' 2>/dev/null"
  measure quad_slow "'$BIN/$solver' < '$case' > '$WORK/$solver.out' 2>/dev/null"
  local ok=0
  cmp -s "$WORK/$solver-fast.out" "$WORK/$solver.out" && ok=1
  row "$solver, $label (quadratic by design)" "$SECONDS_quad_slow" "pro6-solve" "$SECONDS_quad_fast" \
    "finishes, same answers" "$(verdict "$ok")"
}
quadratic pro6-solve-b "20000 20000" 2000 "bubble sort of 40,000 values, 2,000 queries"
quadratic pro6-solve-c "100000 100000" 10000 "200,000 values, linear scan for 10,000 queries"
