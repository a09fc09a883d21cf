// order-solve-bucket: reads order data (orders of items, then single-unit
// offers priced 0..2,000,000) and prints the cost of covering every item's
// demand with its cheapest offers, then the processor time used in
// milliseconds. Each item's offers are kept in a linked list; item by item
// they are counted by price in one reusable row of buckets, which is walked
// from price 1 upward, charging whole price levels until the demand is
// covered. Offers at price 0 are counted but never taken.

#include <algorithm>
#include <cstdint>

#include "common/command_line.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "orders/offer_lists.hpp"
#include "orders/order_data.hpp"
#include "orders/solver_facts.hpp"

namespace {

// Its highest price, as the exercise's facts say it.
constexpr std::int32_t max_price = orders::order_solve_bucket_price_ceiling;

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

// What --help shows; FILE stands in for standard input.
const common::Usage usage{
    "[FILE]",
    R"(Reads order data from FILE (standard input when FILE is missing or -): the
number of orders, each order's line count and its item/quantity pairs, the
number of offers and the item/price pairs, items 200..799. Prints the cost of
covering each item's demand with its cheapest offers, then the processor time
used in milliseconds. This solver keeps each item's offers in a list and counts
one item at a time into a row of price buckets. Prices 0..)" ORDER_SOLVE_BUCKET_PRICE_CEILING R"( (offers at 0
are never taken); at most 2,000,000 offers.
Exit status: 0; 1 when the data break the format or this solver's limits (the
message names what and where), or on a read or write error.
)",
    {},
    R"(  order-gen -o 3-15.in && order-solve-bucket 3-15.in
)",
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "order-solve-bucket";
    const common::Arguments args(usage, argc, argv);
    args.open_file_as_input();
    common::Input in;
    common::Output out;
    const orders::Demand demand = orders::read_into_lists(in, limits, lists);
    orders::print_total(out, orders::sum_over_items(demand, lists, item_total));
    return 0;
}
