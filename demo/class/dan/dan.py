# PRO6 by scanning the whole merged list for every search value.
import sys

data = sys.stdin.buffer.read().split()
n, m = int(data[0]), int(data[1])
merged = sorted(int(t) for t in data[2:2 + n + m])
q = int(data[2 + n + m])
lines = [" ".join(map(str, merged))]
for token in data[3 + n + m:3 + n + m + q]:
    x = int(token)
    places = [str(i + 1) for i, v in enumerate(merged) if v == x]
    lines.append(" ".join(places) if places else "Number Not Found")
print("\n".join(lines))
