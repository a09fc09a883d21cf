# PRO6: pro6-maketest writes a case, the three solvers answer it.

section "PRO6: merge and search (pro6-maketest | pro6-solve, pro6-solve-b, pro6-solve-c)"

step "pro6-maketest, answers 'Length: 12 8', 'Search Item: 6', 'How many item can be found? 3':"
printf '12 8\n6\n3\n' | "$BIN/pro6-maketest" > "$WORK/pro6-small.txt" 2> "$WORK/pro6-small.err"
printf '   standard error (banner, prompts, traces):\n'
excerpt "$WORK/pro6-small.err" 14
printf '   standard output (the case):\n'
excerpt "$WORK/pro6-small.txt" 12

step "pro6-validate --strict on it: within every limit, in the maker's layout; what it holds and reaches:"
"$BIN/pro6-validate" --strict "$WORK/pro6-small.txt" | sed 's/^/   | /'

step "pro6-validate on a case whose first sequence goes down (status 1, one line naming the place):"
printf '3 1\n1 5 4\n2\n0\n' > "$WORK/pro6-descending.txt"
excerpt "$WORK/pro6-descending.txt"
"$BIN/pro6-validate" "$WORK/pro6-descending.txt" 2>&1 | sed 's/^/   /' || printf '   (exit status %d)\n' $?

step "The three solvers on the maker's case: the same answers, the traces on standard error:"
for solver in pro6-solve pro6-solve-b pro6-solve-c; do
  "$BIN/$solver" < "$WORK/pro6-small.txt" > "$WORK/$solver-small.out" 2> "$WORK/$solver-small.err"
  printf '   %s:\n' "$solver"
  excerpt "$WORK/$solver-small.out" 8
  excerpt "$WORK/$solver-small.err" 3
done
if cmp -s "$WORK/pro6-solve-small.out" "$WORK/pro6-solve-b-small.out" &&
   cmp -s "$WORK/pro6-solve-small.out" "$WORK/pro6-solve-c-small.out"; then
  printf '   the three answers are identical\n'
else
  printf '   THE ANSWERS DIFFER\n'
fi

step "Hand-written: unsorted sequences 3 1 and 2, searching 1, 3 and 4 (only pro6-solve-b sorts):"
printf '2 1\n3 1\n2\n3\n1\n3\n4\n' > "$WORK/pro6-unsorted.txt"
for solver in pro6-solve pro6-solve-b pro6-solve-c; do
  printf '   %s:\n' "$solver"
  "$BIN/$solver" < "$WORK/pro6-unsorted.txt" 2>/dev/null | sed 's/^/   | /'
done

step "A 20,000 + 20,000 case with 2,000 search values: the bubble sort of pro6-solve-b shows in its"
printf '   second trace, the linear scan of pro6-solve-c in its third:\n'
printf '20000 20000\n2000\n1000\n' | "$BIN/pro6-maketest" > "$WORK/pro6-medium.txt" 2>/dev/null
for solver in pro6-solve pro6-solve-b pro6-solve-c; do
  printf '   %s:\n' "$solver"
  timed "$solver" bash -c "'$BIN/$solver' < '$WORK/pro6-medium.txt' > '$WORK/$solver-medium.out' 2> '$WORK/$solver-medium.err'"
  excerpt "$WORK/$solver-medium.err" 3
done
cmp -s "$WORK/pro6-solve-medium.out" "$WORK/pro6-solve-b-medium.out" &&
  cmp -s "$WORK/pro6-solve-medium.out" "$WORK/pro6-solve-c-medium.out" &&
  printf '   the three answers are identical\n' || printf '   THE ANSWERS DIFFER\n'

step "pro6-maketest-b (values up to 9,999,999), a 2,000,000 + 2,000,000 case with 10,000 search values:"
timed "make" bash -c "printf '2000000 2000000\n10000\n5000\n' | '$BIN/pro6-maketest-b' > '$WORK/pro6-large.txt' 2>/dev/null"
excerpt "$WORK/pro6-large.txt" 6 80
timed "pro6-solve" bash -c "'$BIN/pro6-solve' < '$WORK/pro6-large.txt' > '$WORK/pro6-large.out' 2>/dev/null"
printf '   merged line of %d bytes, %d answer lines, %d of them "Number Not Found"\n' \
  "$(head -n 1 "$WORK/pro6-large.out" | wc -c)" "$(( $(wc -l < "$WORK/pro6-large.out") - 1 ))" \
  "$(grep -c '^Number Not Found$' "$WORK/pro6-large.out")"
timed "pro6-validate --strict" bash -c "'$BIN/pro6-validate' --strict '$WORK/pro6-large.txt' > '$WORK/pro6-large.report'"
printf '   pro6-validate: %s distinct values in the first sequence, %s of the search values found\n' \
  "$(sed -n 's/^distinct values in the first sequence: //p' "$WORK/pro6-large.report")" \
  "$(sed -n 's/^search values found in the sequences: //p' "$WORK/pro6-large.report")"
