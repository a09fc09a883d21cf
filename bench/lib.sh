# Helpers for the benchmarks: wall time and peak memory of one command, and
# the rows of the result table.

# measure NAME COMMAND...: runs the command once (through bash -c when given a
# single string) and records its wall seconds in SECONDS_<NAME> and its peak
# resident kilobytes in PEAK_<NAME>.
measure() {
  local name=$1; shift
  local stats
  stats=$(mktemp)
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f '%e %M' -o "$stats" bash -c "$*"
  else
    local start end
    start=$(date +%s%N)
    bash -c "$*"
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000000 ))e-3 0" > "$stats"
  fi
  read -r secs peak < "$stats"
  rm -f "$stats"
  printf -v "SECONDS_$name" '%s' "$secs"
  printf -v "PEAK_$name" '%s' "$peak"
}

# ratio A B: A / B to two places ("inf" when B is 0).
ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN { if (b == 0) print "inf"; else printf "%.2f", a / b }'
}

# row WHAT PROGRAM_SECONDS REFERENCE REFERENCE_SECONDS TARGET VERDICT: one table row.
row() {
  printf '| %s | %s s | %s | %s s | %s | %s |\n' "$@"
}

# verdict OK: "met" or "MISSED".
verdict() {
  if [ "$1" = 1 ]; then echo met; else echo MISSED; fi
}

# at_least X Y: 1 when X >= Y.
at_least() {
  awk -v x="$1" -v y="$2" 'BEGIN { print (x >= y) ? 1 : 0 }'
}
