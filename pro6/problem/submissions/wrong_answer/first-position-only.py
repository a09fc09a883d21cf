# Wrong answer: for a value that stands several times in the merged
# sequence, prints only its first position (bisect finds the start of the
# run and the rest of the run is forgotten).
import sys
from bisect import bisect_left


def main():
    data = sys.stdin.buffer.read().split()
    n, m = int(data[0]), int(data[1])
    a = list(map(int, data[2:2 + n]))
    b = list(map(int, data[2 + n:2 + n + m]))
    merged = sorted(a + b)
    out = [" ".join(map(str, merged))]
    q = int(data[2 + n + m])
    for token in data[3 + n + m:3 + n + m + q]:
        x = int(token)
        i = bisect_left(merged, x)
        if i < len(merged) and merged[i] == x:
            out.append(str(i + 1))
        else:
            out.append("Number Not Found")
    sys.stdout.write("\n".join(out) + "\n")


main()
