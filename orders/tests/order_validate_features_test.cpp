// order-validate --features run as a user would: the table's layout after
// the unchanged report; for each feature cases that have it and near misses
// that do not, each checked on the whole table, small ones and ones of many
// offers for the one-pass reading; and no change to what an invalid case
// gets.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/feature_table.hpp"
#include "tests/support/run.hpp"

namespace {

using testing_support::FeatureCase;
using testing_support::run_with;

const std::vector<std::string> names = {
    "no orders",
    "order without lines",
    "no offers",
    "negative count",
    "negative quantity",
    "item twice in an order",
    "item in several orders",
    "demand 0 or less",
    "offers for an unordered item",
    "offers exactly cover demand",
    "fewer offers than demand",
    "demand without offers",
    "cheapest offers not first",
    "negative price",
    "price 0",
    "total beyond 32 bits",
    "item 200 in the total",
    "item 799 in the total",
};

TEST(OrderValidateFeatures, TheTableFollowsTheReportAfterAnEmptyLine)
{
    const auto result = run_with("order-validate", {"--features"}, "1\n2\n785 2\n790 1\n\n4\n785 10\n785 7\n790 4\n200 2\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "orders: 1\n"
              "order lines: 2\n"
              "offers: 4\n"
              "items with demand: 2\n"
              "lines: 10\n"
              "order-solve-list: suits\n"
              "order-solve-grid: suits\n"
              "order-solve-bucket: suits\n"
              "\n"
              "quantity                smallest  largest  limits                   reaches\n"
              "line count of an order         2        2  -2147483648..2147483647  -\n"
              "order item                   785      790  200..799                 -\n"
              "quantity                       1        2  -2147483648..2147483647  -\n"
              "item demand                    1        2  -2147483648..2147483647  -\n"
              "offers                         4        4  0..2000000               -\n"
              "offer item                   200      790  200..799                 lower\n"
              "price                          2       10  -2147483648..2147483647  -\n"
              "offers minus demand            0        0  0..1999999               lower\n"
              "\n"
              "feature                       present\n"
              "no orders                     no\n"
              "order without lines           no\n"
              "no offers                     no\n"
              "negative count                no\n"
              "negative quantity             no\n"
              "item twice in an order        no\n"
              "item in several orders        no\n"
              "demand 0 or less              no\n"
              "offers for an unordered item  yes\n"
              "offers exactly cover demand   yes\n"
              "fewer offers than demand      no\n"
              "demand without offers         no\n"
              "cheapest offers not first     no\n"
              "negative price                no\n"
              "price 0                       no\n"
              "total beyond 32 bits          no\n"
              "item 200 in the total         no\n"
              "item 799 in the total         no\n");
}

TEST(OrderValidateFeatures, SmallCasesWithAndWithoutEachFeature)
{
    const std::vector<FeatureCase> cases = {
        // Item 785 in both orders, demand 3: its first three offers 10, 7, 2
        // are not its cheapest (a later 7 is cheaper than 10).
        {"2\n2\n785 2\n790 1\n\n1\n785 1\n\n6\n785 10\n785 7\n790 4\n785 2\n785 7\n200 1\n",
         {"item in several orders", "offers for an unordered item", "offers exactly cover demand",
          "cheapest offers not first"}},
        {"0\n0\n", {"no orders", "no offers"}},
        {"-1\n-5\n", {"no orders", "no offers", "negative count"}},
        {"1\n0\n\n1\n300 5\n", {"order without lines", "offers for an unordered item"}},
        {"1\n-2\n\n0\n", {"order without lines", "negative count", "no offers"}},
        // Quantities that cancel: demand 0, and the item's offer is not taken.
        {"1\n2\n300 2\n300 -2\n\n1\n300 5\n", {"item twice in an order", "negative quantity", "demand 0 or less"}},
        // A negative demand without offers.
        {"1\n1\n300 -1\n\n0\n", {"negative quantity", "no offers"}},
        {"1\n1\n300 3\n\n2\n300 5\n300 6\n", {"fewer offers than demand"}},
        {"1\n1\n300 3\n\n0\n", {"no offers", "demand without offers"}},
        // The first two offers are the two cheapest, once with a tie at the
        // cut: none of the features.
        {"1\n1\n300 2\n\n3\n300 1\n300 2\n300 3\n", {}},
        {"1\n1\n300 2\n\n3\n300 2\n300 1\n300 2\n", {}},
        {"1\n1\n300 2\n\n3\n300 3\n300 1\n300 2\n", {"cheapest offers not first"}},
        {"1\n1\n300 1\n\n2\n300 -4\n300 9\n", {"negative price"}},
        // Negative and zero prices of an item without demand do not count.
        {"1\n1\n300 1\n\n3\n300 4\n301 -4\n302 0\n", {"offers exactly cover demand", "offers for an unordered item"}},
        {"1\n1\n300 1\n\n2\n300 0\n300 5\n", {"price 0"}},
        // Totals of 2147483647 and -2147483648 fit; one past them does not,
        // over one item or over two.
        {"1\n1\n300 1\n\n1\n300 2147483647\n", {"offers exactly cover demand"}},
        {"1\n1\n300 2\n\n2\n300 2147483647\n300 1\n", {"offers exactly cover demand", "total beyond 32 bits"}},
        {"1\n2\n300 1\n301 1\n\n2\n300 2147483647\n301 1\n", {"offers exactly cover demand", "total beyond 32 bits"}},
        {"1\n1\n300 1\n\n1\n300 -2147483648\n", {"offers exactly cover demand", "negative price"}},
        {"1\n1\n300 2\n\n2\n300 -2147483648\n300 -1\n",
         {"offers exactly cover demand", "negative price", "total beyond 32 bits"}},
        // Only the cheapest offers count toward the total.
        {"1\n1\n300 1\n\n3\n300 2147483647\n300 5\n300 2147483647\n", {"cheapest offers not first"}},
        {"1\n2\n200 1\n799 1\n\n2\n200 5\n799 5\n",
         {"offers exactly cover demand", "item 200 in the total", "item 799 in the total"}},
        {"1\n1\n799 1\n\n1\n200 5\n", {"demand without offers", "offers for an unordered item"}},
        // Layout and signs do not matter.
        {"1 1 300 +1 1 300 05", {"offers exactly cover demand"}},
    };
    testing_support::check_feature_cases("order-validate", names, cases);
}

TEST(OrderValidateFeatures, ManyOffersAsOrderGenWritesThem)
{
    // 100,000 offers on lines of their own, read in one pass over each
    // input block: item 300 has demand 2 and offers priced 2000000000 but
    // for two cheap ones far into the list, whose sum is 2147483647 or
    // 2147483648 (the second written with a plus sign in one variant, for
    // the token reader); item 301, without demand, has an offer priced 0.
    const auto orders_case = [](const std::string& cheap, const std::string& cheaper) {
        std::string text = "1\n1\n300 2\n\n100001\n";
        for (int i = 0; i < 100000; ++i)
            text += i == 70000 ? "300 " + cheap + "\n" : i == 90000 ? "300 " + cheaper + "\n" : "300 2000000000\n";
        return text + "301 0\n";
    };
    const std::set<std::string> base = {"offers for an unordered item", "cheapest offers not first"};
    std::set<std::string> beyond = base;
    beyond.insert("total beyond 32 bits");
    testing_support::check_feature_cases("order-validate", names,
                                         {
                                             {orders_case("1073741823", "1073741824"), base},
                                             {orders_case("1073741824", "1073741824"), beyond},
                                             {orders_case("1073741824", "+1073741824"), beyond},
                                             {orders_case("1073741823", "+1073741824"), base},
                                         },
                                         true);
}

TEST(OrderValidateFeatures, AnInvalidCaseGetsTheSameViolation)
{
    for (const std::string input : {"1\n1\n199 1\n\n0\n", "1\n1\n300 2147483647\n300 1\n", "0\n1\n300 x\n",
                                    "0\n0\n5\n"})
        testing_support::expect_features_change_no_violation("order-validate", input);
    // And with --for, a solver's fault.
    const auto plain = run_with("order-validate", {"--for", "order-solve-grid"}, "1\n1\n300 2\n\n1\n300 5\n");
    const auto result =
        run_with("order-validate", {"--for", "order-solve-grid", "--features"}, "1\n1\n300 2\n\n1\n300 5\n");
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, plain.err);
}

TEST(OrderValidateFeatures, HelpListsEveryFeature)
{
    const auto help = run_with("order-validate", {"--help"});
    EXPECT_NE(help.out.find("\n      --features        also report the features the case has (listed below)\n"),
              std::string::npos)
        << help.out;
    for (const std::string& name : names)
        EXPECT_NE(help.out.find("\n  - " + name + ": "), std::string::npos) << name;
}

}  // namespace
