# PRO6 with sorted() and a dictionary of positions.
import sys
data = sys.stdin.buffer.read().split()
n, m = int(data[0]), int(data[1])
a = list(map(int, data[2:2 + n])); b = list(map(int, data[2 + n:2 + n + m]))
merged = sorted(a + b)
q = int(data[2 + n + m]); qs = data[3 + n + m:3 + n + m + q]
pos = {}
for i, v in enumerate(merged, 1): pos.setdefault(v, []).append(str(i))
out = [" ".join(map(str, merged))]
for v in qs:
    p = pos.get(int(v)); out.append(" ".join(p) if p else "Number Not Found")
sys.stdout.write("\n".join(out) + "\n")
