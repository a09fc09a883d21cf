// order-validate: reads one case of order data and tells whether it lies
// within every limit of the format: counts, items 200..799, quantities and
// prices in signed 32 bits, every item's demand in signed 32 bits, at most
// 2,000,000 offers, nothing after the last offer. A valid case gets a report
// on standard output: its sizes, the extremes of every bounded quantity
// beside its limits, and which of the three solvers it suits (and why not).
// The first violation gets one line on standard error, with its place, and
// status 1. --for SOLVER also makes a case that SOLVER cannot take invalid;
// --strict also requires the exact layout order-gen writes; --features adds
// which of the features that show a solution's faults the case has.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/command_line.hpp"
#include "common/digit_words.hpp"
#include "common/input.hpp"
#include "common/number_tokens.hpp"
#include "common/validation.hpp"
#include "orders/offer_lists.hpp"
#include "orders/order_data.hpp"
#include "orders/solver_facts.hpp"

namespace {

constexpr std::int64_t int32_lowest = INT32_MIN;
constexpr std::int64_t int32_highest = INT32_MAX;

// What each solver takes beyond the format (its prices, whether every
// item with demand needs at least as many offers as its demand, and the
// largest demand its tables hold), written once in the exercise's facts.
// None holds more than the 2,000,000 offers every case is held to.
using Solver = orders::SolverFacts;
constexpr const Solver* solvers = orders::solver_facts;
constexpr int solver_count = std::size(orders::solver_facts);

// The highest surplus of offers over demand: every offer on one item
// ordered once.
constexpr std::int64_t highest_surplus = orders::max_listed_offers - 1;

// The white space order-gen writes: between the numbers of a line, before a
// number on the next line, and before one behind an order's empty line.
constexpr std::string_view blank = " ";
constexpr std::string_view breaks[] = {"", "\n", "\n\n"};

// The features --features reports, in the order of its table. An item's
// demand, offers and the total are those of the format: the demand the sum
// of its quantities, a demand of 0 or less meaning none.
enum FeatureIndex {
    no_orders,
    order_without_lines,
    no_offers,
    negative_count,
    negative_quantity,
    item_twice_in_order,
    item_in_several_orders,
    demand_cancelled,
    offers_unordered,
    offers_cover_exactly,
    fewer_offers_than_demand,
    demand_without_offers,
    cheapest_not_first,
    negative_price,
    zero_price,
    total_beyond_32_bits,
    first_item_in_total,
    last_item_in_total,
    feature_count
};
constexpr common::Feature features[] = {
    {"no orders", "G is 0 or less"},
    {"order without lines", "an order's line count n is 0 or less"},
    {"no offers", "M is 0 or less"},
    {"negative count", "G, an order's n or M is below 0"},
    {"negative quantity", "an order line's quantity is below 0"},
    {"item twice in an order", "an item stands on two or more lines of one order"},
    {"item in several orders", "an item stands in two or more orders"},
    {"demand 0 or less", "an item with order lines and offers has a demand of 0 or less, and takes no offer"},
    {"offers for an unordered item", "an item that no order line names has offers"},
    {"offers exactly cover demand", "an item with demand has exactly as many offers as its demand"},
    {"fewer offers than demand", "an item with demand has offers, but fewer than its demand"},
    {"demand without offers", "an item with demand has no offers"},
    {"cheapest offers not first",
     "an item with demand d and more than d offers has a later offer cheaper than one of its first d"},
    {"negative price", "an item with demand has an offer priced below 0"},
    {"price 0", "an item with demand has an offer priced 0"},
    {"total beyond 32 bits", "the total lies outside -2147483648..2147483647"},
    {"item 200 in the total", "item 200 has demand and offers"},
    {"item 799 in the total", "item 799 has demand and offers"},
};
static_assert(std::size(features) == feature_count);

// Text in lines of at most 78 columns.
std::string wrapped(const std::string& text)
{
    std::string lines;
    std::size_t line = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::size_t length = end - at;
        if (line > 0 && line + 1 + length > 78) {
            lines += '\n';
            line = 0;
        } else if (line > 0) {
            lines += ' ';
            ++line;
        }
        lines.append(text, at, length);
        line += length;
        at = end + 1;
    }
    return lines;
}

