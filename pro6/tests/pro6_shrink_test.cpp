// pro6-shrink run as the reducer runs it: every step on a small case with
// its exact output, the steps it refuses and why, the usage errors; and
// every single drop of a maker's case a case pro6-validate --strict takes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run.hpp"
#include "tests/support/shrink_steps.hpp"

namespace {

using testing_support::run_with;

// First 1 3, second 3, search values 3 and 4.
const std::string small = "2 1\n1 3\n3\n2\n3\n4\n";

using Step = testing_support::ShrinkStep;

TEST(Pro6Shrink, EveryStepOnASmallCase)
{
    testing_support::expect_shrink_steps("pro6-shrink", small, {
        {{"--items"}, "5\n", 0, ""},
        {{"--numbers"}, "5\n", 0, ""},
        {{"--values"}, "1\n3\n3\n3\n4\n", 0, ""},
        // Across the first and the second sequence: both counts rewritten.
        {{"--drop", "1", "2"}, "1 0\n1\n\n2\n3\n4\n", 0, ""},
        {{"--drop", "3", "2"}, "2 1\n1 3\n3\n0\n", 0, ""},
        {{"--drop", "0", "5"}, "0 0\n\n\n0\n", 0, ""},
        {{"--set", "0", "0"}, "2 1\n0 3\n3\n2\n3\n4\n", 0, ""},
        {{"--set", "4", "-7"}, "2 1\n1 3\n3\n2\n3\n-7\n", 0, ""},
        // Equal values moved together keep the order.
        {{"--set", "1", "0", "0", "0"}, "2 1\n0 0\n3\n2\n3\n4\n", 0, ""},
        {{"--set", "1", "0"}, "", 1, "the values would break the order of the first sequence"},
        {{"--set", "2", "5", "1", "6"}, "2 1\n1 6\n5\n2\n3\n4\n", 0, ""},
        {{"--set", "3", "2147483648"}, "", 1, "the value 2147483648 does not fit in 32 bits"},
        {{"--set", "5", "0"}, "", 1, "no number 5: the case has 5"},
        {{"--drop", "5", "1"}, "", 1, "no items 5 to 5: the case has 5"},
        {{"--drop", "4", "2"}, "", 1, "no items 4 to 5: the case has 5"},
        {{"--drop", "0", "0"}, "", 1, "no items 0 to -1: the case has 5"},
    });
}

TEST(Pro6Shrink, ACaseItCannotReadAndUsageErrors)
{
    const auto short_case = run_with("pro6-shrink", {"--items"}, "2 1\n1\n");
    EXPECT_EQ(short_case.status, 1);
    EXPECT_EQ(short_case.err, "pro6-shrink: cannot read the first sequence\n");
    const Step usage[] = {
        {{}, "", 2, "a STEP is required"},
        {{"--shrink"}, "", 2, "unknown step '--shrink'"},
        {{"--items", "1"}, "", 2, "--items takes no value"},
        {{"--drop", "1"}, "", 2, "--drop takes two values"},
        {{"--set", "1", "2", "3"}, "", 2, "--set takes pairs of INDEX and VALUE"},
        {{"--drop", "x", "1"}, "", 2, "invalid FROM 'x'"},
        {{"--set", "-1", "1"}, "", 2, "invalid INDEX '-1'"},
    };
    for (const Step& step : usage) {
        const auto result = run_with("pro6-shrink", step.args, small);
        EXPECT_EQ(result.status, 2) << testing::PrintToString(step.args);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "pro6-shrink: " + step.err + "\nTry 'pro6-shrink --help' for more information.\n");
    }
    testing_support::RunOptions to_full;
    to_full.args = {"--items"};
    to_full.stdout_to_full = true;
    const auto full = testing_support::run("pro6-shrink", small, to_full);
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "pro6-shrink: write error: No space left on device\n");
}

TEST(Pro6Shrink, EverySingleDropOfAMakersCaseIsAStrictCase)
{
    const auto made = run_with("pro6-maketest", {"--seed", "5"}, "4 3\n6\n3\n");
    ASSERT_EQ(made.status, 0) << made.err;
    const auto items = run_with("pro6-shrink", {"--items"}, made.out);
    ASSERT_EQ(items.out, "13\n");
    for (int from = 0; from < 13; ++from) {
        const auto dropped = run_with("pro6-shrink", {"--drop", std::to_string(from), "1"}, made.out);
        ASSERT_EQ(dropped.status, 0) << from << dropped.err;
        EXPECT_EQ(run_with("pro6-shrink", {"--items"}, dropped.out).out, "12\n") << from;
        const auto checked = run_with("pro6-validate", {"--strict"}, dropped.out);
        EXPECT_EQ(checked.status, 0) << from << "\n" << dropped.out << checked.err;
    }
}

}  // namespace
