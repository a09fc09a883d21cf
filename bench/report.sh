#!/usr/bin/env bash
# report.sh RESULTS TABLE CHART: from the rows compare left in
# RESULTS/rows.jsonl, writes the markdown TABLE (a line on the machine, then
# one row per comparison) and the bar CHART of each row's ratio against its
# target (SVG, through chart.gp).
set -euo pipefail

RESULTS=$1
TABLE=$2
CHART=$3
HERE=$(cd "$(dirname "$0")" && pwd)
ROWS="$RESULTS/rows.jsonl"

# rows_tsv: one tab-separated line per row: program, case, median, reference,
# reference median, ratio, target, least ratio, whether a check ran, peak,
# peak limit, verdict. Missing figures are empty.
rows_tsv() {
  jq -r '
    def ratio: if .median == null or .median == 0 then null else .reference_median / .median end;
    def verdict:
      if .failure then "MISSED (\(.failure))"
      else [ (if .least_ratio != null and ratio < .least_ratio then "too slow" else empty end),
             (if .peak_limit != null and (.peak == null or .peak > .peak_limit) then "too much memory" else empty end),
             (if .checked == false then "output check failed" else empty end) ]
           | if length == 0 then "met" else "MISSED (" + join(", ") + ")" end
      end;
    [.program, .case, .median, .reference, .reference_median, ratio, .target, .least_ratio,
     (.checked != null), .peak, .peak_limit, verdict]
    | map(if . == null then "" else . end) | @tsv' "$ROWS"
}

# processor: the processor's model name, with its family and model numbers
# where /proc/cpuinfo has them (a virtual machine may name no more than
# "AMD EPYC", and the numbers tell its generations apart).
processor() {
  awk -F '\t*: *' '
    $1 == "model name" && name == "" { name = $2 }
    $1 == "cpu family" && family == "" { family = $2 }
    $1 == "model" && model == "" { model = $2 }
    END {
      if (name == "") name = "unknown processor"
      if (family != "" && model != "") name = name " (family " family ", model " model ")"
      print name
    }' /proc/cpuinfo
}

# machine_line: what the table was measured on, when, and how.
machine_line() {
  local cpu memory runs="at least 5 runs" mode=""
  cpu=$(processor)
  memory=$(awk '/^MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)
  if [ "${BENCH_QUICK:-0}" != 0 ]; then
    runs="3 runs"
    mode=" Quick mode (BENCH_QUICK): small inputs, not figures to compare."
  fi
  printf 'Measured with `make bench` on %s: %s, %s cores, %s memory, %s; %s, medians of %s after a warm-up run.%s\n' \
    "$(date -u +%Y-%m-%d)" "${cpu:-unknown CPU}" "$(nproc)" "$memory" "$(uname -m)" "$(hyperfine --version)" \
    "$runs" "$mode"
}

# The table's cells from rows_tsv's fields. Times under a second in
# milliseconds; ratios with two significant digits or more.
format_table() {
  awk -F '\t' '
    function seconds(t) {
      if (t == "") return "–"
      return t < 1 ? sprintf("%.1f ms", t * 1000) : sprintf("%.3f s", t)
    }
    function times(r) {
      if (r == "") return "–"
      return sprintf(r >= 100 ? "%.0fx" : r >= 10 ? "%.1fx" : r >= 0.1 ? "%.2fx" : "%.2gx", r)
    }
    function target(text, least, checked, limit,   out) {
      out = text == "-" ? "finishes" : text
      if (text ~ /^within|^no slower/) out = out sprintf(" (ratio ≥ %g)", least)
      if (limit != "") out = out sprintf(", peak ≤ %g MB", limit)
      if (checked == "true") out = out ", output checked"
      return out
    }
    BEGIN {
      print "| Program | Case | Median | Reference | Reference median | Ratio | Target | Result | Peak memory |"
      print "|---|---|---|---|---|---|---|---|---|"
    }
    {
      printf "| %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", $1, $2, seconds($3), $4, seconds($5),
        times($6), target($7, $8, $9, $11), $12, $10 == "" ? "–" : sprintf("%.1f MB", $10)
    }'
}

# write_table: the machine line, the table, and the programs not built.
write_table() {
  machine_line
  printf '\nRatio: the reference median divided by ours (above 1: ours is faster). Peak memory: the program'\''s\n'
  printf 'peak resident set, from `/usr/bin/time -f %%M`.\n\n'
  rows_tsv | format_table
  if [ -s "$RESULTS/not-built.txt" ]; then
    printf '\nNot measured (not built): %s.\n' "$(paste -sd, "$RESULTS/not-built.txt" | sed 's/,/, /g')"
  fi
}

# chart_tsv: one line per row for the chart: its label (program, case up to
# the first ", ", reference up to " (" or ":"), ratio, least ratio, 1 when
# met.
chart_tsv() {
  rows_tsv | awk -F '\t' -v OFS='\t' '{
    what = $2; sub(/, .*/, "", what)
    reference = $4; sub(/ \(.*/, "", reference); sub(/:.*/, "", reference)
    print $1 ", " what " vs " reference, $6, $8, $12 == "met" ? 1 : 0
  }'
}

# draw_chart: chart.gp over chart_tsv, the x range in whole powers of ten
# from below the smallest ratio or target to well past the largest, so that
# each bar's figure fits to its right.
draw_chart() {
  local data="$RESULTS/chart.tsv" rows range
  chart_tsv > "$data"
  rows=$(wc -l < "$data")
  range=$(awk -F '\t' '
    function floor(x) { return x == int(x) || x > 0 ? int(x) : int(x) - 1 }
    function log10(x) { return log(x) / log(10) }
    { for (i = 2; i <= 3; i++) if ($i != "") { lo = (lo == "" || $i < lo) ? $i : lo; hi = (hi == "" || $i > hi) ? $i : hi } }
    END {
      if (lo == "") { lo = 1; hi = 1 }
      printf "xmin=%g; xmax=%g", 10 ^ floor(log10(lo / 2)), 10 ^ (floor(log10(hi * 8)) + 1)
    }' "$data")
  gnuplot -e "data='$data'; output='$CHART'; rows=$rows; $range" "$HERE/chart.gp"
}

write_table > "$TABLE"
draw_chart
