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
Generated generate(Source& draws)
{
    auto tables = std::make_unique<orders::CaseTables>();
    Generated generated;
    TempFile console_file;
    {
        common::Output console(console_file.fd());
        generated.file = captured([&](common::Output& file) {
            generated.complete = orders::write_case(draws, *tables, file, console);
        });
        console.flush();
    }
    generated.console = console_file.contents();
    return generated;
}

Generated generate_for_seed(std::uint32_t seed)
{
    common::Draws draws(seed);
    return generate(draws);
}

// The case of one seed straight from the steps that define it, with the
// runtime's generator written out anew and the text formatted by printf.
Generated model_case(std::uint32_t seed)
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
    print(model.file, "%d\n", 10000);
    std::map<long long, long long> demand;
    for (int order = 0; order < 10000; ++order) {
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
    print(model.file, "%d\n", 2000000);
    std::vector<std::pair<long long, long long>> offers;
    for (const auto& [item, units] : demand)
        for (long long k = 0; k <= units; ++k)
            offers.emplace_back(item, rand() * 40157407 % 2147483647 + 1);
    EXPECT_LE(offers.size(), 2000000u) << "seed " << seed << " has no room; pick another";
    while (offers.size() < 2000000) {
        const long long r1 = rand();
        const long long r2 = rand();
        offers.emplace_back(r1 % 600 + 200, r2 * 33664391 % 2147483647 + 1);
    }
    print(model.console, "\btotal : %d\n", 2000000);
    for (long long i = 0; i < 2000000; ++i) {
        const long long j = rand() % 2000000;
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
