// order-gen: its case for a directly seeded generator against a model of
// the steps that define it, the case's shape, the room check, and the
// program run as a user would in a folder of its own.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "common/draws.hpp"
#include "orders/order_case.hpp"
#include "tests/support/files.hpp"
#include "tests/support/run.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::captured;
using testing_support::read_file;
using testing_support::run;
using testing_support::RunOptions;
using testing_support::TempDir;
using testing_support::TempFile;

struct Generated {
    bool complete = false;
    std::string file;
    std::string console;
};

template <class Source>
Generated generate(Source& draws, const orders::CaseSize& size = {})
{
    auto tables = std::make_unique<orders::CaseTables>();
    Generated generated;
    TempFile console_file;
    {
        common::Output console(console_file.fd());
        generated.file = captured([&](common::Output& file) {
            generated.complete = orders::write_case(draws, *tables, file, console, size);
        });
        console.flush();
    }
    generated.console = console_file.contents();
    return generated;
}

Generated generate_for_seed(std::uint32_t seed, const orders::CaseSize& size = {})
{
    common::Draws draws(seed);
    return generate(draws, size);
}

// The case of one seed straight from the steps that define it, with the
// runtime's generator written out anew and the text formatted by printf:
// G orders, M offers, prices modulo P.
Generated model_case(std::uint32_t seed, long long G = 10000, long long M = 2000000, long long P = 2147483647)
{
    std::uint32_t state = seed;
    auto rand = [&] {
        state = state * 214013u + 2531011u;
        return static_cast<long long>((state >> 16) & 0x7FFF);
    };
    Generated model;
    char text[64];
    auto print = [&](std::string& to, const char* format, auto... values) {
        std::snprintf(text, sizeof text, format, values...);
        to += text;
    };
    print(model.file, "%lld\n", G);
    std::map<long long, long long> demand;
    for (long long order = 0; order < G; ++order) {
        const long long lines = rand() % 4 + 1;
        print(model.file, "%lld\n", lines);
        std::set<long long> in_order;
        for (long long line = 0; line < lines; ++line) {
            long long item = 785 + rand() % 15;
            while (in_order.count(item) != 0)
                item = 785 + rand() % 15;
            const long long quantity = rand() % 52 + 1;
            print(model.file, "%lld %lld\n", item, quantity);
            in_order.insert(item);
            demand[item] += quantity;
        }
        model.file += '\n';
    }
    print(model.file, "%lld\n", M);
    std::vector<std::pair<long long, long long>> offers;
    for (const auto& [item, units] : demand)
        for (long long k = 0; k <= units; ++k)
            offers.emplace_back(item, rand() * 40157407 % P + 1);
    if (static_cast<long long>(offers.size()) > M) {
        print(model.console, "fail %lld  !!\n", M - static_cast<long long>(offers.size()));
        return model;
    }
    while (static_cast<long long>(offers.size()) < M) {
        const long long r1 = rand();
        const long long r2 = rand();
        offers.emplace_back(r1 % 600 + 200, r2 * 33664391 % P + 1);
    }
    print(model.console, "\btotal : %lld\n", M);
    for (long long i = 0; i < M; ++i) {
        const long long j = rand() % M;
        if (i % 100 == 0)
            print(model.console, "\r%lld", i);
        std::swap(offers[static_cast<std::size_t>(i)], offers[static_cast<std::size_t>(j)]);
    }
    for (auto offer = offers.rbegin(); offer != offers.rend(); ++offer)
        print(model.file, "%lld %lld\n", offer->first, offer->second);
    model.complete = true;
    return model;
}

// Equality of long texts, reporting where they first differ.
testing::AssertionResult same_text(const std::string& got, const std::string& expected)
{
    if (got == expected)
        return testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at])
        ++at;
    const std::size_t from = at < 30 ? 0 : at - 30;
    return testing::AssertionFailure() << "sizes " << got.size() << " and " << expected.size()
                                       << ", first difference at byte " << at << ": got \""
                                       << got.substr(from, 60) << "\", expected \"" << expected.substr(from, 60)
                                       << "\"";
}

