// order-solve-list: reads order data (orders of items, then single-unit
// offers) and prints the cost of covering every item's demand with its
// cheapest offers, then the processor time used in milliseconds. Each item's
// offers are kept in a linked list; item by item they are copied into a
// buffer, sorted, and the cheapest summed.

#include <algorithm>
#include <cstdint>
#include <numeric>

#include "common/command_line.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "orders/offer_lists.hpp"
#include "orders/order_data.hpp"

namespace {

// Prices are taken as they come: any signed 32-bit value.
constexpr orders::OfferLimits limits{orders::max_listed_offers, INT32_MIN, INT32_MAX};

// The offers of the items with demand.
orders::OfferLists lists;

// The prices of the item being summed, from position 0. Only the positions
// an item has just filled are read, so it is never cleared.
std::int32_t work[orders::max_listed_offers];

// The sum of the item's `demand` cheapest prices, or of all of them when it
// has fewer offers than that.
std::int64_t item_total(int item, std::int64_t demand)
{
    std::int32_t copied = 0;
    lists.for_each_price(item, [&](std::int32_t price) { work[copied++] = price; });
    std::sort(work, work + copied);
    const std::int64_t taken = std::min<std::int64_t>(demand, copied);
    return std::accumulate(work, work + taken, std::int64_t{0});
}

// What --help shows; FILE stands in for standard input.
const common::Usage usage{
    "[FILE]",
    R"(Reads order data from FILE (standard input when FILE is missing or -): the
number of orders, each order's line count and its item/quantity pairs, the
number of offers and the item/price pairs, items 200..799. Prints the cost of
covering each item's demand with its cheapest offers, then the processor time
used in milliseconds. This solver keeps each item's offers in a list, sorts
them and sums the cheapest. Prices may be any signed 32-bit value; at most
2,000,000 offers.
Exit status: 0; 1 when the data break the format or this solver's limits (the
message names what and where), or on a read or write error.
)",
    {},
    R"(  order-gen -o 3-15.in && order-solve-list 3-15.in
)",
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "order-solve-list";
    const common::Arguments args(usage, argc, argv);
    args.open_file_as_input();
    common::Input in;
    common::Output out;
    const orders::Demand demand = orders::read_into_lists(in, limits, lists);
    orders::print_total(out, orders::sum_over_items(demand, lists, item_total));
    return 0;
}
