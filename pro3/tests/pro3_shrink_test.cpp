// pro3-shrink run as the reducer runs it: every step on a small file with
// its exact output, the steps it refuses and why, a write error; tokens
// outside the maker's layout kept as they are; and every single drop of a
// maker's file a file pro3-validate --strict takes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run.hpp"
#include "tests/support/shrink_steps.hpp"

namespace {

using testing_support::run_with;

// Two cases in the maker's layout; 12 numbers (the s tokens hold none).
const std::string small =
    "p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\n"
    "n=3 s=bin p=0 q=0 r=-5 a1=7 a2=8247596325\n";
const std::string first_case = "p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\n";
const std::string second_case = "n=3 s=bin p=0 q=0 r=-5 a1=7 a2=8247596325\n";

void expect_steps(const std::string& input, const std::vector<testing_support::ShrinkStep>& steps)
{
    testing_support::expect_shrink_steps("pro3-shrink", input, steps);
}

TEST(Pro3Shrink, EveryStepOnASmallFile)
{
    expect_steps(small, {
        {{"--items"}, "2\n", 0, ""},
        {{"--numbers"}, "12\n", 0, ""},
        {{"--values"}, "1\n1\n0\n1\n1\n10\n3\n0\n0\n-5\n7\n8247596325\n", 0, ""},
        {{"--drop", "0", "1"}, second_case, 0, ""},
        {{"--drop", "1", "1"}, first_case, 0, ""},
        {{"--drop", "0", "2"}, "", 0, ""},
        {{"--set", "0", "5"}, "p=5 q=1 r=0 a1=1 a2=1 n=10 s=dec\n" + second_case, 0, ""},
        // Numbers in file order: the second case's n comes first in its line.
        {{"--set", "6", "0", "9", "0"}, first_case + "n=0 s=bin p=0 q=0 r=0 a1=7 a2=8247596325\n", 0, ""},
        {{"--set", "11", "-9223372036854775808"},
         first_case + "n=3 s=bin p=0 q=0 r=-5 a1=7 a2=-9223372036854775808\n", 0, ""},
        {{"--set", "5", "2500000"}, "p=1 q=1 r=0 a1=1 a2=1 n=2500000 s=dec\n" + second_case, 0, ""},
        {{"--set", "5", "2500001"}, "", 1, "the value 2500001 of n is outside 0..2500000"},
        {{"--set", "6", "-1"}, "", 1, "the value -1 of n is outside 0..2500000"},
        {{"--set", "1", "2147483648"}, "", 1, "the value 2147483648 of q does not fit in 32 bits"},
        {{"--set", "9", "-2147483649"}, "", 1, "the value -2147483649 of r does not fit in 32 bits"},
        // A refused pair refuses the whole step.
        {{"--set", "0", "0", "5", "-3"}, "", 1, "the value -3 of n is outside 0..2500000"},
    });
    // The empty file: no cases, no numbers.
    expect_steps("", {
        {{"--items"}, "0\n", 0, ""},
        {{"--values"}, "", 0, ""},
        {{"--drop", "0", "1"}, "", 1, "no items 0 to 0: the case has 0"},
    });
}

// A valid file outside the maker's layout: a case over two lines, two
// cases on one line, tokens that hold no number kept byte for byte.
TEST(Pro3Shrink, TokensOutsideTheMakersLayout)
{
    const std::string loose =
        "p=+7 q=1\n\tx=1 a1=007 a2=2 n=5 s=hex p=5x q==2 r=-0 a:=3 n=4 S=oct\n"
        "a1xxxxxxxxxxxxxxxxx=1 a2=- p=1 q=1 r=1 n=2 s=dec x\n";
    expect_steps(loose, {
        {{"--items"}, "3\n", 0, ""},
        {{"--values"}, "7\n1\n7\n2\n5\n0\n3\n4\n1\n1\n1\n1\n2\n", 0, ""},
        {{"--drop", "1", "1"},
         "p=+7 q=1 x=1 a1=007 a2=2 n=5 s=hex\na2=- p=1 q=1 r=1 n=2 s=dec x\n", 0, ""},
        {{"--set", "0", "-7", "2", "0", "6", "-3"},
         "p=-7 q=1 x=1 a1=0 a2=2 n=5 s=hex\np=5x q==2 r=-0 a:=-3 n=4 S=oct "
         "a1xxxxxxxxxxxxxxxxx=1\na2=- p=1 q=1 r=1 n=2 s=dec x\n", 0, ""},
        {{"--set", "8", "-10"},
         "p=+7 q=1 x=1 a1=007 a2=2 n=5 s=hex\np=5x q==2 r=-0 a:=3 n=4 S=oct "
         "a1xxxxxxxxxxxxxxxxx=-10\na2=- p=1 q=1 r=1 n=2 s=dec x\n", 0, ""},
        {{"--set", "8", "-100"}, "", 1, "the token a1xxxxxxxxxxxxxxxxx=-100 would be longer than 23 characters"},
    });
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--drop", "0", "1"}, {"--set", "7", "0", "4", "2500000"}}) {
        const auto shrunk = run_with("pro3-shrink", args, loose);
        ASSERT_EQ(shrunk.status, 0) << shrunk.err;
        const auto checked = run_with("pro3-validate", {}, shrunk.out);
        EXPECT_EQ(checked.status, 0) << shrunk.out << checked.err;
    }
}

