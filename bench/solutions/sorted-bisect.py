# PRO6 with sorted() and bisect, line by line.
import bisect, sys

first = sys.stdin.readline().split()
n, m = int(first[0]), int(first[1])
values = []
while len(values) < n + m:
    values.extend(map(int, sys.stdin.readline().split()))
merged = sorted(values)
q = int(sys.stdin.readline())
print(" ".join(map(str, merged)))
for _ in range(q):
    x = int(sys.stdin.readline())
    lo, hi = bisect.bisect_left(merged, x), bisect.bisect_right(merged, x)
    print(" ".join(str(i + 1) for i in range(lo, hi)) if lo < hi else "Number Not Found")
