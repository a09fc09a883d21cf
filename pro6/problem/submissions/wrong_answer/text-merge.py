# Wrong answer: keeps the numbers as the text it read, so the merge compares
# them as strings: "10" comes before "9" and "-1" before "-7".
import sys


def main():
    data = sys.stdin.read().split()
    n, m = int(data[0]), int(data[1])
    a = data[2:2 + n]
    b = data[2 + n:2 + n + m]
    merged = []
    i = j = 0
    while i < n and j < m:
        if a[i] <= b[j]:
            merged.append(a[i])
            i += 1
        else:
            merged.append(b[j])
            j += 1
    merged += a[i:] + b[j:]
    where = {}
    for k, value in enumerate(merged, 1):
        where.setdefault(value, []).append(k)
    out = [" ".join(merged)]
    q = int(data[2 + n + m])
    for x in data[3 + n + m:3 + n + m + q]:
        if x in where:
            out.append(" ".join(map(str, where[x])))
        else:
            out.append("Number Not Found")
    print("\n".join(out))


main()