// The command line and its usage errors are the shared ones, tested with
// pro6-shrink.
TEST(Pro3Shrink, AFileItCannotReadAndAWriteError)
{
    const auto short_file = run_with("pro3-shrink", {"--items"}, small + "p=1 q=2\n");
    EXPECT_EQ(short_file.status, 1);
    EXPECT_EQ(short_file.out, "");
    EXPECT_EQ(short_file.err, "pro3-shrink: the last case has 2 of its 7 tokens\n");
    const std::vector<std::vector<std::string>> writing{{"--items"}, {"--drop", "0", "1"}};
    for (const std::vector<std::string>& args : writing) {
        testing_support::RunOptions to_full;
        to_full.args = args;
        to_full.stdout_to_full = true;
        const auto full = testing_support::run("pro3-shrink", small, to_full);
        EXPECT_EQ(full.status, 1) << testing::PrintToString(args);
        EXPECT_EQ(full.err, "pro3-shrink: write error: No space left on device\n");
    }
}

TEST(Pro3Shrink, EverySingleDropOfAMakersFileIsAStrictFile)
{
    const auto made = run_with("pro3-maketest", {"--seed", "7"}, "12\n4\n");
    ASSERT_EQ(made.status, 0) << made.err;
    ASSERT_EQ(run_with("pro3-shrink", {"--items"}, made.out).out, "12\n");
    ASSERT_EQ(run_with("pro3-shrink", {"--numbers"}, made.out).out, "72\n");
    for (int from = 0; from < 12; ++from) {
        const auto dropped = run_with("pro3-shrink", {"--drop", std::to_string(from), "1"}, made.out);
        ASSERT_EQ(dropped.status, 0) << from << dropped.err;
        EXPECT_EQ(run_with("pro3-shrink", {"--items"}, dropped.out).out, "11\n") << from;
        const auto checked = run_with("pro3-validate", {"--strict"}, dropped.out);
        EXPECT_EQ(checked.status, 0) << from << "\n" << dropped.out << checked.err;
    }
    // Every number of the file set to 0 at once.
    std::vector<std::string> zero_all{"--set"};
    for (int index = 0; index < 72; ++index)
        zero_all.insert(zero_all.end(), {std::to_string(index), "0"});
    const auto zeroed = run_with("pro3-shrink", zero_all, made.out);
    ASSERT_EQ(zeroed.status, 0) << zeroed.err;
    std::string zeros;
    for (int index = 0; index < 72; ++index)
        zeros += "0\n";
    EXPECT_EQ(run_with("pro3-shrink", {"--values"}, zeroed.out).out, zeros) << zeroed.out;
    const auto checked = run_with("pro3-validate", {"--strict"}, zeroed.out);
    EXPECT_EQ(checked.status, 0) << zeroed.out << checked.err;
}

}  // namespace
