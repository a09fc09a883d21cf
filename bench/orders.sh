# 3-15: order-gen against seq writing as many numbers; the three solvers on
# order-gen's 3-15.in (the grid and bucket solvers on a copy with the prices
# mapped into 1..100,000) against sqlite3 computing the same total and wc
# reading the same file; order-validate checking 3-15.in against
# order-solve-list answering it.

offers=$(sized 2000000 200000)
orders=$(sized 10000 1000)
order_gen="'$BIN/order-gen' --seed $SEED --orders $orders --offers $offers -o '$WORK/3-15.in' > '$WORK/order-gen.out'"
eval "$order_gen"
compare order-gen "one 3-15.in, $(grouped "$(stat -c %s "$WORK/3-15.in")") bytes" "within 2x" \
  --reference "seq $((2 * offers)) > file" \
  -- "$order_gen" -- "seq $((2 * offers)) > '$WORK/seq.txt'"
rm -f "$WORK/seq.txt"

# orders_case CASE NAME: the orders and offers of CASE as two tables for
# sqlite3, and NAME.sql, which prints the total: both tables imported, each
# item's offers ranked by price with a window function, the ranks within
# the item's demand summed. The offers are the last lines; the order lines
# are the two-number lines before the offer count.
orders_case() {
  local case=$1 name=$2
  head -n -$((offers + 1)) "$case" | awk 'NF == 2' > "$WORK/$name-orders.txt"
  tail -n "$offers" "$case" > "$WORK/$name-offers.txt"
  cat > "$WORK/$name.sql" <<SQL
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

# same_total SOLVER_OUTPUT SQLITE_OUTPUT: the solver's first line is sqlite3's total.
same_total() {
  [ "$(head -n 1 "$1")" = "$(cat "$2")" ]
}

# solver_rows SOLVER CASE NAME WHAT: the solver against sqlite3 and wc.
solver_rows() {
  local solver=$1 case=$2 name=$3 what=$4
  compare "$solver" "$what" "20x faster" --reference "sqlite3 (import + window query)" \
    --check "same_total '$WORK/$solver.out' '$WORK/$name-sqlite.out'" \
    -- "'$BIN/$solver' < '$case' > '$WORK/$solver.out'" \
    -- "sqlite3 :memory: < '$WORK/$name.sql' > '$WORK/$name-sqlite.out'"
  compare "$solver" "$what" "within 2x" --reference wc \
    -- "'$BIN/$solver' < '$case' > '$WORK/$solver.out'" -- "wc < '$case' > /dev/null"
}

orders_case "$WORK/3-15.in" gen
solver_rows order-solve-list "$WORK/3-15.in" gen "3-15.in"
if built order-validate; then
  compare order-validate "3-15.in, the case order-solve-list answers" "1.3x faster" --reference order-solve-list \
    -- "'$BIN/order-validate' '$WORK/3-15.in' > '$WORK/order-validate.out'" \
    -- "'$BIN/order-solve-list' '$WORK/3-15.in' > '$WORK/order-solve-list.out'"
fi

# The same orders, each price p mapped to p mod 100000 + 1.
{ head -n -"$offers" "$WORK/3-15.in"; tail -n "$offers" "$WORK/3-15.in" | awk '{ print $1, $2 % 100000 + 1 }'; } \
  > "$WORK/3-15-in-range.in"
orders_case "$WORK/3-15-in-range.in" range
solver_rows order-solve-grid "$WORK/3-15-in-range.in" range "prices in 1..100000"
solver_rows order-solve-bucket "$WORK/3-15-in-range.in" range "prices in 1..100000"
