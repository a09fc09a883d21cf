// pro2-shrink run as the reducer runs it: every step on small cases with
// its exact output, the steps it refuses and why, a write error; and
// every single drop of a maker's case a case pro2-validate --strict takes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run.hpp"
#include "tests/support/shrink_steps.hpp"

namespace {

using testing_support::run_with;

// A maker's header; the body tab, x, tab, newline, blank, y, newline.
const std::string small = "t2b 4\n\tx\t\n y\n";

void expect_steps(const std::string& input, const std::vector<testing_support::ShrinkStep>& steps)
{
    testing_support::expect_shrink_steps("pro2-shrink", input, steps);
}

TEST(Pro2Shrink, EveryStepOnASmallCase)
{
    expect_steps(small, {
        // The final newline is no item.
        {{"--items"}, "6\n", 0, ""},
        {{"--numbers"}, "1\n", 0, ""},
        {{"--values"}, "4\n", 0, ""},
        {{"--drop", "0", "1"}, "t2b 4\nx\t\n y\n", 0, ""},
        // Across a newline: two lines become one.
        {{"--drop", "2", "3"}, "t2b 4\n\txy\n", 0, ""},
        // The last bytes: the final newline stays.
        {{"--drop", "3", "3"}, "t2b 4\n\tx\t\n", 0, ""},
        {{"--drop", "4", "2"}, "t2b 4\n\tx\t\n\n", 0, ""},
        // Every byte: the body is left empty.
        {{"--drop", "0", "6"}, "t2b 4\n", 0, ""},
        {{"--set", "0", "0"}, "t2b 0\n\tx\t\n y\n", 0, ""},
        {{"--set", "0", "-3"}, "t2b -3\n\tx\t\n y\n", 0, ""},
        {{"--set", "0", "536870911"}, "t2b 536870911\n\tx\t\n y\n", 0, ""},
        // The width set twice: the second replaces what the first wrote.
        {{"--set", "0", "-100", "0", "2"}, "t2b 2\n\tx\t\n y\n", 0, ""},
        {{"--set", "0", "536870912"}, "", 1,
         "the case would not pass pro2-validate --strict: line 1, column 5: the width is outside the makers' range "
         "-536870912..536870911"},
        {{"--set", "0", "2147483648"}, "", 1, "the width 2147483648 does not fit in 32 bits"},
    });
}

TEST(Pro2Shrink, ACaseNotAsTheMakersWriteIt)
{
    // The width's sign and digits are rewritten, the rest of the header
    // kept; without a final newline every byte of the body is an item.
    expect_steps("t  +07x\na\tb", {
        {{"--items"}, "3\n", 0, ""},
        {{"--values"}, "7\n", 0, ""},
        {{"--set", "0", "-12"}, "t  -12x\na\tb", 0, ""},
        {{"--set", "0", "2147483647"}, "t  2147483647x\na\tb", 0, ""},
        {{"--drop", "2", "1"}, "t  +07x\na\t", 0, ""},
        {{"--drop", "0", "3"}, "t  +07x\n", 0, ""},
    });
    // Bytes the makers never write, and no final newline.
    expect_steps("b2t 4\n\r\xff", {
        {{"--drop", "0", "1"}, "b2t 4\n\xff", 0, ""},
        {{"--set", "0", "-536870913"}, "b2t -536870913\n\r\xff", 0, ""},
    });
    // A header 28 characters long.
    expect_steps("b2t 1 and some more words in\nx\n", {
        {{"--set", "0", "-99"}, "b2t -99 and some more words in\nx\n", 0, ""},
        {{"--set", "0", "-2147483648"}, "", 1,
         "the case would not pass pro2-validate: line 1, column 1: the header line has 38 characters, more than 31"},
    });
}

TEST(Pro2Shrink, WhatTabToBlankWritesStaysWithinItsCounters)
{
    // One leading tab of 2^30 blanks; a drop of the x makes both leading.
    expect_steps("t 1073741824\n\tx\t\n", {
        {{"--drop", "2", "1"}, "t 1073741824\n\tx\n", 0, ""},
        {{"--drop", "1", "1"}, "", 1,
         "the case would not pass pro2-validate: line 2, column 2: what tab-to-blank writes passes 2147483647 "
         "characters here"},
        {{"--set", "0", "2147483647"}, "", 1,
         "the case would not pass pro2-validate: line 2, column 2: what tab-to-blank writes passes 2147483647 "
         "characters here"},
        {{"--set", "0", "5"}, "t 5\n\tx\t\n", 0, ""},
    });
    // A maker's case: its five leading tabs of the widest width the makers
    // take pass the counters at the fifth.
    expect_steps("t2b 4\n\t\t\t\t\t\n", {
        {{"--set", "0", "536870911"}, "", 1,
         "the case would not pass pro2-validate --strict: line 2, column 5: what tab-to-blank writes passes "
         "2147483647 characters here"},
        {{"--set", "0", "429496729"}, "t2b 429496729\n\t\t\t\t\t\n", 0, ""},
    });
    // The same past the first blocks pro2-validate reads: the place is
    // still the line's.
    const std::string long_line(600000, 'x');
    const std::string body = long_line + "\n\tx\t\n";
    expect_steps("t 1073741824\n" + body, {
        {{"--drop", "0", "600000"}, "t 1073741824\n\n\tx\t\n", 0, ""},
        {{"--drop", "600002", "1"}, "", 1,
         "the case would not pass pro2-validate: line 3, column 2: what tab-to-blank writes passes 2147483647 "
         "characters here"},
    });
}

TEST(Pro2Shrink, HeadersWithoutANumberToMove)
{
    expect_steps("wc only\nab\n", {
        {{"--items"}, "2\n", 0, ""},
        {{"--numbers"}, "0\n", 0, ""},
        {{"--values"}, "", 0, ""},
        {{"--set", "0", "0"}, "", 1, "no number 0: the case has 0"},
        {{"--drop", "1", "1"}, "wc only\na\n", 0, ""},
    });
    // A width token that holds no number: the width is 0, and stays.
    expect_steps("b2t x4\n  \n", {
        {{"--numbers"}, "0\n", 0, ""},
        {{"--drop", "0", "2"}, "b2t x4\n", 0, ""},
    });
    // An empty line alone: no item; a header alone, no newline.
    expect_steps("t2b 4\n\n", {
        {{"--items"}, "0\n", 0, ""},
        {{"--drop", "0", "1"}, "", 1, "no items 0 to 0: the case has 0"},
    });
    expect_steps("t2b 4", {
        {{"--items"}, "0\n", 0, ""},
        {{"--set", "0", "9"}, "t2b 9", 0, ""},
    });
}

// The command line and its usage errors are the shared ones, tested with
// pro6-shrink.
TEST(Pro2Shrink, ACaseItCannotReadAndAWriteError)
{
    expect_steps("", {{{"--items"}, "", 1,
                       "line 1, column 1: the input is empty: no header line selects a mode (found \"\")"}});
    expect_steps("t2b\n\tx\n", {{{"--items"}, "", 1,
                                 "line 1, column 4: the header selects a copying mode but has no width (its "
                                 "second token) (found \"\")"}});
    testing_support::RunOptions to_full;
    to_full.args = {"--drop", "0", "1"};
    to_full.stdout_to_full = true;
    const auto full = testing_support::run("pro2-shrink", small, to_full);
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "pro2-shrink: write error: No space left on device\n");
}

