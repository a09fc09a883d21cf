# Wrong answer: sums sorted(prices)[:demand] for every item that has offers.
# For a positive demand that is right, but an item whose demand is 0 or less
# must add nothing, and a negative slice bound counts from the end: a demand
# of -1 takes every offer but the dearest.
import sys
import time


def main():
    data = sys.stdin.buffer.read().split()
    pos = 0
    demand = {}
    orders = int(data[pos]); pos += 1
    for _ in range(orders):
        lines = int(data[pos]); pos += 1
        for _ in range(lines):
            item, quantity = int(data[pos]), int(data[pos + 1]); pos += 2
            demand[item] = demand.get(item, 0) + quantity
    offers = int(data[pos]); pos += 1
    prices = {}
    for _ in range(offers):
        item, price = int(data[pos]), int(data[pos + 1]); pos += 2
        prices.setdefault(item, []).append(price)
    total = 0
    for item, offered in prices.items():
        if item in demand:
            total += sum(sorted(offered)[:demand[item]])
    print(total)
    print(int(time.process_time() * 1000))


main()
