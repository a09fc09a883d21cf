# PRO3: pro3-maketest writes cases, pro3-solve answers them.

section "PRO3: sequence terms (pro3-maketest | pro3-solve)"

step "pro3-maketest, answers 'Line: 6' and 'Stage: 1' (small n):"
timed "make" bash -c "printf '6\n1\n' | '$BIN/pro3-maketest' > '$WORK/pro3-stage1.txt' 2>/dev/null"
excerpt "$WORK/pro3-stage1.txt"
step "pro3-solve on them, one answer per case (radix dec):"
timed "solve" bash -c "'$BIN/pro3-solve' < '$WORK/pro3-stage1.txt' > '$WORK/pro3-stage1.out'"
excerpt "$WORK/pro3-stage1.out"

step "Stage 4: n near 2,500,000 and a random radix, 4 cases:"
timed "make" bash -c "printf '4\n4\n' | '$BIN/pro3-maketest' > '$WORK/pro3-stage4.txt' 2>/dev/null"
excerpt "$WORK/pro3-stage4.txt"
timed "solve" bash -c "'$BIN/pro3-solve' < '$WORK/pro3-stage4.txt' > '$WORK/pro3-stage4.out'"
excerpt "$WORK/pro3-stage4.out"

step "Hand-written cases: the sentences for 8, 9 and 7, and -5 in four radixes:"
printf '%s\n' \
  "p=1 q=1 r=0 a1=1 a2=1 n=6 s=dec" \
  "p=0 q=0 r=9 a1=0 a2=0 n=3 s=hex" \
  "r=7 x x x x x x" \
  "r=-5 s=dec x x x x x" \
  "s=oct x x x x x x" \
  "s=hex x x x x x x" \
  "s=bin x x x x x x" > "$WORK/pro3-hand.txt"
excerpt "$WORK/pro3-hand.txt"
"$BIN/pro3-solve" < "$WORK/pro3-hand.txt" > "$WORK/pro3-hand.out"
excerpt "$WORK/pro3-hand.out"

step "1,000 stage-3 cases (n near 2,500,000 each):"
timed "make" bash -c "printf '1000\n3\n' | '$BIN/pro3-maketest' > '$WORK/pro3-stage3.txt' 2>/dev/null"
timed "solve" bash -c "'$BIN/pro3-solve' < '$WORK/pro3-stage3.txt' > '$WORK/pro3-stage3.out'"
printf '   %d answers, the first: %s\n' "$(wc -l < "$WORK/pro3-stage3.out")" "$(head -n 1 "$WORK/pro3-stage3.out")"

step "pro3-validate --strict on the stage-4 cases: within every limit, and the extremes they reach:"
"$BIN/pro3-validate" --strict "$WORK/pro3-stage4.txt" > "$WORK/pro3-stage4.report"
excerpt "$WORK/pro3-stage4.report" 20
step "A case asking for n = 2,500,001 is rejected, at the token that set n:"
printf 'p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\nn=2500001 x x x x x x\n' > "$WORK/pro3-bad.txt"
excerpt "$WORK/pro3-bad.txt"
status=0
"$BIN/pro3-validate" "$WORK/pro3-bad.txt" 2> "$WORK/pro3-bad.err" || status=$?
excerpt "$WORK/pro3-bad.err"
printf '   (exit status %d)\n' "$status"
