// order-solve-bucket: reads order data (orders of items, then single-unit
// offers priced 0..2,000,000) and prints the cost of covering every item's
// demand with its cheapest offers, then the processor time used in
// milliseconds. Each item's offers are kept in a linked list; item by item
// they are counted by price in one reusable row of buckets, which is walked
// from price 1 upward, charging whole price levels until the demand is
// covered. Offers at price 0 are counted but never taken.

#include <algorithm>
#include <cstdint>

#include "common/cpu_clock.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "orders/order_data.hpp"

namespace {

constexpr std::int32_t max_offers = 2000000;
constexpr std::int32_t max_price = 2000000;

// Up to max_offers offers, priced 0..max_price.
constexpr orders::OfferLimits limits{max_offers, 0, max_price};

// The offer lists: offers numbered from 1; 0 ends a list or marks an item
// without offers. Only items with demand keep their offers, since no other
// offer can change the total.
std::int32_t first_offer[orders::item_count];
std::int32_t last_offer[orders::item_count];
std::int32_t offer_price[max_offers + 1];
std::int32_t next_offer[max_offers + 1];
std::int32_t offer_count;

// The offers of the item being summed, counted by price; all zero between
// items.
std::int32_t bucket[max_price + 1];

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

// Counts the item's offers into the buckets, charges the price levels from
// 1 upward until `demand` units are covered or its highest price is passed,
// then empties the buckets it used. Returns the cost.
std::int64_t item_total(int item, std::int64_t demand)
{
    std::int32_t top_price = 0;
    for (std::int32_t offer = first_offer[item]; offer != 0; offer = next_offer[offer]) {
        ++bucket[offer_price[offer]];
        top_price = std::max(top_price, offer_price[offer]);
    }
    std::int64_t total = 0;
    for (std::int64_t price = 1; price <= top_price && demand > 0; ++price) {
        if (bucket[price] == 0)
            continue;
        const std::int64_t units = std::min<std::int64_t>(bucket[price], demand);
        total += units * price;
        demand -= units;
    }
    for (std::int32_t offer = first_offer[item]; offer != 0; offer = next_offer[offer])
        bucket[offer_price[offer]] = 0;
    return total;
}

}  // namespace

int main()
{
    common::program_name = "order-solve-bucket";
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
