# PRO6 with heapq.merge and bisect.
import bisect, heapq, sys

data = sys.stdin.buffer.read().split()
n, m = int(data[0]), int(data[1])
merged = list(heapq.merge(map(int, data[2:2 + n]), map(int, data[2 + n:2 + n + m])))
q = int(data[2 + n + m])
out = [" ".join(map(str, merged))]
for token in data[3 + n + m:3 + n + m + q]:
    x = int(token)
    lo, hi = bisect.bisect_left(merged, x), bisect.bisect_right(merged, x)
    out.append(" ".join(str(i + 1) for i in range(lo, hi)) if lo < hi else "Number Not Found")
sys.stdout.write("\n".join(out) + "\n")