TEST(OrderCase, SmallerCasesMatchTheModel)
{
    struct Size {
        int orders;
        std::int32_t offers;
        std::int32_t max_price;
    };
    // Small and in-range sizes, the smallest of each, and a size too small
    // for its orders' demand.
    const Size sizes[] = {{10, 1000, 100}, {200, 50000, 100000}, {10000, 2000000, 2000000}, {1, 60, 1},
                          {3, 40, 2147483647}};
    for (std::uint32_t seed : {7u, 1765000000u}) {
        for (const Size& s : sizes) {
            const Generated generated = generate_for_seed(seed, {s.orders, s.offers, s.max_price});
            const Generated model = model_case(seed, s.orders, s.offers, s.max_price);
            EXPECT_EQ(generated.complete, model.complete) << seed << " " << s.offers;
            EXPECT_TRUE(same_text(generated.console, model.console)) << seed << " " << s.offers;
            if (model.complete) {
                EXPECT_TRUE(same_text(generated.file, model.file)) << seed << " " << s.offers;
            }
        }
    }
}

TEST(OrderCase, FirstOrdersFollowTheDrawsOfSeedOne)
{
    // Worked from the draws after srand(1): 41, 18467, 6334, 26500, 19169,
    // 15724, 11478, 29358.
    const Generated generated = generate_for_seed(1);
    const std::string first = "10000\n2\n787 43\n795 34\n\n1\n788 31\n\n";
    EXPECT_EQ(generated.file.substr(0, first.size()), first);
}

TEST(OrderCase, MatchesTheModelForSeveralSeeds)
{
    for (std::uint32_t seed : {1u, 1765000000u, 4294967295u}) {
        const Generated generated = generate_for_seed(seed);
        const Generated model = model_case(seed);
        EXPECT_TRUE(generated.complete) << seed;
        EXPECT_TRUE(same_text(generated.file, model.file)) << seed;
        EXPECT_TRUE(same_text(generated.console, model.console)) << seed;
    }
}

// The offers of a case by item; checks every order and offer line on the way.
std::map<long long, long long> check_shape(const std::string& file)
{
    std::istringstream lines(file);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "10000");
    std::map<long long, long long> demand;
    for (int order = 0; order < 10000; ++order) {
        std::getline(lines, line);
        const int count = std::stoi(line);
        EXPECT_TRUE(count >= 1 && count <= 4) << "order " << order;
        std::set<long long> items;
        for (int k = 0; k < count; ++k) {
            long long item = 0, quantity = 0;
            std::getline(lines, line);
            std::istringstream(line) >> item >> quantity;
            EXPECT_EQ(line, std::to_string(item) + " " + std::to_string(quantity));
            EXPECT_TRUE(item >= 785 && item <= 799 && quantity >= 1 && quantity <= 52) << line;
            EXPECT_TRUE(items.insert(item).second) << "item twice in order " << order;
            demand[item] += quantity;
        }
        std::getline(lines, line);
        EXPECT_EQ(line, "") << "after order " << order;
    }
    std::getline(lines, line);
    EXPECT_EQ(line, "2000000");
    std::map<long long, long long> offers;
    long long count = 0;
    while (std::getline(lines, line)) {
        long long item = 0, price = 0;
        std::istringstream(line) >> item >> price;
        EXPECT_EQ(line, std::to_string(item) + " " + std::to_string(price));
        if (!(item >= 200 && item <= 799 && price >= 1 && price <= 2147483647))
            ADD_FAILURE() << "offer line " << line;
        ++offers[item];
        ++count;
    }
    EXPECT_EQ(count, 2000000);
    EXPECT_EQ(file.back(), '\n');
    for (const auto& [item, units] : demand)
        EXPECT_GT(offers[item], units) << "item " << item;
    return offers;
}

TEST(OrderCase, HasTheShapeTheSolversRead)
{
    const Generated generated = generate_for_seed(20261208);
    const auto offers = check_shape(generated.file);
    EXPECT_GT(offers.size(), 590u);  // fill offers fall on nearly every item
}

// Draws that make every order four lines of items 785, 786, 787 and 788,
// each with the quantity draw given (the last order's apart); later draws
// are anything.
class FixedOrders {
public:
    FixedOrders(int quantity_draw, int last_quantity_draw) : quantity_(quantity_draw), last_(last_quantity_draw) {}

    int next()
    {
        const long long i = count_++;
        if (i >= 9LL * orders::case_orders)
            return static_cast<int>(i * 7919 % 32768);
        const long long order = i / 9, place = i % 9;
        if (place == 0)
            return 3;  // four lines
        if (place % 2 == 1)
            return static_cast<int>(place / 2);  // items 785 to 788
        return order == orders::case_orders - 1 ? last_ : quantity_;
    }

private:
    int quantity_, last_;
    long long count_ = 0;
};

