# 3-15: order-gen against seq writing as many numbers; the three solvers on
# order-gen's 3-15.in (the grid and bucket solvers on a copy with the prices
# mapped into 1..100,000) against sqlite3 computing the same total and wc
# reading the same file.

measure order_gen "(cd '$WORK' && '$BIN/order-gen' > '$WORK/order-gen.out')"
measure seq "seq 4000000 > '$WORK/seq.txt'"
ratio_gen=$(ratio "$SECONDS_order_gen" "$SECONDS_seq")
row "order-gen, one 3-15.in ($(wc -c < "$WORK/3-15.in") bytes)" "$SECONDS_order_gen" "seq 4000000 > file" \
  "$SECONDS_seq" "within 2x (${ratio_gen}x)" "$(verdict "$(at_least 2 "$ratio_gen")")"

# The offers are the last 2,000,000 lines; the order lines the two-number
# lines before the offer count.
orders_case() {
  local case=$1 name=$2
  head -n -2000001 "$case" | awk 'NF == 2' > "$WORK/$name-orders.txt"
  tail -n 2000000 "$case" > "$WORK/$name-offers.txt"
}

# The total by sqlite3: both tables imported, each item's offers ranked by
# price with a window function, the ranks within the item's demand summed.
sqlite_total() {
  local name=$1
  sqlite3 :memory: > "$WORK/$name-sqlite.out" <<SQL
CREATE TABLE orders(item INTEGER, quantity INTEGER);
CREATE TABLE offers(item INTEGER, price INTEGER);
.mode list
.separator " "
.import '$WORK/$name-orders.txt' orders
.import '$WORK/$name-offers.txt' offers
WITH demand AS (SELECT item, SUM(quantity) AS units FROM orders GROUP BY item),
ranked AS (SELECT item, price, ROW_NUMBER() OVER (PARTITION BY item ORDER BY price) AS rank FROM offers)
SELECT COALESCE(SUM(price), 0) FROM ranked JOIN demand USING (item) WHERE rank <= units;
SQL
}

# solver_rows SOLVER CASE NAME LABEL: the solver against sqlite3 and wc.
solver_rows() {
  local solver=$1 case=$2 name=$3 label=$4
  measure solver "'$BIN/$solver' < '$case' > '$WORK/$solver.out'"
  measure wc "wc < '$case' > /dev/null"
  local same speedup within
  same=$([ "$(head -n 1 "$WORK/$solver.out")" = "$(cat "$WORK/$name-sqlite.out")" ] && echo "same total" || echo "TOTALS DIFFER")
  speedup=$(ratio "$SECONDS_sqlite" "$SECONDS_solver")
  row "$solver, $label ($same)" "$SECONDS_solver" "sqlite3 import + window query" "$SECONDS_sqlite" \
    "20x faster (${speedup}x)" "$(verdict "$(at_least "$speedup" 20)")"
  within=$(ratio "$SECONDS_solver" "$SECONDS_wc")
  row "$solver, $label" "$SECONDS_solver" "wc" "$SECONDS_wc" "within 2x (${within}x)" \
    "$(verdict "$(at_least 2 "$within")")"
}

orders_case "$WORK/3-15.in" gen
measure sqlite "sqlite_total gen"
solver_rows order-solve-list "$WORK/3-15.in" gen "3-15.in"

# The same orders, each price p mapped to p mod 100000 + 1.
{ head -n -2000000 "$WORK/3-15.in"; tail -n 2000000 "$WORK/3-15.in" | awk '{ print $1, $2 % 100000 + 1 }'; } \
  > "$WORK/3-15-in-range.in"
orders_case "$WORK/3-15-in-range.in" range
measure sqlite "sqlite_total range"
solver_rows order-solve-grid "$WORK/3-15-in-range.in" range "prices in 1..100000"
solver_rows order-solve-bucket "$WORK/3-15-in-range.in" range "prices in 1..100000"
