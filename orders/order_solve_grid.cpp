// order-solve-grid: reads order data (orders of items, then single-unit
// offers priced 0..100,000) and prints the cost of covering every item's
// demand with its cheapest offers, then the processor time used in
// milliseconds. Offers are counted in one grid by item and price; each
// item's row is then walked from price 1 upward, charging whole price levels
// until the demand is covered. Offers at price 0 are counted but never taken.

#include <algorithm>
#include <cstdint>

#include "common/command_line.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "orders/order_data.hpp"
#include "orders/solver_facts.hpp"

namespace {

// Its highest price, as the exercise's facts say it.
constexpr std::int32_t max_price = orders::order_solve_grid_price_ceiling;

// Any number of offers, priced 0..max_price.
constexpr orders::OfferLimits limits{INT32_MAX, 0, max_price};

// Offers by item and price, and each item's highest price counted. About
// 240 MB zero at start; only the rows of items with demand are ever
// touched, since no other offer can change the total. A count cannot
// overflow: there are at most INT32_MAX offers.
std::int32_t price_count[orders::item_count][max_price + 1];
std::int32_t top_price[orders::item_count];

// What --help shows; FILE stands in for standard input.
const common::Usage usage{
    "[FILE]",
    R"(Reads order data from FILE (standard input when FILE is missing or -): the
number of orders, each order's line count and its item/quantity pairs, the
number of offers and the item/price pairs, items 200..799. Prints the cost of
covering each item's demand with its cheapest offers, then the processor time
used in milliseconds. This solver counts offers in one grid by item and price
and walks each item's row from price 1 upward. Prices 0..)" ORDER_SOLVE_GRID_PRICE_CEILING R"( (offers at 0 are
never taken); any number of offers.
Exit status: 0; 1 when the data break the format or this solver's limits (the
message names what and where), or on a read or write error.
)",
    {},
    R"(  order-gen -o 3-15.in && order-solve-grid 3-15.in
)",
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "order-solve-grid";
    const common::Arguments args(usage, argc, argv);
    args.open_file_as_input();
    common::Input in;
    common::Output out;
    orders::OrderReader reader(in);
    const orders::Demand demand = reader.read_orders();
    reader.read_offers(limits, [&](int item, std::int32_t price) {
        if (demand[item] > 0) {
            ++price_count[item][price];
            top_price[item] = std::max(top_price[item], price);
        }
    });

    std::int64_t total = 0;
    for (int item = 0; item < orders::item_count; ++item)
        if (demand[item] > 0)
            total += orders::charge_levels(price_count[item], top_price[item], demand[item]);
    orders::print_total(out, total);
    return 0;
}
