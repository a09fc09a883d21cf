# Wrong answer: prints the total alone; the output has two lines, the total
# and then a clock reading (any integer).
import sys
from collections import defaultdict


def main():
    numbers = iter(map(int, sys.stdin.buffer.read().split()))
    demand = defaultdict(int)
    for _ in range(next(numbers)):
        for _ in range(next(numbers)):
            item = next(numbers)
            demand[item] += next(numbers)
    offers = defaultdict(list)
    for _ in range(next(numbers)):
        item = next(numbers)
        price = next(numbers)
        offers[item].append(price)
    total = 0
    for item, need in demand.items():
        if need > 0:
            total += sum(sorted(offers[item])[:need])
    print(total)


main()
