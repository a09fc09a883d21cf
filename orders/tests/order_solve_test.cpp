// The three order solvers run as a user would: order data in, the total
// and the clock reading out, or one line naming what is wrong.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/run.hpp"

namespace {

using testing_support::run;
using testing_support::RunOptions;

const std::string solvers[] = {"order-solve-list", "order-solve-grid", "order-solve-bucket"};

// Order data in the layout the generator writes.
struct OrderData {
    std::vector<std::vector<std::pair<long long, long long>>> orders;  // (item, quantity) lines
    std::vector<std::pair<long long, long long>> offers;               // (item, price)

    std::string text() const
    {
        std::string text = std::to_string(orders.size()) + "\n";
        for (const auto& order : orders) {
            text += std::to_string(order.size()) + "\n";
            for (const auto& [item, quantity] : order)
                text += std::to_string(item) + " " + std::to_string(quantity) + "\n";
            text += "\n";
        }
        text += std::to_string(offers.size()) + "\n";
        for (const auto& [item, price] : offers)
            text += std::to_string(item) + " " + std::to_string(price) + "\n";
        return text;
    }
};

// The total line of a successful run; checks the clock line behind it.
std::string total(const std::string& solver, const std::string& input)
{
    const auto result = run(solver, input);
    EXPECT_EQ(result.status, 0) << solver << ": " << result.err;
    EXPECT_EQ(result.err, "") << solver;
    const auto first = result.out.find('\n');
    if (first == std::string::npos) {
        ADD_FAILURE() << solver << ": no total line in \"" << result.out << "\"";
        return "";
    }
    const std::string clock = result.out.substr(first + 1);
    EXPECT_GE(clock.size(), 2u) << solver;
    EXPECT_EQ(clock.back(), '\n') << solver;
    EXPECT_EQ(clock.find_first_not_of("0123456789"), clock.size() - 1) << solver << ": clock line \"" << clock << "\"";
    return result.out.substr(0, first);
}

// The totals of all three solvers on one input.
std::vector<std::string> totals(const std::string& input)
{
    std::vector<std::string> all;
    for (const std::string& solver : solvers)
        all.push_back(total(solver, input));
    return all;
}

using Totals = std::vector<std::string>;

const std::string whole_case = "2\n2\n785 2\n790 1\n\n1\n785 1\n\n6\n785 10\n785 7\n790 4\n785 2\n785 7\n200 1\n";

TEST(OrderSolvers, TheWholeCaseGivesTwentyOnAllThree)
{
    EXPECT_EQ(totals(whole_case), Totals(3, "20"));
}

TEST(OrderSolvers, AgreeOnTheCasesTheirRangesShare)
{
    const std::pair<OrderData, std::string> cases[] = {
        // No orders, or quantities summing to 0: nothing, whatever the offers.
        {{{}, {{785, 5}, {790, 3}}}, "0"},
        {{{{{785, 3}, {790, 2}}, {{785, -3}, {790, -2}}}, {{785, 5}, {790, 3}}}, "0"},
        // An item twice in one order and again in another: one demand of 4.
        {{{{{785, 1}, {785, 2}}, {{785, 1}}}, {{785, 1}, {785, 2}, {785, 3}, {785, 4}, {785, 5}}}, "10"},
        // Offers of items without demand change nothing.
        {{{{{790, 1}}}, {{200, 1}, {790, 6}, {799, 1}, {200, 1}}}, "6"},
        // Demand 3 over 7, 5, 5, 9; demand 2 over three offers at 4.
        {{{{{785, 3}}}, {{785, 7}, {785, 5}, {785, 5}, {785, 9}}}, "17"},
        {{{{{785, 2}}}, {{785, 4}, {785, 4}, {785, 4}}}, "8"},
        // Shortages: all the offers there are, or nothing without offers.
        {{{{{785, 5}}}, {{785, 4}, {785, 6}}}, "10"},
        {{{{{785, 5}, {786, 1}}}, {{786, 3}}}, "3"},
        // A negative demand takes nothing.
        {{{{{785, -2}, {786, 1}}}, {{785, 1}, {786, 2}}}, "2"},
        // The first and last items and the highest price all three take.
        {{{{{200, 1}, {799, 2}}}, {{799, 100000}, {200, 100000}, {799, 1}, {799, 99999}}}, "200000"},
    };
    for (const auto& [data, expected] : cases)
        EXPECT_EQ(totals(data.text()), Totals(3, expected)) << data.text();
}

TEST(OrderSolvers, TotalsBeyondThirtyTwoBits)
{
    // 21,475 units at 100,000 is 2,147,500,000, one level of the grid.
    OrderData data{{{{785, 21475}}}, {}};
    data.offers.assign(21475, {785, 100000});
    EXPECT_EQ(totals(data.text()), Totals(3, "2147500000"));
    // The demand of 2 quantities of 2,147,483,647 and one of 3 wraps to 1 in
    // 32 bits; summed in full it takes all three offers.
    const OrderData wide{{{{785, 2147483647}, {785, 2147483647}}, {{785, 3}}}, {{785, 9}, {785, 1}, {785, 5}}};
    EXPECT_EQ(totals(wide.text()), Totals(3, "15"));
    const OrderData big_prices{{{{785, 2}}}, {{785, 2147483647}, {785, 2147483647}}};
    EXPECT_EQ(total("order-solve-list", big_prices.text()), "4294967294");
}

TEST(OrderSolvers, PriceZeroAndNegativePricesOnlyTheListTakes)
{
    const OrderData zero{{{{785, 1}}}, {{785, 0}, {785, 8}}};
    EXPECT_EQ(totals(zero.text()), (Totals{"0", "8", "8"}));
    const OrderData zeros_only{{{{785, 2}}}, {{785, 0}, {785, 0}}};
    EXPECT_EQ(totals(zeros_only.text()), (Totals{"0", "0", "0"}));
    const OrderData negative{{{{785, 2}}}, {{785, 10}, {785, -5}, {785, 3}}};
    EXPECT_EQ(total("order-solve-list", negative.text()), "-2");
    const OrderData lowest{{{{785, 1}}}, {{785, -2147483647 - 1}}};
    EXPECT_EQ(total("order-solve-list", lowest.text()), "-2147483648");
    // Prices beyond the grid's range the bucket solver and the list take.
    const OrderData high{{{{785, 1}}}, {{785, 2000000}}};
    EXPECT_EQ(total("order-solve-list", high.text()), "2000000");
    EXPECT_EQ(total("order-solve-bucket", high.text()), "2000000");
}

TEST(OrderSolvers, AnyWhiteSpaceSeparatesAndTrailingTextIsNotRead)
{
    const std::string flat = "2 2 785 2 790 1 1 785 1 6 785 10 785 7 790 4 785 2 785 7 200 1";
    const std::string spread = "\r\n2\t\v2\f785 +2\r\n790\n\n\n1 1 785 1 6 785 10 785 7 790 4 785 2 785 7 200 1";
    for (const std::string& input : {flat, spread, whole_case + "whatever comes after\n"})
        EXPECT_EQ(totals(input), Totals(3, "20")) << input;
    // Counts of 0 or less mean none.
    EXPECT_EQ(totals("-3 -1"), Totals(3, "0"));
    EXPECT_EQ(totals("1 -2 0"), Totals(3, "0"));
}

// The total by a plainly different route: each unit of demand takes the
// cheapest offer left, until the demand or the offers run out. Offers at
// price 0 are left out when `take_zero` is false.
long long model_total(const OrderData& data, bool take_zero)
{
    std::map<long long, long long> demand;
    for (const auto& order : data.orders)
        for (const auto& [item, quantity] : order)
            demand[item] += quantity;
    std::map<long long, std::multiset<long long>> prices;
    for (const auto& [item, price] : data.offers)
        if (price != 0 || take_zero)
            prices[item].insert(price);
    long long sum = 0;
    for (auto& [item, left] : demand) {
        auto& offers = prices[item];
        for (; left > 0 && !offers.empty(); --left) {
            sum += *offers.begin();
            offers.erase(offers.begin());
        }
    }
    return sum;
}

TEST(OrderSolvers, MatchAModelOnRandomCases)
{
    std::mt19937 random(20261208);
    auto between = [&](long long low, long long high) {
        return std::uniform_int_distribution<long long>(low, high)(random);
    };
    const long long items[] = {200, 201, 500, 785, 786, 799};
    for (int round = 0; round < 15; ++round) {
        OrderData data;
        data.orders.resize(static_cast<std::size_t>(between(0, 8)));
        for (auto& order : data.orders)
            for (long long line = between(0, 4); line > 0; --line)
                order.emplace_back(items[between(0, 5)], between(-10, 40));
        const long long top = round % 3 == 0 ? 3 : 100000;  // few prices: many equal ones
        for (long long offer = between(0, 400); offer > 0; --offer)
            data.offers.emplace_back(items[between(0, 5)], between(0, top));
        const Totals got = totals(data.text());
        EXPECT_EQ(got[0], std::to_string(model_total(data, true))) << data.text();
        EXPECT_EQ(got[1], std::to_string(model_total(data, false))) << data.text();
        EXPECT_EQ(got[2], std::to_string(model_total(data, false))) << data.text();
    }
}

TEST(OrderSolvers, HoldTheirLimitOfOffers)
{
    // 2,000,000 offers are the most the list and bucket solvers hold; the
    // grid has no limit.
    OrderData data{{{{785, 2}}}, {}};
    data.offers.assign(2000000, {785, 7});
    data.offers.front().second = 3;
    EXPECT_EQ(total("order-solve-list", data.text()), "10");
    EXPECT_EQ(total("order-solve-bucket", data.text()), "10");
    data.offers.emplace_back(785, 1);
    EXPECT_EQ(total("order-solve-grid", data.text()), "4");
}

struct Rejected {
    std::string input;
    std::string message;  // after "PROGRAM: "
};

void expect_rejected(const std::string& solver, const Rejected& c)
{
    const auto result = run(solver, c.input);
    EXPECT_EQ(result.status, 1) << solver << ": " << c.input;
    EXPECT_EQ(result.out, "") << solver << ": " << c.input;
    EXPECT_EQ(result.err, solver + ": " + c.message + "\n") << c.input;
}

TEST(OrderSolvers, RejectWhatTheFormatCannotMean)
{
    const Rejected cases[] = {
        {"", "expected the number of orders, found the end of the input"},
        {"  x1 1", "expected the number of orders, found \"x1\""},
        {"2147483648", "the number of orders is outside the signed 32-bit range"},
        {"1\nz", "order 1: expected the number of lines, found \"z\""},
        {"1\n2\n785 1\n", "order 1, line 2: expected the item, found the end of the input"},
        {"1\n1\n785 q", "order 1, line 1: expected the quantity, found \"q\""},
        {"1\n1\n785 -2147483649", "order 1, line 1: the quantity is outside the signed 32-bit range"},
        {"1\n1\n785 - 1", "order 1, line 1: expected the quantity, found \"-\""},
        {"1\n1\n785 +", "order 1, line 1: expected the quantity, found \"+\""},
        {"1\n1\n785 --5 1", "order 1, line 1: expected the quantity, found \"--5\""},
        {"0 1 785 -x", "offer 1: expected the price, found \"-x\""},
        {"2\n1\n785 1\n\n1\n800 1\n", "order 2, line 1: item 800 is outside 200..799"},
        {"1\n1\n199 1", "order 1, line 1: item 199 is outside 200..799"},
        {"0\n", "expected the number of offers, found the end of the input"},
        {"0\n2\n785 5\n-200 1\n", "offer 2: item -200 is outside 200..799"},
        {"0\n1\n785", "offer 1: expected the price, found the end of the input"},
        {"0\n2\n785 1.5 785 3", "offer 2: expected the item, found \".5\""},
        {"0\n1\n785 99999999999", "offer 1: the price is outside the signed 32-bit range"},
        {"0 1 785 " + std::string(100, 'y'), "offer 1: expected the price, found \"" + std::string(20, 'y') + "\""},
    };
    for (const std::string& solver : solvers)
        for (const Rejected& c : cases)
            expect_rejected(solver, c);
}

TEST(OrderSolvers, RejectWhatTheirTablesCannotHold)
{
    const std::string too_many = "the number of offers is 2000001, more than the 2000000 this program holds";
    expect_rejected("order-solve-list", {"0\n2000001\n", too_many});
    expect_rejected("order-solve-bucket", {"0\n2000001\n", too_many});
    expect_rejected("order-solve-grid", {"0\n2000001\n", "offer 1: expected the item, found the end of the input"});

    expect_rejected("order-solve-grid", {"0 2 785 5 785 -1", "offer 2: price -1 is outside 0..100000"});
    expect_rejected("order-solve-grid", {"0 1 785 100001", "offer 1: price 100001 is outside 0..100000"});
    expect_rejected("order-solve-bucket", {"0 1 785 -1", "offer 1: price -1 is outside 0..2000000"});
    expect_rejected("order-solve-bucket", {"0 1 785 2000001", "offer 1: price 2000001 is outside 0..2000000"});
    // Offers are checked whether or not their item has demand.
    expect_rejected("order-solve-grid", {"1 1 785 1 2 785 1 200 100001", "offer 2: price 100001 is outside 0..100000"});
}

TEST(OrderSolvers, OutputAndInputFailuresAreReported)
{
    RunOptions full;
    full.stdout_to_full = true;
    RunOptions closed;
    closed.close_stdin = true;
    for (const std::string& solver : solvers) {
        const auto unwritten = run(solver, whole_case, full);
        EXPECT_EQ(unwritten.status, 1) << solver;
        EXPECT_EQ(unwritten.err, solver + ": write error: No space left on device\n");
        const auto unread = run(solver, "", closed);
        EXPECT_EQ(unread.status, 1) << solver;
        EXPECT_EQ(unread.out, "") << solver;
        EXPECT_EQ(unread.err, solver + ": read error: Bad file descriptor\n");
    }
}

}  // namespace
