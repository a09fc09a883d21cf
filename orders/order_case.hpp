// The random case order-gen writes, built in the order of draws that defines
// it; shared by order-gen and its tests. The draws come from any source with
// next() returning 0..32767, the file text goes to any sink with put(char)
// and number(int), and the console lines to an Output.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>

#include "common/output.hpp"
#include "orders/order_data.hpp"

namespace orders {

// The full-size case: its orders, and its offers, the most the tables hold.
constexpr int case_orders = 10000;
constexpr std::int32_t case_offers = 2000000;

// The items orders are drawn from: 785..799.
constexpr int first_ordered_item = 785;
constexpr int ordered_items = 15;

// Factors of the two price formulas, and their modulus in the full-size
// case, 2^31 - 1.
constexpr std::int64_t demand_price_factor = 40157407;
constexpr std::int64_t fill_price_factor = 33664391;
constexpr std::int64_t price_modulus = 2147483647;

// One progress mark on the console per this many exchanges.
constexpr int progress_step = 100;

// How large a case is made: the number of orders, the number of offers
// (at most case_offers) and the highest price. Prices are the formulas'
// products taken modulo max_price, plus 1, so they lie in 1..max_price;
// the defaults make the full-size case.
struct CaseSize {
    int orders = case_orders;
    std::int32_t offers = case_offers;
    std::int32_t max_price = static_cast<std::int32_t>(price_modulus);
};

// A price from one draw and a formula's factor.
inline std::int32_t price(int draw, std::int64_t factor, const CaseSize& size)
{
    return static_cast<std::int32_t>(draw * factor % size.max_price + 1);
}

// Everything a case is built in; all zero before the first use.
struct CaseTables {
    std::int32_t demand[item_count];
    bool used[item_count];  // the item already has a line in the current order
    std::int32_t offer_item[case_offers];
    std::int32_t offer_price[case_offers];
    std::int32_t remaining;  // offer slots not yet filled; negative when short of room
};

// Draws the orders and writes them, summing each item's demand.
template <class Source, class Sink>
void write_orders(Source& draws, CaseTables& t, Sink& file, const CaseSize& size)
{
    std::fill(std::begin(t.demand), std::end(t.demand), 0);
    file.number(size.orders);
    file.put('\n');
    for (int order = 0; order < size.orders; ++order) {
        const int lines = draws.next() % 4 + 1;
        file.number(lines);
        file.put('\n');
        std::fill(std::begin(t.used), std::end(t.used), false);
        for (int line = 0; line < lines; ++line) {
            int item = 0;
            do
                item = first_ordered_item + draws.next() % ordered_items;
            while (t.used[item - first_item]);
            const int quantity = draws.next() % 52 + 1;
            file.number(item);
            file.put(' ');
            file.number(quantity);
            file.put('\n');
            t.used[item - first_item] = true;
            t.demand[item - first_item] += quantity;
        }
        file.put('\n');
    }
}

// Gives every item with demand d its d + 1 demand-driven offers. Offers
// beyond the slots are drawn but not stored; `remaining` then ends below 0.
template <class Source>
void add_demand_offers(Source& draws, CaseTables& t, const CaseSize& size)
{
    t.remaining = size.offers;
    for (int item = 0; item < item_count; ++item) {
        if (t.demand[item] == 0)
            continue;
        for (std::int32_t offer = 0; offer <= t.demand[item]; ++offer) {
            const std::int32_t offer_price = price(draws.next(), demand_price_factor, size);
            if (t.remaining > 0) {
                const std::int32_t slot = size.offers - t.remaining;
                t.offer_item[slot] = item + first_item;
                t.offer_price[slot] = offer_price;
            }
            --t.remaining;
        }
    }
}

// Fills the remaining slots with offers for random items.
template <class Source>
void add_fill_offers(Source& draws, CaseTables& t, const CaseSize& size)
{
    for (; t.remaining > 0; --t.remaining) {
        const std::int32_t slot = size.offers - t.remaining;
        t.offer_item[slot] = draws.next() % item_count + first_item;
        t.offer_price[slot] = price(draws.next(), fill_price_factor, size);
    }
}

// Exchanges every slot in turn with a drawn one, marking the progress.
template <class Source>
void shuffle_offers(Source& draws, CaseTables& t, common::Output& console, const CaseSize& size)
{
    for (std::int32_t slot = 0; slot < size.offers; ++slot) {
        const std::int32_t partner = draws.next() % size.offers;
        if (slot % progress_step == 0) {
            console.put('\r');
            console.number(slot);
        }
        std::swap(t.offer_item[slot], t.offer_item[partner]);
        std::swap(t.offer_price[slot], t.offer_price[partner]);
    }
}

// Writes the offer count and the offers, last slot first.
template <class Sink>
void write_offers(const CaseTables& t, Sink& file, const CaseSize& size)
{
    file.number(size.offers);
    file.put('\n');
    for (std::int32_t slot = size.offers - 1; slot >= 0; --slot) {
        file.number(t.offer_item[slot]);
        file.put(' ');
        file.number(t.offer_price[slot]);
        file.put('\n');
    }
}

// Builds a whole case and writes it to `file`, with the total line and the
// progress marks on the console. When the orders leave no room for their
// offers, writes only the fail line on the console and returns false; the
// file then holds the orders alone and is not to be kept.
template <class Source, class Sink>
bool write_case(Source& draws, CaseTables& t, Sink& file, common::Output& console, const CaseSize& size = {})
{
    write_orders(draws, t, file, size);
    add_demand_offers(draws, t, size);
    if (t.remaining < 0) {
        console.write("fail ");
        console.number(t.remaining);
        console.write("  !!\n");
        return false;
    }
    add_fill_offers(draws, t, size);
    console.write("\btotal : ");
    console.number(size.offers);
    console.put('\n');
    shuffle_offers(draws, t, console, size);
    write_offers(t, file, size);
    return true;
}

}  // namespace orders
