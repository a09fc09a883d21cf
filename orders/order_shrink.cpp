// order-shrink: the shrink steps of a case of order data
// (common/shrink_steps.hpp). Its items are the order lines, order by order,
// then the offers, numbered in one row; an order left without order lines
// by a drop goes with them, and the counts follow. Its numbers are the
// quantities of the order lines, then the prices of the offers; the items
// stay as they are. A case is written in the layout order-gen writes.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/shrink_steps.hpp"

namespace {

const common::ShrinkHelp help{
    "3-15",
    "Items: the order lines, order by order, then the offers, in one row; an\norder left without order lines by a "
    "drop is dropped with them, and the counts\nare rewritten.\n",
    "Numbers: the quantities of the order lines, then the prices of the offers, in\nthe same row; each within "
    "signed 32 bits.\n\n",
};

// An order line or an offer: an item and its quantity or price.
struct Pair {
    std::int64_t item = 0;
    std::int64_t number = 0;
};

class OrderCase : public common::ShrinkCase {
public:
    std::vector<std::vector<Pair>> orders;
    std::vector<Pair> offers;

    std::size_t items() const override { return order_lines() + offers.size(); }

    std::string drop(std::size_t from, std::size_t count) override
    {
        std::size_t at = 0;
        std::vector<std::vector<Pair>> kept;
        for (std::vector<Pair>& order : orders) {
            std::vector<Pair> lines;
            for (const Pair& line : order) {
                if (at < from || at >= from + count)
                    lines.push_back(line);
                ++at;
            }
            // An order that had no lines keeps its place; one emptied goes.
            if (!lines.empty() || order.empty())
                kept.push_back(std::move(lines));
        }
        orders = std::move(kept);
        std::vector<Pair> offers_kept;
        for (const Pair& offer : offers) {
            if (at < from || at >= from + count)
                offers_kept.push_back(offer);
            ++at;
        }
        offers = std::move(offers_kept);
        return "";
    }

    std::vector<std::int64_t> numbers() const override
    {
        std::vector<std::int64_t> all;
        for (const std::vector<Pair>& order : orders)
            for (const Pair& line : order)
                all.push_back(line.number);
        for (const Pair& offer : offers)
            all.push_back(offer.number);
        return all;
    }

    std::string set(std::size_t index, std::int64_t value) override
    {
        if (value < INT32_MIN || value > INT32_MAX)
            return "the value " + std::to_string(value) + " does not fit in 32 bits";
        for (std::vector<Pair>& order : orders) {
            if (index < order.size()) {
                order[index].number = value;
                return "";
            }
            index -= order.size();
        }
        offers[index].number = value;
        return "";
    }

    void write(common::Output& out) const override
    {
        out.number(orders.size());
        out.put('\n');
        for (const std::vector<Pair>& order : orders) {
            out.number(order.size());
            out.put('\n');
            write_pairs(out, order);
            out.put('\n');
        }
        out.number(offers.size());
        out.put('\n');
        write_pairs(out, offers);
    }

private:
    std::size_t order_lines() const
    {
        std::size_t lines = 0;
        for (const std::vector<Pair>& order : orders)
            lines += order.size();
        return lines;
    }

    static void write_pairs(common::Output& out, const std::vector<Pair>& pairs)
    {
        for (const Pair& pair : pairs) {
            out.number(pair.item);
            out.put(' ');
            out.number(pair.number);
            out.put('\n');
        }
    }
};

// A count of the format: 0 or less means none.
std::size_t read_count(common::Input& in, const char* what)
{
    const std::int64_t count = common::read_case_number(in, what);
    if (count > INT32_MAX)
        common::fail("%s, %lld, is not a count", what, static_cast<long long>(count));
    return count < 0 ? 0 : static_cast<std::size_t>(count);
}

std::vector<Pair> read_pairs(common::Input& in, std::size_t count, const char* what)
{
    std::vector<Pair> pairs;
    for (std::size_t i = 0; i < count; ++i) {
        Pair pair;
        pair.item = common::read_case_number(in, what);
        pair.number = common::read_case_number(in, what);
        pairs.push_back(pair);
    }
    return pairs;
}

std::unique_ptr<common::ShrinkCase> read_case(common::Input& in)
{
    auto shrink_case = std::make_unique<OrderCase>();
    const std::size_t orders = read_count(in, "the number of orders");
    for (std::size_t i = 0; i < orders; ++i)
        shrink_case->orders.push_back(read_pairs(in, read_count(in, "an order's number of lines"), "an order line"));
    shrink_case->offers = read_pairs(in, read_count(in, "the number of offers"), "an offer");
    return shrink_case;
}

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "order-shrink";
    return common::shrink_steps_main(argc, argv, help, read_case);
}
