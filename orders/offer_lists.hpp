// Offers kept per item in linked lists of offer numbers, in input order, as
// order-solve-list and order-solve-bucket hold them.
#pragma once

#include <cstdint>

#include "common/input.hpp"
#include "orders/order_data.hpp"

namespace orders {

// The most offers the list solvers hold.
constexpr std::int32_t max_listed_offers = 2000000;

// Offers are numbered from 1; 0 ends a list or marks an item without
// offers. Each list keeps its tail, so appending never walks the list. Meant
// to live in static storage: the tables are zero at start and only the
// entries of the offers read are ever touched.
class OfferLists {
public:
    void append(int item, std::int32_t price)
    {
        const std::int32_t number = ++count_;
        price_[number] = price;
        if (first_[item] == 0)
            first_[item] = number;
        else
            next_[last_[item]] = number;
        last_[item] = number;
    }

    bool empty(int item) const { return first_[item] == 0; }

    // Calls visit(price) for each of the item's offers, in input order.
    template <class Visit>
    void for_each_price(int item, Visit visit) const
    {
        for (std::int32_t offer = first_[item]; offer != 0; offer = next_[offer])
            visit(price_[offer]);
    }

private:
    std::int32_t first_[item_count];
    std::int32_t last_[item_count];
    std::int32_t price_[max_listed_offers + 1];
    std::int32_t next_[max_listed_offers + 1];
    std::int32_t count_;
};

// Reads order data, appending the offers of items with demand to `lists`
// (no other offer can change the total), and returns the demand.
inline Demand read_into_lists(common::Input& in, const OfferLimits& limits, OfferLists& lists)
{
    OrderReader reader(in);
    const Demand demand = reader.read_orders();
    reader.read_offers(limits, [&](int item, std::int32_t price) {
        if (demand[item] > 0)
            lists.append(item, price);
    });
    return demand;
}

// The sum of item_total(item, demand) over the items with demand and offers.
template <class ItemTotal>
std::int64_t sum_over_items(const Demand& demand, const OfferLists& lists, ItemTotal item_total)
{
    std::int64_t total = 0;
    for (int item = 0; item < item_count; ++item)
        if (demand[item] > 0 && !lists.empty(item))
            total += item_total(item, demand[item]);
    return total;
}

}  // namespace orders