TEST(OrderCase, FailsWhenTheOrdersLeaveNoRoom)
{
    // 10,000 orders of 4 x 52 units need 2,080,004 offers.
    FixedOrders most(51, 51);
    const Generated full = generate(most);
    EXPECT_FALSE(full.complete);
    EXPECT_EQ(full.console, "fail -80004  !!\n");
    // 1,999,800 + 4 x 50 units: four offers too many.
    FixedOrders over(49, 49);
    const Generated short_of_four = generate(over);
    EXPECT_FALSE(short_of_four.complete);
    EXPECT_EQ(short_of_four.console, "fail -4  !!\n");
}

TEST(OrderCase, DemandThatFillsEverySlotExactlyLeavesNoFillOffers)
{
    // 1,999,800 + 4 x 49 units and one offer more per item: 2,000,000.
    FixedOrders exact(49, 48);
    const Generated generated = generate(exact);
    EXPECT_TRUE(generated.complete);
    const std::string start = "\btotal : 2000000\n\r0\r100\r";
    EXPECT_EQ(generated.console.substr(0, start.size()), start);
    const auto offers = check_shape(generated.file);
    const std::map<long long, long long> expected{{785, 500000}, {786, 500000}, {787, 500000}, {788, 500000}};
    EXPECT_EQ(offers, expected);
}

std::vector<std::string> names_in(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST(OrderGen, WritesTheCaseOfTheCurrentSecond)
{
    TempDir folder;
    std::ofstream(folder.path() / "3-15.in") << "an earlier case\n";
    RunOptions options;
    options.directory = folder.path().string();
    const std::time_t before = std::time(nullptr);
    const auto result = run("order-gen", "", options);
    const std::time_t after = std::time(nullptr);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(names_in(folder.path()), std::vector<std::string>{"3-15.in"});
    // The generator was seeded with one of the seconds the run spanned.
    const std::string file = read_file(folder.path() / "3-15.in");
    for (std::time_t second = before; second <= after; ++second) {
        const Generated model = model_case(static_cast<std::uint32_t>(second));
        if (file != model.file)
            continue;
        // The console lines, then the clock reading behind the last mark.
        ASSERT_GT(result.out.size(), model.console.size());
        EXPECT_TRUE(same_text(result.out.substr(0, model.console.size()), model.console));
        const std::string clock = result.out.substr(model.console.size());
        EXPECT_EQ(clock.back(), '\n');
        EXPECT_EQ(clock.find_first_not_of("0123456789"), clock.size() - 1) << clock;
        return;
    }
    ADD_FAILURE() << "3-15.in is not the case of any second from " << before << " to " << after;
    if (after == before) {
        EXPECT_TRUE(same_text(file, model_case(static_cast<std::uint32_t>(before)).file));
    }
}

TEST(OrderGen, AFullOutputLeavesTheEarlierCase)
{
    TempDir folder;
    std::ofstream(folder.path() / "3-15.in") << "an earlier case\n";
    RunOptions options;
    options.directory = folder.path().string();
    options.stdout_to_full = true;
    const auto result = run("order-gen", "", options);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "order-gen: write error: No space left on device\n");
    EXPECT_EQ(names_in(folder.path()), std::vector<std::string>{"3-15.in"});
    EXPECT_EQ(read_file(folder.path() / "3-15.in"), "an earlier case\n");
}

TEST(OrderGen, ReportsACaseItCannotPutInPlace)
{
    // A folder named 3-15.in cannot be replaced by the finished case.
    TempDir folder;
    fs::create_directory(folder.path() / "3-15.in");
    std::ofstream(folder.path() / "3-15.in" / "kept") << "kept\n";
    RunOptions options;
    options.directory = folder.path().string();
    const auto result = run("order-gen", "", options);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "order-gen: cannot replace 3-15.in: Is a directory\n");
    EXPECT_EQ(result.out.substr(0, 17), "\btotal : 2000000\n");
    EXPECT_EQ(names_in(folder.path()), std::vector<std::string>{"3-15.in"});
    EXPECT_EQ(read_file(folder.path() / "3-15.in" / "kept"), "kept\n");
}

