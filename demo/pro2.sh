# PRO2: the makers write a case in each mode, pro2-solve converts and counts it.

section "PRO2: tabs and blanks (pro2-maketest | pro2-solve)"

step "pro2-maketest, answers 'First Character: w' and 'Line: 4' (count only):"
timed "make" bash -c "printf 'w\n4\n' | '$BIN/pro2-maketest' > '$WORK/pro2-w.txt' 2>/dev/null"
excerpt "$WORK/pro2-w.txt"
step "pro2-solve on it: lines, blanks and characters of the body:"
"$BIN/pro2-solve" < "$WORK/pro2-w.txt" > "$WORK/pro2-w.out"
excerpt "$WORK/pro2-w.out"

step "Mode t, 3 lines, 'Number: 4': leading tabs become four blanks (tabs shown as ->):"
timed "make" bash -c "printf 't\n3\n4\n' | '$BIN/pro2-maketest' > '$WORK/pro2-t.txt' 2>/dev/null"
excerpt "$WORK/pro2-t.txt" 4 70
timed "solve" bash -c "'$BIN/pro2-solve' < '$WORK/pro2-t.txt' > '$WORK/pro2-t.out'"
excerpt "$WORK/pro2-t.out" 3 70
printf '   count lines: %s / %s\n' "$(tail -n 2 "$WORK/pro2-t.out" | head -n 1)" "$(tail -n 1 "$WORK/pro2-t.out")"

step "Mode b, 3 lines, 'Number: 4': groups of four leading blanks become tabs:"
timed "make" bash -c "printf 'b\n3\n4\n' | '$BIN/pro2-maketest' > '$WORK/pro2-b.txt' 2>/dev/null"
excerpt "$WORK/pro2-b.txt" 4 70
timed "solve" bash -c "'$BIN/pro2-solve' < '$WORK/pro2-b.txt' > '$WORK/pro2-b.out'"
excerpt "$WORK/pro2-b.out" 3 70
printf '   count lines: %s / %s\n' "$(tail -n 2 "$WORK/pro2-b.out" | head -n 1)" "$(tail -n 1 "$WORK/pro2-b.out")"

step "Hand-written b2t 4: blanks around a tab form one group; held blanks at the end are dropped:"
printf 'b2t 4\n  \t  x\n  \tx\n      \n   ' > "$WORK/pro2-hand.txt"
excerpt "$WORK/pro2-hand.txt"
"$BIN/pro2-solve" < "$WORK/pro2-hand.txt" > "$WORK/pro2-hand.out"
excerpt "$WORK/pro2-hand.out"

step "pro2-maketest-b, mode b, 10 lines, 'Number: 8' (0 to 400,000 drawn characters a line):"
timed "make" bash -c "printf 'b\n10\n8\n' | '$BIN/pro2-maketest-b' > '$WORK/pro2-long.txt' 2>/dev/null"
printf '   %d bytes, longest line %d characters\n' "$(wc -c < "$WORK/pro2-long.txt")" \
  "$(awk '{ if (length($0) > m) m = length($0) } END { print m }' "$WORK/pro2-long.txt")"
timed "solve" bash -c "'$BIN/pro2-solve' < '$WORK/pro2-long.txt' > '$WORK/pro2-long.out'"
printf '   count lines: %s / %s\n' "$(tail -n 2 "$WORK/pro2-long.out" | head -n 1)" "$(tail -n 1 "$WORK/pro2-long.out")"

step "pro2-validate --strict on the mode t case: within every limit, and the extremes it reaches:"
"$BIN/pro2-validate" --strict "$WORK/pro2-t.txt" > "$WORK/pro2-t.report"
excerpt "$WORK/pro2-t.report" 20
step "The hand-written b2t case is valid as the format goes, but not as the makers write it (no final newline):"
"$BIN/pro2-validate" "$WORK/pro2-hand.txt" > "$WORK/pro2-hand.report"
excerpt "$WORK/pro2-hand.report" 4
status=0
"$BIN/pro2-validate" --strict "$WORK/pro2-hand.txt" 2> "$WORK/pro2-hand.err" || status=$?
excerpt "$WORK/pro2-hand.err"
printf '   (exit status %d)\n' "$status"