// The solvers' names: "order-solve-list, order-solve-grid or
// order-solve-bucket".
std::string solver_names(const char* last)
{
    std::string names;
    for (int s = 0; s < solver_count; ++s)
        names += std::string(s == 0 ? "" : s + 1 == solver_count ? last : ", ") + solvers[s].name;
    return names;
}

// What each solver takes, said in words from its facts, wrapped at 78
// columns: "order-solve-list takes any price and a demand of at most
// 2000001 per item; ..." (the solvers that need every demand covered
// named together).
std::string solvers_help()
{
    std::string text = "The solvers:";
    std::string covering;
    for (int s = 0; s < solver_count; ++s) {
        const Solver& solver = solvers[s];
        text += std::string(s == 0 ? " " : s + 1 == solver_count ? ", " : "; ") + solver.name;
        if (solver.lowest_price == int32_lowest && solver.highest_price == int32_highest)
            text += " takes any price";
        else
            text += std::string(s == 1 ? " takes" : "") + " prices " + std::to_string(solver.lowest_price) + ".." +
                    std::to_string(solver.highest_price);
        if (solver.highest_demand != int32_highest)
            text += " and a demand of at most " + std::to_string(solver.highest_demand) + " per item";
        covering += solver.needs_coverage ? "x" : "";
    }
    text += std::string(", and ") + (covering.size() == 2 ? "both" : "each of the last") +
            " need every item with demand to have at least as many offers as its demand. With --for SOLVER (one "
            "of these " + (solver_count == 3 ? std::string("three") : std::to_string(solver_count)) +
            " names), a price SOLVER does not take is reported at that price, a demand too high at the number of "
            "offers, and an item short of offers at the end of the input.";
    return wrapped(text);
}

// What --help shows after the options.
const std::string more_help = std::string(R"(Checks, in input order (every token a whole decimal integer: an optional sign
and digits):
  - the number of orders G, each order's line count n and the number of offers
    M within -2147483648..2147483647 (a count of 0 or less means none), and M
    at most 2000000;
  - each order line's item within 200..799 and its quantity within
    -2147483648..2147483647; every item's demand, the sum of its quantities,
    within -2147483648..2147483647 as it is summed;
  - each offer's item within 200..799 and its price within
    -2147483648..2147483647;
  - nothing but white space after the last offer.
Input that ends early is reported at its end.
)") + solvers_help() + R"(
With --strict, also the layout order-gen writes: G alone on the first line;
each order as n alone on a line, one "item quantity" line per order line and
an empty line; M alone on a line; one "item price" line per offer; single
blanks, a final line break and nothing after it; numbers as printf's "%d"
writes them (no plus sign, no leading zero, no minus zero).
)" + common::features_help(features) + R"(Exit status: 0 for a valid case; 1 for an invalid one, or on a read or write
error; 2 for a usage error.
)";

// What --help shows before the options.
const std::string about_help =
    wrapped("Reads one case of order data from FILE (standard input when FILE is missing or -) and checks it against "
            "the limits of the format. A valid case gets a report on standard output: the number of orders, order "
            "lines, offers and items with demand, the smallest and largest value of every bounded quantity beside "
            "its limits (marking the limits the case reaches), and which of " +
            solver_names(" and ") +
            " it suits, with the first reason for each it does not. The first violation gets one line on standard "
            "error, with its place and the token found there.") +
    "\n";

// What --help shows; FILE stands in for standard input.
const common::Usage usage{
    "[FILE]",
    about_help.c_str(),
    {
        {"for", 0, "SOLVER", "also reject a case SOLVER does not suit"},
        {"strict", 0, nullptr, "also require the layout order-gen writes"},
        {common::features_option, 0, nullptr, "also report the features the case has (listed below)"},
    },
    R"(  order-gen --seed 1 -o 3-15.in && order-validate --strict --for order-solve-list 3-15.in
  order-validate --features 3-15.in
)",
    more_help.c_str(),
};

// Ends the program as the shared command line does for a usage error.
[[noreturn]] void usage_error(const std::string& message)
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", common::program_name, message.c_str(), common::program_name);
    std::exit(2);
}

