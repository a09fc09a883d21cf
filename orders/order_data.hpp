// Reading order data, as the three order solvers share it: the orders,
// summed into each item's demand, then the offers, each checked and handed
// to the solver one by one. Anything the format cannot mean ends the program
// with a message naming what was expected and where.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "common/cpu_clock.hpp"
#include "common/fail.hpp"
#include "common/input.hpp"
#include "common/output.hpp"

namespace orders {

constexpr int first_item = 200;
constexpr int last_item = 799;
constexpr int item_count = last_item - first_item + 1;

// Each item's demand (index item - first_item): the sum of its quantities,
// kept in 64 bits so that no number of 32-bit quantities can overflow it.
using Demand = std::array<std::int64_t, item_count>;

// What a solver holds: how many offers, and which prices.
struct OfferLimits {
    std::int32_t max_offers;
    std::int32_t min_price;
    std::int32_t max_price;
};

class OrderReader {
public:
    explicit OrderReader(common::Input& in) : in_(in) {}

    // Reads the number of orders and the orders.
    Demand read_orders()
    {
        Demand demand{};
        const std::int32_t orders = read("number of orders", [] { return std::string(); });
        for (std::int32_t order = 1; order <= orders; ++order) {
            const std::int32_t lines = read("number of lines", [&] { return "order " + std::to_string(order) + ": "; });
            for (std::int32_t line = 1; line <= lines; ++line) {
                const auto place = [&] {
                    return "order " + std::to_string(order) + ", line " + std::to_string(line) + ": ";
                };
                const std::int32_t item = read("item", place);
                if (item < first_item || item > last_item)
                    common::fail("%sitem %d is outside %d..%d", place().c_str(), item, first_item, last_item);
                demand[item - first_item] += read("quantity", place);
            }
        }
        return demand;
    }

    // Reads the number of offers and the offers, calling take(item index,
    // price) for each in input order.
    template <class Take>
    void read_offers(const OfferLimits& limits, Take take)
    {
        const std::int32_t offers = read("number of offers", [] { return std::string(); });
        if (offers > limits.max_offers)
            common::fail("the number of offers is %d, more than the %d this program holds", offers, limits.max_offers);
        for (std::int32_t offer = 1; offer <= offers; ++offer) {
            const auto place = [&] { return "offer " + std::to_string(offer) + ": "; };
            const std::int32_t item = read("item", place);
            if (item < first_item || item > last_item)
                common::fail("%sitem %d is outside %d..%d", place().c_str(), item, first_item, last_item);
            const std::int32_t price = read("price", place);
            if (price < limits.min_price || price > limits.max_price)
                common::fail("%sprice %d is outside %d..%d", place().c_str(), price, limits.min_price,
                             limits.max_price);
            take(item - first_item, price);
        }
    }

private:
    // How much of something that is not a number the messages quote.
    static constexpr int quoted_length = 20;

    // Reads one signed 32-bit decimal integer; `what` names it, and place()
    // (only called when the read fails) says where it stands.
    template <class Place>
    std::int32_t read(const char* what, Place place)
    {
        std::int32_t value = 0;
        switch (const common::ReadStatus status = in_.read_int(value)) {
        case common::ReadStatus::ok:
            return value;
        case common::ReadStatus::end:
            common::fail("%sexpected the %s, found the end of the input", place().c_str(), what);
        case common::ReadStatus::no_number:
        case common::ReadStatus::lone_sign: {
            // The token that stands there, a sign the read consumed included.
            std::string found, rest;
            if (status == common::ReadStatus::lone_sign)
                found = in_.consumed_sign();
            const int next = in_.peek();
            if (next != common::Input::eof && !common::is_space(next))
                in_.read_token(rest);
            found += rest;
            common::fail("%sexpected the %s, found \"%.*s\"", place().c_str(), what, quoted_length, found.c_str());
        }
        case common::ReadStatus::out_of_range:
            common::fail("%sthe %s is outside the signed 32-bit range", place().c_str(), what);
        }
        return value;
    }

    common::Input& in_;
};

// Charges the price levels of `count` (offers by price) from price 1 up
// to top_price until `demand` units are covered: whole levels while they
// fall short, and at the level that covers the demand only the units still
// needed. Returns the cost; units no level covers cost nothing.
inline std::int64_t charge_levels(const std::int32_t* count, std::int32_t top_price, std::int64_t demand)
{
    std::int64_t total = 0;
    for (std::int64_t price = 1; price <= top_price && demand > 0; ++price) {
        if (count[price] == 0)
            continue;
        const std::int64_t units = std::min<std::int64_t>(count[price], demand);
        total += units * price;
        demand -= units;
    }
    return total;
}

// Writes the solvers' two lines: the total, then the processor time used.
inline void print_total(common::Output& out, std::int64_t total)
{
    out.number(total);
    out.put('\n');
    out.number(common::cpu_milliseconds());
    out.put('\n');
    out.flush();
}

}  // namespace orders
