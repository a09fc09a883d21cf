// order-solve-bucket: reads order data (orders of items, then single-unit
// offers priced 0..2,000,000) and prints the cost of covering every item's
// demand with its cheapest offers, then the processor time used in
// milliseconds. Each item's offers are kept in a linked list; item by item
// they are counted by price in one reusable row of buckets, which is walked
// from price 1 upward, charging whole price levels until the demand is
// covered. Offers at price 0 are counted but never taken.

#include <algorithm>
#include <cstdint>

#include "common/input.hpp"
#include "common/output.hpp"
#include "orders/offer_lists.hpp"
#include "orders/order_data.hpp"

namespace {

constexpr std::int32_t max_price = 2000000;

// Up to the lists' number of offers, priced 0..max_price.
constexpr orders::OfferLimits limits{orders::max_listed_offers, 0, max_price};

// The offers of the items with demand.
orders::OfferLists lists;

// The offers of the item being summed, counted by price; all zero between
// items.
std::int32_t bucket[max_price + 1];

// Counts the item's offers into the buckets, charges the price levels from
// 1 upward, then empties the buckets it used. Returns the cost.
std::int64_t item_total(int item, std::int64_t demand)
{
    std::int32_t top_price = 0;
    lists.for_each_price(item, [&](std::int32_t price) {
        ++bucket[price];
        top_price = std::max(top_price, price);
    });
    const std::int64_t total = orders::charge_levels(bucket, top_price, demand);
    lists.for_each_price(item, [](std::int32_t price) { bucket[price] = 0; });
    return total;
}

}  // namespace

int main()
{
    common::program_name = "order-solve-bucket";
    common::Input in;
    common::Output out;
    const orders::Demand demand = orders::read_into_lists(in, limits, lists);
    orders::print_total(out, orders::sum_over_items(demand, lists, item_total));
    return 0;
}