// The solver --for names, if any.
std::optional<int> solver_named(const common::Arguments& args)
{
    const std::optional<std::string> name = args.text("for");
    if (!name)
        return std::nullopt;
    for (int s = 0; s < solver_count; ++s)
        if (*name == solvers[s].name)
            return s;
    usage_error("invalid value '" + *name +
                "' for --for: expected " + solver_names(" or "));
}

// A count and its noun: "1 order", "2 orders".
std::string counted(std::int64_t count, const std::string& noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

class CaseChecker {
public:
    CaseChecker(common::Input& in, bool strict, std::optional<int> meant_for, bool features)
        : tokens_(in), strict_(strict), meant_for_(meant_for), features_(features)
    {
    }

    // Reads the whole case; the first violation ends the program.
    void check()
    {
        read_orders();
        read_offers();
        check_end();
    }

    void report() const
    {
        std::int64_t items_with_demand = 0;
        common::Extremes demand, surplus;
        for (int item = 0; item < orders::item_count; ++item) {
            if (ordered_[item])
                demand.see(demand_[item]);
            if (demand_[item] > 0) {
                ++items_with_demand;
                surplus.see(offers_of_[item] - demand_[item]);
            }
        }
        common::Report report;
        report.fact("orders", std::to_string(orders_));
        report.fact("order lines", std::to_string(order_lines_));
        report.fact("offers", std::to_string(offers_));
        report.fact("items with demand", std::to_string(items_with_demand));
        report.fact("lines", std::to_string(lines_));
        for (int s = 0; s < solver_count; ++s)
            report.fact(solvers[s].name, unsuited_[s].empty() ? "suits" : "does not suit: " + unsuited_[s]);
        common::Extremes offers;
        offers.see(offers_);
        report.bound("line count of an order", line_counts_, int32_lowest, int32_highest);
        report.bound("order item", order_items_, orders::first_item, orders::last_item);
        report.bound("quantity", quantities_, int32_lowest, int32_highest);
        report.bound("item demand", demand, int32_lowest, int32_highest);
        report.bound("offers", offers, 0, orders::max_listed_offers);
        report.bound("offer item", offer_items_, orders::first_item, orders::last_item);
        report.bound("price", prices_, int32_lowest, int32_highest);
        report.bound("offers minus demand", surplus, 0, highest_surplus);
        if (features_) {
            const std::array<bool, feature_count> has = features_found();
            report.features(features, has);
        }
        report.print();
    }

private:
    void read_orders()
    {
        const std::int64_t count = read_number([] { return std::string("the number of orders"); },
                                               [] { return std::string("the input ends before the number of orders"); },
                                               breaks[0], int32_lowest, int32_highest);
        has_[no_orders] = count <= 0;
        has_[negative_count] = has_[negative_count] || count < 0;
        for (std::int64_t order = 1; order <= count; ++order) {
            const std::string of_order = " of order " + std::to_string(order);
            const std::int64_t lines = read_number(
                [&] { return "the line count" + of_order; },
                [&] {
                    return "the input ends after " + std::to_string(order - 1) + " of the " +
                           counted(count, "order") + ": expected the line count" + of_order;
                },
                breaks[order == 1 ? 1 : 2], int32_lowest, int32_highest);
            line_counts_.see(lines);
            has_[order_without_lines] = has_[order_without_lines] || lines <= 0;
            has_[negative_count] = has_[negative_count] || lines < 0;
            for (std::int64_t line = 1; line <= lines; ++line)
                read_order_line(of_order, order, line, lines);
            order_lines_ += std::max<std::int64_t>(lines, 0);
        }
        orders_ = std::max<std::int64_t>(count, 0);
    }

    void read_order_line(const std::string& of_order, std::int64_t order, std::int64_t line, std::int64_t lines)
    {
        const auto named = [&](const char* what) {
            return [&, what] { return std::string("the ") + what + of_order + ", line " + std::to_string(line); };
        };
        const auto ended = [&](const char* what) {
            return [&, what] {
                return "the input ends after " + std::to_string(line - 1) + " of the " + counted(lines, "line") +
                       of_order + ": expected the " + what + " of line " + std::to_string(line);
            };
        };
        const int item = read_item(named("item"), ended("item"));
        const std::int64_t quantity = read_number(named("quantity"), ended("quantity"), blank, int32_lowest,
                                                  int32_highest);
        std::int64_t& demand = demand_[item - orders::first_item];
        demand += quantity;
        if (demand > int32_highest || demand < int32_lowest)
            violation("the demand for item " + std::to_string(item) +
                      (demand > int32_highest ? " rises above 2147483647" : " falls below -2147483648") +
                      " with this quantity");
        ordered_[item - orders::first_item] = true;
        order_items_.see(item);
        quantities_.see(quantity);
        // Orders are numbered from 1: 0 stands for none yet.
        std::int64_t& last_order = last_order_[item - orders::first_item];
        has_[item_twice_in_order] = has_[item_twice_in_order] || last_order == order;
        has_[item_in_several_orders] = has_[item_in_several_orders] || (last_order != 0 && last_order != order);
        last_order = order;
        has_[negative_quantity] = has_[negative_quantity] || quantity < 0;
    }

    void read_offers()
    {
        // The demand is complete once the orders are: a demand too high for
        // a solver is a fault of the orders, reported where they end.
        const bool input_ended = !tokens_.next();
        check_demand_for_solvers();
        if (input_ended)
            common::invalid(tokens_.place(),
                            orders_ > 0 ? "the input ends after the " + counted(orders_, "order") +
                                              ": expected the number of offers"
                                        : std::string("the input ends before the number of offers"),
                            "");
        const std::int64_t count = check_number([] { return std::string("the number of offers"); },
                                                breaks[orders_ > 0 ? 2 : 1], int32_lowest, int32_highest);
        if (count > orders::max_listed_offers)
            violation("the number of offers is above " + std::to_string(orders::max_listed_offers) +
                      ", the most the list solvers hold");
        offers_ = std::max<std::int64_t>(count, 0);
        has_[no_offers] = count <= 0;
        has_[negative_count] = has_[negative_count] || count < 0;
        // Room for every offer; its pages are only touched as it fills.
        if (features_)
            wanted_.reset(new Offer[static_cast<std::size_t>(offers_)]);
        for (std::int64_t offer = 1; offer <= count; ++offer) {
            // The plain offers run fast; whatever stops the run (the end of
            // a block, another kind of token, a fault, a price a solver
            // does not take) comes here.
            offer += features_ ? read_plain_offers<true>(count - offer + 1)
                               : read_plain_offers<false>(count - offer + 1);
            if (offer > count)
                break;
            const auto named = [&](const char* what) {
                return [&, what] { return std::string("the ") + what + " of offer " + std::to_string(offer); };
            };
            const auto ended = [&](const char* what) {
                return [&, what] {
                    return "the input ends after " + std::to_string(offer - 1) + " of the " +
                           counted(count, "offer") + ": expected the " + what + " of offer " + std::to_string(offer);
                };
            };
            const int item = read_item(named("item"), ended("item"));
            const std::int64_t price =
                read_number(named("price"), ended("price"), blank, int32_lowest, int32_highest);
            check_price_for_solvers(price, named("price"));
            ++offers_of_[item - orders::first_item];
            offer_items_.see(item);
            prices_.see(price);
            if (features_)
                keep_wanted(item - orders::first_item, price);
        }
    }

    // Reads up to `most` offers straight from the input block while each is
    // plain: "item price" on a line of its own as order-gen writes it (a
    // single blank between, numbers as "%d" writes them), an item of
    // 200..799 and a price that every solver still suited takes, with white
    // space behind it in the block. Counts them as the token reader would
    // and returns how many it read; it stops before any other offer (another
    // layout, a fault, a price to note, the end of the block), for the token
    // reader to read and judge. The loop that carries the 2,000,000 offers of
    // a full case: one pass over their bytes, about a tenth of the
    // instructions of reading each token on its own. With keep it also
    // keeps the offers of items with demand, for the features.
    template <bool keep>
    std::int64_t read_plain_offers(std::int64_t most)
    {
        // A line break, an item, a blank and a sign, then two words of
        // eight bytes for the price's digits and the byte behind them.
        constexpr std::size_t reach = 6 + 16;
        const std::string_view block = tokens_.unread();
        if (block.size() < reach)
            return 0;
        const char* const last_start = block.data() + (block.size() - reach);
        std::int64_t lowest = int32_lowest, highest = int32_highest;  // the prices every suited solver takes
        for (int s = 0; s < solver_count; ++s) {
            if (unsuited_[s].empty()) {
                lowest = std::max(lowest, solvers[s].lowest_price);
                highest = std::min(highest, solvers[s].highest_price);
            }
        }
        const char* p = block.data();
        const char* line = p;  // where the last offer's line starts
        std::int64_t done = 0;
        int item_low = orders::last_item, item_high = orders::first_item;
        std::int64_t price_low = int32_highest, price_high = int32_lowest;
        const auto digit = [](char c) { return static_cast<unsigned>(static_cast<unsigned char>(c) - '0'); };
        while (done < most && p <= last_start && p[0] == '\n') {
            if (digit(p[1]) - 2 > 5 || digit(p[2]) > 9 || digit(p[3]) > 9 || p[4] != ' ')
                break;
            const auto item = static_cast<int>(digit(p[1]) * 100 + digit(p[2]) * 10 + digit(p[3]));
            // A branch rather than arithmetic on the sign: predicted, it
            // keeps the next offer's place from waiting on this one's bytes.
            const char* q = p + 5;
            bool negative = false;
            if (*q == '-') [[unlikely]] {
                negative = true;
                ++q;
            }
            const std::uint64_t first = common::load_word(q), second = common::load_word(q + 8);
            const int in_first = common::leading_digits(first);
            const int in_second = in_first == 8 ? common::leading_digits(second) : 0;
            const int length = in_first + in_second;
            if (length == 0 || length > 10 || !common::is_space(static_cast<unsigned char>(q[length])) ||
                (*q == '0' && (length > 1 || negative)))
                break;
            const auto magnitude = static_cast<std::int64_t>(
                common::digits_value(first, in_first) * common::powers_of_ten[in_second] +
                common::digits_value(second, in_second));
            const std::int64_t price = negative ? -magnitude : magnitude;
            if (price < lowest || price > highest)
                break;
            ++offers_of_[item - orders::first_item];
            if constexpr (keep)
                keep_wanted(item - orders::first_item, price);
            item_low = std::min(item_low, item);
            item_high = std::max(item_high, item);
            price_low = std::min(price_low, price);
            price_high = std::max(price_high, price);
            line = p + 1;
            p = q + length;
            ++done;
        }
        if (done > 0) {
            offer_items_.see(item_low);
            offer_items_.see(item_high);
            prices_.see(price_low);
            prices_.see(price_high);
            tokens_.consume_lines(static_cast<std::size_t>(p - block.data()), done,
                                  static_cast<std::size_t>(line - block.data()));
        }
        return done;
    }

    // Notes the first price each solver does not take; one the solver
    // --for names does not take ends the program. `what` names the price.
    template <class What>
    void check_price_for_solvers(std::int64_t price, What what)
    {
        for (int s = 0; s < solver_count; ++s) {
            const Solver& solver = solvers[s];
            if (!unsuited_[s].empty() || (price >= solver.lowest_price && price <= solver.highest_price))
                continue;
            const std::string range = std::to_string(solver.lowest_price) + ".." + std::to_string(solver.highest_price);
            if (meant_for_ == s)
                violation(what() + " is outside " + range + ", the prices " + solver.name + " takes");
            unsuited_[s] = what() + " (line " + std::to_string(tokens_.place().line) + ") is " + std::to_string(price) +
                           ", outside " + range;
        }
    }

    // Once the orders are read: notes each solver's first item (in item
    // order) with a demand above what it holds, reported at the token after
    // the orders when the solver --for names cannot hold it.
    void check_demand_for_solvers()
    {
        for (int s = 0; s < solver_count; ++s) {
            for (int item = 0; item < orders::item_count && unsuited_[s].empty(); ++item) {
                if (demand_[item] <= solvers[s].highest_demand)
                    continue;
                const std::string reason = "the demand for item " + std::to_string(item + orders::first_item) +
                                           " is " + std::to_string(demand_[item]) + ", above " +
                                           std::to_string(solvers[s].highest_demand);
                if (meant_for_ == s)
                    common::invalid(tokens_.place(), reason + ", the most " + solvers[s].name + " holds",
                                    tokens_.text());
                unsuited_[s] = reason;
            }
        }
    }

    // Once all offers are read: notes each solver's first item (in item
    // order) with fewer offers than its demand, reported at the end of the
    // input when the solver --for names needs them.
    void check_coverage_for_solvers()
    {
        for (int s = 0; s < solver_count; ++s) {
            if (!solvers[s].needs_coverage)
                continue;
            for (int item = 0; item < orders::item_count && unsuited_[s].empty(); ++item) {
                if (demand_[item] <= offers_of_[item])
                    continue;
                const std::int64_t offers = offers_of_[item];
                const std::string reason = "item " + std::to_string(item + orders::first_item) + " has demand " +
                                           std::to_string(demand_[item]) + " but " +
                                           (offers == 0 ? std::string("no offers") : "only " + counted(offers, "offer"));
                if (meant_for_ == s)
                    common::invalid(tokens_.place(), reason + ", fewer than " + solvers[s].name + " needs", "");
                unsuited_[s] = reason;
            }
        }
    }

    void check_end()
    {
        if (tokens_.next())
            violation(offers_ > 0 ? "text after the last offer (the case holds " + std::to_string(offers_) + ")"
                                  : std::string("text after the number of offers (the case holds none)"));
        const common::Place end = tokens_.place();
        lines_ = tokens_.lines();
        if (strict_ && !tokens_.gap_is(breaks[1]))
            common::invalid(end,
                            tokens_.gap_length() == 0 ? std::string("the last line does not end with a line break")
                                                      : "the case must end with a single line break, not " +
                                                            tokens_.shown_gap(),
                            "");
        check_coverage_for_solvers();
    }

    // An item: a number within 200..799.
    template <class What, class Ended>
    int read_item(What what, Ended ended)
    {
        const std::int64_t item = read_number(what, ended, breaks[1], int32_lowest, int32_highest);
        if (item < orders::first_item || item > orders::last_item)
            violation(what() + " is outside " + std::to_string(orders::first_item) + ".." +
                      std::to_string(orders::last_item));
        return static_cast<int>(item);
    }

    // The next token, which must be a whole decimal integer within
    // lowest..highest, after the white space `layout` in strict mode. `what`
    // names it in messages, `ended` says what the input lacks when it ends
    // first; both are only called on a violation.
    template <class What, class Ended>
    std::int64_t read_number(What what, Ended ended, std::string_view layout, std::int64_t lowest,
                             std::int64_t highest)
    {
        if (!tokens_.next())
            common::invalid(tokens_.place(), ended(), "");
        return check_number(what, layout, lowest, highest);
    }

    // The checks of read_number() on the token already read.
    template <class What>
    std::int64_t check_number(What what, std::string_view layout, std::int64_t lowest, std::int64_t highest)
    {
        if (strict_ && !tokens_.gap_is(layout))
            violation(what() + " must " + layout_rule(layout) + " " + tokens_.shown_gap());
        if (!tokens_.is_number())
            violation(what() + " is not a whole decimal integer");
        const std::int64_t value = tokens_.value();
        if (value < lowest)
            violation(what() + " is below " + std::to_string(lowest));
        if (value > highest)
            violation(what() + " is above " + std::to_string(highest));
        if (strict_ && !tokens_.is_canonical())
            violation(what() + " is not written as printf's \"%d\" writes it: no plus sign, leading zero or minus zero");
        return value;
    }

    // The layout rule the white space `layout` stands for, leading to the
    // white space found instead.
    static std::string layout_rule(std::string_view layout)
    {
        if (layout.empty())
            return "start the input, not follow";
        if (layout == blank)
            return "follow a single blank, not";
        return layout.size() == 1 ? "follow a single line break, not" : "follow a line break and an empty line, not";
    }

    [[noreturn]] void violation(const std::string& what) const
    {
        common::invalid(tokens_.place(), what, tokens_.text());
    }

    // Keeps an offer for the features if its item has demand: stored in
    // every case, counted only then, so that no branch waits on the item.
    void keep_wanted(int item, std::int64_t price)
    {
        wanted_[static_cast<std::size_t>(wanted_count_)] = {static_cast<std::int32_t>(price),
                                                            static_cast<std::int16_t>(item)};
        wanted_count_ += demand_[item] > 0;
    }

    // The features of the whole case, those of the orders noted on the way.
    // The offers of items with demand, kept in input order, are grouped by
    // item (a counting sort); each item takes its `demand` cheapest.
    std::array<bool, feature_count> features_found() const
    {
        std::array<bool, feature_count> has = has_;
        std::array<std::int64_t, orders::item_count + 1> start{};  // of each item's offers in `grouped`
        for (int item = 0; item < orders::item_count; ++item) {
            const std::int64_t demand = demand_[item], offers = offers_of_[item];
            has[demand_cancelled] = has[demand_cancelled] || (ordered_[item] && demand <= 0 && offers > 0);
            has[offers_unordered] = has[offers_unordered] || (!ordered_[item] && offers > 0);
            has[offers_cover_exactly] = has[offers_cover_exactly] || (demand > 0 && offers == demand);
            has[fewer_offers_than_demand] = has[fewer_offers_than_demand] || (demand > offers && offers > 0);
            has[demand_without_offers] = has[demand_without_offers] || (demand > 0 && offers == 0);
            start[item + 1] = start[item] + (demand > 0 ? offers : 0);
        }
        has[first_item_in_total] = demand_.front() > 0 && offers_of_.front() > 0;
        has[last_item_in_total] = demand_.back() > 0 && offers_of_.back() > 0;

        const std::unique_ptr<std::int32_t[]> grouped(new std::int32_t[static_cast<std::size_t>(wanted_count_)]);
        std::array<std::int64_t, orders::item_count> next{};
        std::copy(start.begin(), start.end() - 1, next.begin());
        for (std::int64_t i = 0; i < wanted_count_; ++i) {
            const Offer& offer = wanted_[static_cast<std::size_t>(i)];
            grouped[static_cast<std::size_t>(next[offer.item]++)] = offer.price;
            has[negative_price] = has[negative_price] || offer.price < 0;
            has[zero_price] = has[zero_price] || offer.price == 0;
        }
        std::int64_t total = 0;
        for (int item = 0; item < orders::item_count; ++item) {
            std::int32_t* const first = grouped.get() + start[item];
            std::int32_t* end = grouped.get() + start[item + 1];
            const std::int64_t demand = demand_[item];  // an item without demand has no offers kept
            if (demand > 0 && end - first > demand) {
                std::int32_t* const cut = first + demand;
                has[cheapest_not_first] =
                    has[cheapest_not_first] || *std::max_element(first, cut) > *std::min_element(cut, end);
                std::nth_element(first, cut, end);
                end = cut;
            }
            for (const std::int32_t* price = first; price < end; ++price)
                total += *price;
        }
        has[total_beyond_32_bits] = total < int32_lowest || total > int32_highest;
        return has;
    }

    // An offer of an item with demand: its price, and its item's index.
    struct Offer {
        std::int32_t price;
        std::int16_t item;
    };

    common::NumberTokens tokens_;
    bool strict_;
    std::optional<int> meant_for_;
    bool features_;
    std::array<bool, feature_count> has_{};  // the orders' features, noted as they are read
    std::array<std::int64_t, orders::item_count> last_order_{};  // the last order naming each item
    std::unique_ptr<Offer[]> wanted_;  // with --features, the offers of items with demand
    std::int64_t wanted_count_ = 0;

    std::int64_t orders_ = 0;
    std::int64_t order_lines_ = 0;
    std::int64_t offers_ = 0;
    std::int64_t lines_ = 0;
    std::array<std::int64_t, orders::item_count> demand_{};
    std::array<bool, orders::item_count> ordered_{};  // the item has an order line
    std::array<std::int64_t, orders::item_count> offers_of_{};
    common::Extremes line_counts_, order_items_, quantities_, offer_items_, prices_;
    std::string unsuited_[solver_count];  // why each solver does not suit; empty while it does
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "order-validate";
    const common::Arguments args(usage, argc, argv);
    const std::optional<int> meant_for = solver_named(args);
    args.open_file_as_input();
    common::Input in;
    CaseChecker checker(in, args.flag("strict"), meant_for, args.flag(common::features_option));
    checker.check();
    checker.report();
    return 0;
}
