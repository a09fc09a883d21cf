// order-solve-list: reads order data (orders of items, then single-unit
// offers) and prints the cost of covering every item's demand with its
// cheapest offers, then the processor time used in milliseconds. Each item's
// offers are kept in a linked list; item by item they are copied into a
// buffer, sorted, and the cheapest summed.

#include <algorithm>
#include <cstdint>
#include <numeric>

#include "common/cpu_clock.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "orders/order_data.hpp"

namespace {

constexpr std::int32_t max_offers = 2000000;

// Prices are taken as they come: any signed 32-bit value.
constexpr orders::OfferLimits limits{max_offers, INT32_MIN, INT32_MAX};

// The offer lists: offers numbered from 1; 0 ends a list or marks an item
// without offers. Only items with demand keep their offers, since no other
// offer can change the total.
std::int32_t first_offer[orders::item_count];
std::int32_t last_offer[orders::item_count];
std::int32_t offer_price[max_offers + 1];
std::int32_t next_offer[max_offers + 1];
std::int32_t offer_count;

// The prices of the item being summed, from position 0. Only the positions
// an item has just filled are read, so it is never cleared.
std::int32_t work[max_offers];

// Appends an offer to the end of the item's list.
void append_offer(int item, std::int32_t price)
{
    const std::int32_t number = ++offer_count;
    offer_price[number] = price;
    if (first_offer[item] == 0)
        first_offer[item] = number;
    else
        next_offer[last_offer[item]] = number;
    last_offer[item] = number;
}

// The sum of the item's `demand` cheapest prices, or of all of them when it
// has fewer offers than that.
std::int64_t item_total(int item, std::int64_t demand)
{
    std::int32_t copied = 0;
    for (std::int32_t offer = first_offer[item]; offer != 0; offer = next_offer[offer])
        work[copied++] = offer_price[offer];
    std::sort(work, work + copied);
    const std::int64_t taken = std::min<std::int64_t>(demand, copied);
    return std::accumulate(work, work + taken, std::int64_t{0});
}

}  // namespace

int main()
{
    common::program_name = "order-solve-list";
    common::Input in;
    common::Output out;
    orders::OrderReader reader(in);
    const orders::Demand demand = reader.read_orders();
    reader.read_offers(limits, [&](int item, std::int32_t price) {
        if (demand[item] > 0)
            append_offer(item, price);
    });

    std::int64_t total = 0;
    for (int item = 0; item < orders::item_count; ++item)
        if (demand[item] > 0 && first_offer[item] != 0)
            total += item_total(item, demand[item]);

    out.number(total);
    out.put('\n');
    out.number(common::cpu_milliseconds());
    out.put('\n');
    out.flush();
    return 0;
}
