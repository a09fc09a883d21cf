# exercise-judge: the suite's variant solvers judged against the references
# on cases their limits allow; every case must pass.

section "Judging solutions (exercise-judge)"

judge_ok=1
judge_missing=""
for validator in pro6-validate order-validate; do
  [ -x "$BIN/$validator" ] || judge_missing="$judge_missing $validator"
done

# judge_step TEXT ARG...: runs exercise-judge with the arguments, shows its
# table, and notes a failure.
judge_step() {
  step "$1"
  shift
  if "$BIN/exercise-judge" "$@" > "$WORK/judge.out" 2> "$WORK/judge.err"; then
    sed 's/^/   /' "$WORK/judge.out"
  else
    judge_ok=0
    sed 's/^/   /' "$WORK/judge.out" "$WORK/judge.err"
  fi
}

if [ ! -x "$BIN/exercise-judge" ]; then
  printf '\n   (skipped: exercise-judge is not built; see "Building" in README.md)\n'
elif [ -n "$judge_missing" ]; then
  printf '\n   (skipped: the validators%s are not built)\n' "$judge_missing"
else
  judge_step "pro6-solve-b (bubble sort) against pro6-solve, 10 small cases:" \
    --cases 10 --seed 1765000000 pro6 -- pro6-solve-b
  judge_step "pro6-solve-c (linear scan) against pro6-solve, 10 small cases:" \
    --cases 10 --seed 1765000000 pro6 -- pro6-solve-c
  judge_step "order-solve-bucket against order-solve-grid, whose cases have prices up to 100,000:" \
    --cases 5 --seed 1765000000 --reference order-solve-grid 3-15 -- order-solve-bucket
  judge_step "order-solve-grid against order-solve-list, on cases priced for the grid:" \
    --cases 5 --seed 1765000000 --answers '--orders 100 --offers 21015 --max-price 100000' \
    3-15 -- order-solve-grid
  if [ "$judge_ok" = 1 ]; then
    printf '\n   every case passed\n'
  else
    printf '\n   A CASE FAILED\n'
  fi

  # A class of submissions in C, C++ and Python, a folder per student, on
  # three groups of cases with points (the README's tour): anna and ben pass
  # all; dan's scan and eve's stack array pass the small group and the edge
  # cases (dan is far over the limit on the large group, eve crashes there);
  # carla counts from 0, which only 3 edge cases (those that find nothing)
  # forgive, and finn does not compile.
  step "A class of six PRO6 students (demo/class, a folder each), 3 small cases for 30 points, 3 larger ones for 50 and the 16 edge cases for 20, 1 s each:"
  "$BIN/exercise-judge" --size small --answers '20000 20000\n4000\n2000\n' --edges --points 30,50,20 --cases 3 \
    --seed 1765000000 --time-limit 1 --csv "$WORK/class.csv" --html "$WORK/class.html" pro6 "$HERE/class" \
    > "$WORK/class.out" 2> "$WORK/class.err" || true
  sed 's/^/   /' "$WORK/class.out" | cut -c 1-150
  scores=$(tail -n +2 "$WORK/class.csv" | tr -d '\r' | awk -F, '{ printf "%s=%s ", $1, $NF }')
  if [ "$scores" = "anna=100 ben=100 carla=3.75 dan=50 eve=50 finn=0 " ]; then
    printf '\n   as expected: %s(grades in %s, the page in %s)\n' "$scores" "$WORK/class.csv" "$WORK/class.html"
  else
    printf '\n   NOT AS EXPECTED: %s\n' "$scores"
    sed 's/^/   /' "$WORK/class.err"
  fi
fi
