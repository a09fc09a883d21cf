# PRO6 with a dictionary of first positions and counts.
import sys
from collections import Counter

data = sys.stdin.buffer.read().split()
n, m = int(data[0]), int(data[1])
merged = sorted(int(t) for t in data[2:2 + n + m])
counts = Counter(merged)
first = {}
for i, v in enumerate(merged):
    first.setdefault(v, i + 1)
q = int(data[2 + n + m])
out = [" ".join(map(str, merged))]
for token in data[3 + n + m:3 + n + m + q]:
    x = int(token)
    out.append(" ".join(str(first[x] + k) for k in range(counts[x])) if x in counts else "Number Not Found")
sys.stdout.write("\n".join(out) + "\n")
