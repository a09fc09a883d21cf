# 3-15: order-gen writes 3-15.in, order-solve-list totals it, and all three
# solvers agree on order data whose prices suit them all.

section "3-15: order totals (order-gen, order-solve-list, order-solve-grid, order-solve-bucket)"

step "The worked case: two orders, six offers (785 takes 2 + 7 + 7, 790 takes 4):"
printf '2\n2\n785 2\n790 1\n\n1\n785 1\n\n6\n785 10\n785 7\n790 4\n785 2\n785 7\n200 1\n' > "$WORK/orders-small.in"
excerpt "$WORK/orders-small.in" 20
for solver in order-solve-list order-solve-grid order-solve-bucket; do
  printf '   %-19s total %s, clock %s ms\n' "$solver:" $("$BIN/$solver" < "$WORK/orders-small.in")
done

step "order-gen in $WORK: 10,000 orders and 2,000,000 shuffled offers into 3-15.in:"
timed "generate" bash -c "cd '$WORK' && '$BIN/order-gen' > '$WORK/order-gen.out'"
printf '   console: "%s", %d progress marks (\\r0 ... \\r1999900), the clock reading %s ms behind the last\n' \
  "$(head -n 1 "$WORK/order-gen.out" | tr -d '\b')" "$(tr -cd '\r' < "$WORK/order-gen.out" | wc -c)" \
  "$(tail -n 1 "$WORK/order-gen.out" | tr '\r' '\n' | tail -n 1 | sed 's/^1999900//')"
excerpt "$WORK/3-15.in" 12
printf '   the offers end with:\n'
tail -n 3 "$WORK/3-15.in" | sed 's/^/   | /'

step "order-validate --strict --for order-solve-list on 3-15.in: what it holds, which solvers it suits:"
timed "validate" bash -c "'$BIN/order-validate' --strict --for order-solve-list '$WORK/3-15.in' > '$WORK/3-15.report'"
sed 's/^/   | /' "$WORK/3-15.report"

step "order-validate --for order-solve-grid on 3-15.in: its prices are out of the grid's range (status 1):"
"$BIN/order-validate" --for order-solve-grid "$WORK/3-15.in" 2>&1 | sed 's/^/   /' || printf '   (exit status %d)\n' $?

step "order-solve-list on 3-15.in (prices up to 2,147,483,647):"
timed "solve" bash -c "'$BIN/order-solve-list' < '$WORK/3-15.in' > '$WORK/order-solve-list.out'"
excerpt "$WORK/order-solve-list.out"

step "The same orders with each price p mapped to p mod 100000 + 1, on all three solvers:"
{ head -n -2000000 "$WORK/3-15.in"; tail -n 2000000 "$WORK/3-15.in" | awk '{ print $1, $2 % 100000 + 1 }'; } \
  > "$WORK/3-15-in-range.in"
printf '   order-validate --for order-solve-grid: %s\n' \
  "$("$BIN/order-validate" --for order-solve-grid "$WORK/3-15-in-range.in" | sed -n 's/^order-solve-grid: //p')"
for solver in order-solve-list order-solve-grid order-solve-bucket; do
  timed "$solver" bash -c "'$BIN/$solver' < '$WORK/3-15-in-range.in' > '$WORK/$solver-range.out'"
  printf '   total %s\n' "$(head -n 1 "$WORK/$solver-range.out")"
done
if [ "$(head -qn 1 "$WORK"/order-solve-*-range.out | sort -u | wc -l)" = 1 ]; then
  printf '   the three totals agree\n'
else
  printf '   THE TOTALS DIFFER\n'
fi

step "Out of range: a price of 100,001 for the grid solver:"
printf '1\n1\n785 1\n\n1\n785 100001\n' | "$BIN/order-solve-grid" 2>&1 | sed 's/^/   /' || printf '   (exit status %d)\n' $?
