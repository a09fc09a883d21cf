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

# Ten solutions on the same medium PRO6 cases (10,000 + 10,000 values, 1,000
# search values): the suite's pro6-solve and pro6-solve-c and the eight small
# sources of bench/solutions, four in C (compiled beforehand: compiling is
# the next row's) and four in Python. The loop makes, validates and answers
# each case once and runs the ten on it, comparing with cmp; the judge does
# the same, once without a sandbox and once in bwrap.
matrix_cases=$(sized 20 4)
# Python as the judge runs it: the interpreter on a solution's own PATH.
python=$(PATH=/usr/local/bin:/usr/bin:/bin command -v python3)
matrix_folder="$WORK/judge-solutions"
rm -rf "$matrix_folder"
mkdir -p "$matrix_folder"
matrix_solutions=("$BIN/pro6-solve" "$BIN/pro6-solve-c")
for source in "$HERE"/solutions/*.c; do
  gcc -std=c17 -O2 -o "$matrix_folder/$(basename "$source" .c)" "$source" -lm
  matrix_solutions+=("$matrix_folder/$(basename "$source" .c)")
done
for source in "$HERE"/solutions/*.py; do
  cp "$source" "$matrix_folder/"
  matrix_solutions+=("$matrix_folder/$(basename "$source")")
done
{
  printf 'for i in $(seq 0 %d); do\n' $((matrix_cases - 1))
  printf "  printf '10000 10000\\n1000\\n500\\n' | '%s' --seed \$((%d + i)) > '%s' 2> /dev/null\n" \
    "$BIN/pro6-maketest" "$SEED" "$WORK/matrix-case.in"
  printf "  '%s' '%s' > /dev/null\n" "$BIN/pro6-validate" "$WORK/matrix-case.in"
  printf "  '%s' < '%s' > '%s' 2> /dev/null\n" "$BIN/pro6-solve" "$WORK/matrix-case.in" "$WORK/matrix-expected"
  for solution in "${matrix_solutions[@]}"; do
    runner=""
    [[ $solution == *.py ]] && runner="'$python' "
    printf "  %s'%s' < '%s' > '%s' 2> /dev/null\n" "$runner" "$solution" "$WORK/matrix-case.in" "$WORK/matrix-found"
    printf "  cmp -s '%s' '%s'\n" "$WORK/matrix-expected" "$WORK/matrix-found"
  done
  printf 'done\n'
} > "$WORK/matrix-loop.sh"

# Without a sandbox the judge's own work must stay within 1.2x; in bwrap,
# whose start costs some 6 ms a run (200 runs here), within 2x, as for the
# overhead rows above.
if built exercise-judge && built pro6-validate; then
  for judge_mode in none bwrap; do
    [ "$judge_mode" = none ] && matrix_target="within 1.2x" || matrix_target="within 2x"
    judge_where=$([ "$judge_mode" = none ] && echo "without a sandbox" || echo "in bwrap")
    compare exercise-judge "10 solutions on $(grouped "$matrix_cases") medium PRO6 cases $judge_where, one table" \
      "$matrix_target" --reference "shell loop: each case made, validated and answered once, the ten run, cmp" \
      -- "'$BIN/exercise-judge' --sandbox $judge_mode --size medium --cases $matrix_cases --seed $SEED pro6 $(printf "'%s' " "${matrix_solutions[@]}") > '$WORK/matrix.out'" \
      -- "bash '$WORK/matrix-loop.sh'"
  done
fi

# Compiling: the eight sources compiled (C) or checked (Python) by the
# judge in its sandbox and judged on one small case, against the compilers
# and a syntax check called directly and the same case run by hand.
{
  for source in "$HERE"/solutions/*.c; do
    printf "gcc -std=c17 -O2 -pipe -o '%s' '%s' -lm\n" "$WORK/compiled-$(basename "$source" .c)" "$source"
  done
  for source in "$HERE"/solutions/*.py; do
    printf "'%s' -c 'import ast, sys; ast.parse(open(sys.argv[1], \"rb\").read(), sys.argv[1])' '%s'\n" "$python" "$source"
  done
  printf "printf '10 10\\n10\\n5\\n' | '%s' --seed %d > '%s' 2> /dev/null\n" "$BIN/pro6-maketest" "$SEED" "$WORK/compile-case.in"
  printf "'%s' '%s' > /dev/null\n" "$BIN/pro6-validate" "$WORK/compile-case.in"
  printf "'%s' < '%s' > '%s' 2> /dev/null\n" "$BIN/pro6-solve" "$WORK/compile-case.in" "$WORK/compile-expected"
  for source in "$HERE"/solutions/*.c; do
    printf "'%s' < '%s' | cmp -s - '%s'\n" "$WORK/compiled-$(basename "$source" .c)" "$WORK/compile-case.in" "$WORK/compile-expected"
  done
  for source in "$HERE"/solutions/*.py; do
    printf "'%s' '%s' < '%s' | cmp -s - '%s'\n" "$python" "$source" "$WORK/compile-case.in" "$WORK/compile-expected"
  done
} > "$WORK/compile-loop.sh"

if built exercise-judge && built pro6-validate; then
  compare exercise-judge "8 sources compiled, one small PRO6 case" "within 1.5x" \
    --reference "gcc and a Python syntax check called directly, the case run by hand" \
    -- "'$BIN/exercise-judge' --cases 1 --seed $SEED pro6 '$HERE/solutions' > '$WORK/compile.out'" \
    -- "bash '$WORK/compile-loop.sh'"
fi