// Every single drop of a maker's case, and the width set to 0, 1 and the
// least of the makers' range: each a case pro2-validate --strict takes.
void expect_strict_steps(const std::string& seed, const std::string& answers)
{
    const auto made = run_with("pro2-maketest", {"--seed", seed}, answers);
    ASSERT_EQ(made.status, 0) << made.err;
    const auto items = run_with("pro2-shrink", {"--items"}, made.out);
    ASSERT_EQ(items.status, 0) << items.err;
    const int count = std::stoi(items.out);
    ASSERT_EQ(static_cast<std::size_t>(count), made.out.size() - made.out.find('\n') - 2);
    std::vector<std::vector<std::string>> steps;
    for (int from = 0; from < count; ++from)
        steps.push_back({"--drop", std::to_string(from), "1"});
    // The copying modes' width (a wide one can pass the counters).
    if (answers[0] != 'w')
        for (const char* width : {"0", "1", "-536870912"})
            steps.push_back({"--set", "0", width});
    for (const std::vector<std::string>& step : steps) {
        const std::string shown = testing::PrintToString(step);
        const auto shrunk = run_with("pro2-shrink", step, made.out);
        ASSERT_EQ(shrunk.status, 0) << shown << shrunk.err;
        const bool dropped = step[0] == "--drop";
        EXPECT_EQ(shrunk.out.size() + (dropped ? 1 : 0) - made.out.size(),
                  dropped ? 0 : std::string(step[2]).size() - 1)
            << shown;
        EXPECT_EQ(run_with("pro2-shrink", {"--items"}, shrunk.out).out,
                  std::to_string(count - (dropped ? 1 : 0)) + "\n")
            << shown;
        const auto checked = run_with("pro2-validate", {"--strict"}, shrunk.out);
        EXPECT_EQ(checked.status, 0) << shown << "\n" << shrunk.out << checked.err;
    }
}

TEST(Pro2Shrink, EverySingleStepOnAMakersCaseIsAStrictCase)
{
    // Three count-only lines; one line of each copying mode, with a mixed
    // prefix of blanks and tabs.
    expect_strict_steps("5", "w\n3\n");
    expect_strict_steps("70", "t\n1\n4\n");
    expect_strict_steps("106", "b\n1\n3\n");
}

}  // namespace
