# Helpers for the benchmarks: wall time and peak memory of one command, and
# the rows of the result table.

# measure NAME COMMAND: runs the command string once in this shell and
# records its wall seconds in SECONDS_<NAME>.
measure() {
  local name=$1 command=$2 start end
  start=$(date +%s%N)
  eval "$command"
  end=$(date +%s%N)
  printf -v "SECONDS_$name" '%s' "$(awk -v ns=$((end - start)) 'BEGIN { printf "%.4f", ns / 1e9 }')"
}

# peak NAME COMMAND: runs the command string once and records its peak
# resident memory in megabytes in PEAK_<NAME> ("?" without /usr/bin/time).
peak() {
  local name=$1 command=$2 stats kb
  if [ ! -x /usr/bin/time ]; then
    printf -v "PEAK_$name" '?'
    return
  fi
  stats=$(mktemp)
  /usr/bin/time -f '%M' -o "$stats" bash -c "$command"
  kb=$(tail -n 1 "$stats")
  rm -f "$stats"
  printf -v "PEAK_$name" '%s' "$(awk -v kb="$kb" 'BEGIN { printf "%.1f", kb / 1024 }')"
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
