// order-shrink run as the reducer runs it: every step on a small case with
// its exact output, an order emptied by a drop going with its lines, the
// steps it refuses; and every single drop of order-gen's case a case
// order-validate --strict takes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run.hpp"
#include "tests/support/shrink_steps.hpp"

namespace {

using testing_support::run_with;

// Two orders (200 3, 201 1; 202 5) and three offers.
const std::string small = "2\n2\n200 3\n201 1\n\n1\n202 5\n\n3\n200 10\n200 7\n202 1\n";

TEST(OrderShrink, EveryStepOnASmallCase)
{
    testing_support::expect_shrink_steps("order-shrink", small, {
        {{"--items"}, "6\n", 0, ""},
        {{"--numbers"}, "6\n", 0, ""},
        {{"--values"}, "3\n1\n5\n10\n7\n1\n", 0, ""},
        // The first order emptied: it goes, and G with it.
        {{"--drop", "0", "2"}, "1\n1\n202 5\n\n3\n200 10\n200 7\n202 1\n", 0, ""},
        {{"--drop", "1", "1"}, "2\n1\n200 3\n\n1\n202 5\n\n3\n200 10\n200 7\n202 1\n", 0, ""},
        // Across the orders and the offers.
        {{"--drop", "2", "2"}, "1\n2\n200 3\n201 1\n\n2\n200 7\n202 1\n", 0, ""},
        {{"--drop", "0", "6"}, "0\n0\n", 0, ""},
        {{"--set", "4", "0"}, "2\n2\n200 3\n201 1\n\n1\n202 5\n\n3\n200 10\n200 0\n202 1\n", 0, ""},
        {{"--set", "0", "-2", "2", "1"}, "2\n2\n200 -2\n201 1\n\n1\n202 1\n\n3\n200 10\n200 7\n202 1\n", 0, ""},
        {{"--set", "5", "-2147483649"}, "", 1, "the value -2147483649 does not fit in 32 bits"},
        {{"--set", "6", "0"}, "", 1, "no number 6: the case has 6"},
        {{"--drop", "3", "4"}, "", 1, "no items 3 to 6: the case has 6"},
    });
    const auto cut = run_with("order-shrink", {"--items"}, "2\n1\n200 3\n\n");
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(cut.err, "order-shrink: cannot read an order's number of lines\n");
}

TEST(OrderShrink, EverySingleDropOfTheGeneratorsCaseIsAStrictCase)
{
    testing_support::TempDir folder;
    const std::string file = (folder.path() / "case.in").string();
    const auto made = run_with("order-gen", {"--seed", "4", "--orders", "1", "--offers", "200",
                                             "-o", file});
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string made_case = testing_support::read_file(file);
    const int items = std::stoi(run_with("order-shrink", {"--items"}, made_case).out);
    ASSERT_GT(items, 2);
    for (int from = 0; from < items; ++from) {
        const auto dropped = run_with("order-shrink", {"--drop", std::to_string(from), "1"}, made_case);
        ASSERT_EQ(dropped.status, 0) << from << dropped.err;
        const auto checked = run_with("order-validate", {"--strict"}, dropped.out);
        EXPECT_EQ(checked.status, 0) << from << "\n" << dropped.out << checked.err;
    }
}

}  // namespace
