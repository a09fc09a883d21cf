# PRO6: pro6-maketest writing a 10,000,000 + 10,000,000 case against seq
# writing 20,000,000 numbers; pro6-solve answering that case (100,000 search
# values) against sort -m merging its two sequences, and pro6-validate
# checking it against pro6-solve answering it; the quadratic builds
# pro6-solve-b and pro6-solve-c on small cases, against pro6-solve.

pro6_length=$(sized 10000000 1000000)
pro6_queries=$(sized 100000 10000)
pro6_values="$(grouped "$pro6_length") + $(grouped "$pro6_length")"
big="$WORK/pro6-big.txt"
compare pro6-maketest "$pro6_values case" "within 4x" --reference "seq $((2 * pro6_length))" \
  -- "printf '$pro6_length $pro6_length\n$pro6_queries\n$((pro6_queries / 2))\n' |
        '$BIN/pro6-maketest' --seed $SEED > '$big' 2>/dev/null" \
  -- "seq $((2 * pro6_length)) > '$WORK/pro6-seq.txt'"
rm -f "$WORK/pro6-seq.txt"

# same_merge: pro6-solve's merged line holds sort's merge, value for value.
same_merge() {
  head -n 1 "$WORK/pro6-big.out" | tr ' ' '\n' | cmp -s - "$WORK/pro6-sorted.txt"
}
sed -n 2p "$big" | tr ' ' '\n' > "$WORK/pro6-first.txt"
sed -n 3p "$big" | tr ' ' '\n' > "$WORK/pro6-second.txt"
compare pro6-solve "$pro6_values values, $(grouped "$pro6_queries") queries" "3x faster" --peak 100 \
  --reference "LC_ALL=C sort -m -n" --check same_merge \
  -- "'$BIN/pro6-solve' < '$big' > '$WORK/pro6-big.out' 2>/dev/null" \
  -- "LC_ALL=C sort -m -n '$WORK/pro6-first.txt' '$WORK/pro6-second.txt' > '$WORK/pro6-sorted.txt'"
rm -f "$WORK/pro6-first.txt" "$WORK/pro6-second.txt" "$WORK/pro6-sorted.txt"

if built pro6-validate; then
  compare pro6-validate "$pro6_values values, $(grouped "$pro6_queries") queries, the case pro6-solve answers" \
    "2x faster" --reference pro6-solve \
    -- "'$BIN/pro6-validate' '$big' > '$WORK/pro6-validate.out'" \
    -- "'$BIN/pro6-solve' '$big' > '$WORK/pro6-big.out' 2>/dev/null"
fi

# quadratic SOLVER LENGTH QUERIES CASE: SOLVER against pro6-solve on a case
# of two sequences of LENGTH values, small enough to finish in seconds.
quadratic() {
  local solver=$1 length=$2 queries=$3 what=$4 case="$WORK/$1-case.txt"
  printf '%s %s\n%s\n%s\n' "$length" "$length" "$queries" $((queries / 2)) |
    "$BIN/pro6-maketest" --seed "$SEED" > "$case" 2>/dev/null
  compare "$solver" "$what (quadratic by design)" - --reference pro6-solve \
    --check "same_files '$WORK/$solver.out' '$WORK/$solver-fast.out'" \
    -- "'$BIN/$solver' < '$case' > '$WORK/$solver.out' 2>/dev/null" \
    -- "'$BIN/pro6-solve' < '$case' > '$WORK/$solver-fast.out' 2>/dev/null"
}
b_length=$(sized 20000 5000)
b_queries=$(sized 2000 500)
quadratic pro6-solve-b "$b_length" "$b_queries" \
  "bubble sort of $(grouped $((2 * b_length))) values, $(grouped "$b_queries") queries"
c_length=$(sized 100000 30000)
c_queries=$(sized 10000 3000)
quadratic pro6-solve-c "$c_length" "$c_queries" \
  "$(grouped $((2 * c_length))) values, linear scan for $(grouped "$c_queries") queries"