TEST(OrderGen, ReportsAFolderItCannotWriteIn)
{
    // Permissions do not hold back the superuser; /sys takes no new files.
    TempDir folder;
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
    RunOptions options;
    options.directory = geteuid() == 0 ? "/sys" : folder.path().string();
    const auto result = run("order-gen", "", options);
    fs::permissions(folder.path(), fs::perms::owner_all);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    const std::string prefix = "order-gen: cannot create 3-15.in in the current folder: ";
    EXPECT_EQ(result.err.substr(0, prefix.size()), prefix) << result.err;
    EXPECT_EQ(result.err.back(), '\n');
}

}  // namespace

namespace {

// order-gen run in a folder of its own with the given arguments.
testing_support::RunResult run_in(const TempDir& folder, const std::vector<std::string>& args)
{
    RunOptions options;
    options.directory = folder.path().string();
    options.args = args;
    return run("order-gen", "", options);
}

TEST(OrderGen, WritesTheSizedCaseOfItsSeedToTheNamedFile)
{
    TempDir folder;
    fs::create_directory(folder.path() / "cases");
    const auto result = run_in(folder, {"--seed", "1765000000", "--orders", "20", "--offers=3000", "--max-price",
                                        "100000", "-o", "cases/small.in"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(names_in(folder.path() / "cases"), std::vector<std::string>{"small.in"});
    EXPECT_EQ(names_in(folder.path()), std::vector<std::string>{"cases"});
    const Generated model = model_case(1765000000u, 20, 3000, 100000);
    ASSERT_TRUE(model.complete);
    EXPECT_TRUE(same_text(read_file(folder.path() / "cases" / "small.in"), model.file));
    EXPECT_TRUE(same_text(result.out.substr(0, model.console.size()), model.console));
}

TEST(OrderGen, ItsInRangeCasesGetOneTotalFromAllThreeSolvers)
{
    TempDir folder;
    for (const char* max_price : {"100000", "1"}) {
        const auto made = run_in(folder, {"--seed", "42", "--orders", "100", "--offers", "20000", "--max-price",
                                          max_price, "-oc.in"});
        ASSERT_EQ(made.status, 0) << made.err;
        const std::string file = (folder.path() / "c.in").string();
        std::string totals;
        for (const char* solver : {"order-solve-list", "order-solve-grid", "order-solve-bucket"}) {
            const auto solved = testing_support::run_with(solver, {file});
            EXPECT_EQ(solved.status, 0) << solver << solved.err;
            totals += solved.out.substr(0, solved.out.find('\n') + 1);
        }
        const std::string first = totals.substr(0, totals.find('\n') + 1);
        EXPECT_NE(first, "0\n");
        EXPECT_EQ(totals, first + first + first) << "max price " << max_price;
    }
}

TEST(OrderGen, RejectsSizesOutsideTheirRanges)
{
    TempDir folder;
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--orders", "0"}, "invalid value '0' for --orders: expected a number from 1 to 10000"},
        {{"--orders", "10001"}, "invalid value '10001' for --orders: expected a number from 1 to 10000"},
        {{"--offers", "2000001"}, "invalid value '2000001' for --offers: expected a number from 1 to 2000000"},
        {{"--max-price", "0"}, "invalid value '0' for --max-price: expected a number from 1 to 2147483647"},
        {{"--max-price", "2147483648"},
         "invalid value '2147483648' for --max-price: expected a number from 1 to 2147483647"},
        {{"-o"}, "option requires an argument -- 'o'"},
        {{"--output="}, "option '--output' requires a non-empty argument"},
    };
    for (const auto& [args, message] : cases) {
        const auto result = run_in(folder, args);
        EXPECT_EQ(result.status, 2) << args[0];
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "order-gen: " + message + "\nTry 'order-gen --help'.\n");
    }
    EXPECT_TRUE(names_in(folder.path()).empty());
}

TEST(OrderGen, TooFewOffersForTheOrdersLeaveNoFile)
{
    TempDir folder;
    const auto result = run_in(folder, {"--seed", "3", "--orders", "50", "--offers", "10", "-o", "x.in"});
    const Generated model = model_case(3, 50, 10, 2147483647);
    ASSERT_FALSE(model.complete);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, model.console);
    EXPECT_TRUE(names_in(folder.path()).empty());
}

TEST(OrderGen, ReportsAFileItCannotCreate)
{
    TempDir folder;
    const auto result = run_in(folder, {"-o", "missing/x.in"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "order-gen: cannot create missing/x.in: No such file or directory\n");
}

}  // namespace
