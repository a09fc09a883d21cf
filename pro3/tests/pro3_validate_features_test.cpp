// pro3-validate --features run as a user would: the table's layout after
// the unchanged report; for each feature case files that have it and near
// misses that do not, each checked on the whole table (what pro3-solve
// prints for each is noted beside it); the maker's cases; and no change to
// what an invalid file gets.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/feature_table.hpp"
#include "tests/support/run.hpp"

namespace {

using testing_support::FeatureCase;
using testing_support::run_with;

const std::vector<std::string> names = {
    "radix 2",
    "radix 8",
    "radix 10",
    "radix 16",
    "result 7",
    "result 8",
    "result 9",
    "7, 8 or 9 in the low 32 bits",
    "result 0",
    "negative result",
    "negative in radix 2",
    "n = 0",
    "start term unreduced",
    "negative remainder",
    "64-bit wrap",
    "setting carried over",
    "ignored token",
    "key twice in a case",
    "case over several lines",
    "cases sharing a line",
    "more than one '='",
    "value with other text",
};

// A case whose terms are 1, 1, 2, 3, 5, ...: term n for n and a radix word.
std::string fibonacci(int n, const std::string& radix)
{
    return "p=1 q=1 r=0 a1=1 a2=1 n=" + std::to_string(n) + " s=" + radix;
}

TEST(Pro3ValidateFeatures, TheTableFollowsTheReportAfterAnEmptyLine)
{
    const auto result = run_with("pro3-validate", {"--features"}, fibonacci(10, "dec") + "\nn=6 x y z w v u\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "cases: 2\n"
              "tokens: 14\n"
              "lines: 2\n"
              "cases of stage 1 (n 1..25): 2\n"
              "cases of stage 2 (n 24553..25000): 0\n"
              "cases of stage 3 or 4 (n 2499901..2500000): 0\n"
              "cases of no stage: 0\n"
              "\n"
              "quantity      smallest  largest  limits                                     reaches\n"
              "n                    6       10  0..2500000                                 -\n"
              "p                    1        1  -2147483648..2147483647                    -\n"
              "q                    1        1  -2147483648..2147483647                    -\n"
              "r                    0        0  -2147483648..2147483647                    -\n"
              "a1                   1        1  -9223372036854775808..9223372036854775807  -\n"
              "a2                   1        1  -9223372036854775808..9223372036854775807  -\n"
              "token length         1        5  1..23                                      lower\n"
              "\n"
              "feature                       present\n"
              "radix 2                       no\n"
              "radix 8                       no\n"
              "radix 10                      yes\n"
              "radix 16                      no\n"
              "result 7                      no\n"
              "result 8                      yes\n"
              "result 9                      no\n"
              "7, 8 or 9 in the low 32 bits  no\n"
              "result 0                      no\n"
              "negative result               no\n"
              "negative in radix 2           no\n"
              "n = 0                         no\n"
              "start term unreduced          no\n"
              "negative remainder            no\n"
              "64-bit wrap                   no\n"
              "setting carried over          yes\n"
              "ignored token                 yes\n"
              "key twice in a case           no\n"
              "case over several lines       no\n"
              "cases sharing a line          no\n"
              "more than one '='             no\n"
              "value with other text         no\n");
}

TEST(Pro3ValidateFeatures, TermsAndHowTheyPrint)
{
    const std::vector<FeatureCase> cases = {
        {fibonacci(10, "dec") + "\n", {"radix 10"}},  // 55
        {fibonacci(10, "bin") + "\n", {"radix 2"}},   // 110111
        {fibonacci(10, "oct") + "\n", {"radix 8"}},
        {fibonacci(10, "hex") + "\n", {"radix 16"}},
        // A sentence prints in no radix.
        {fibonacci(6, "oct") + "\n", {"result 8"}},
        {"p=0 q=0 r=7 a1=0 a2=0 n=3 s=hex\n", {"result 7"}},
        {"p=0 q=0 r=9 a1=0 a2=0 n=3 s=hex\n", {"result 9"}},
        // 4294967304 = 8 + 2^32 prints as 100000008; -4294967289 has low
        // bits 7 too.
        {"p=0 q=0 r=0 a1=0 a2=4294967304 n=2 s=hex\n", {"radix 16", "7, 8 or 9 in the low 32 bits"}},
        {"p=0 q=0 r=0 a1=0 a2=-4294967289 n=2 s=dec\n",
         {"radix 10", "7, 8 or 9 in the low 32 bits", "negative result"}},
        // -8 prints as a number, and its low 32 bits are not 8.
        {"p=0 q=0 r=-8 a1=0 a2=0 n=3 s=dec\n", {"radix 10", "negative result", "negative remainder"}},
        {"p=1 q=0 r=0 a1=0 a2=8247596325 n=3 s=bin\n", {"radix 2", "result 0"}},
        {"p=1 q=0 r=0 a1=0 a2=8247596325 n=2 s=dec\n", {"radix 10", "start term unreduced"}},
        {"p=0 q=0 r=0 a1=0 a2=-8247596325 n=2 s=dec\n", {"radix 10", "negative result", "start term unreduced"}},
        {"p=0 q=0 r=0 a1=0 a2=8247596324 n=2 s=dec\n", {"radix 10"}},
        // -5: sixty ones and 011 in base 2.
        {"p=0 q=0 r=-5 a1=0 a2=0 n=3 s=bin\n",
         {"radix 2", "negative result", "negative in radix 2", "negative remainder"}},
        // A negative sum the modulus divides gives 0.
        {"p=1 q=0 r=0 a1=0 a2=-8247596325 n=3 s=dec\n", {"radix 10", "result 0"}},
        {"p=0 q=0 r=0 a1=-3 a2=0 n=1 s=oct\n", {"radix 8", "negative result"}},
        {fibonacci(0, "dec") + "\n", {"radix 10", "result 0", "n = 0"}},
        {"a0=7 q=1 r=0 a1=1 a2=1 n=0 s=dec\n", {"result 7", "n = 0"}},
        // (2^31 - 1) (2^63 - 1) wraps to 9223372034707292161, which is not
        // below 0; 2 * 2^62 - 2 * 2^62 wraps in its products, not its sum.
        {"p=2147483647 q=0 r=0 a1=0 a2=9223372036854775807 n=3 s=dec\n", {"radix 10", "64-bit wrap"}},
        {"p=2 q=-2 r=0 a1=4611686018427387904 a2=4611686018427387904 n=3 s=dec\n", {"radix 10", "result 0"}},
        // Terms 1, 2147483647, ...: the first wrap at step 5, below 0.
        {"p=2147483647 q=0 r=0 a1=0 a2=1 n=4 s=dec\n", {"radix 10"}},
        {"p=2147483647 q=0 r=0 a1=0 a2=1 n=5 s=dec\n",
         {"radix 10", "64-bit wrap", "negative remainder", "negative result"}},
    };
    testing_support::check_feature_cases("pro3-validate", names, cases, true);
}

TEST(Pro3ValidateFeatures, TokensLinesAndSettingsKeptFromCaseToCase)
{
    const std::string first = fibonacci(10, "dec") + "\n";
    const std::vector<FeatureCase> cases = {
        // The radix and the terms from the case before; a sentence uses no
        // radix, and n 1 no p.
        {first + "p=1 q=1 r=0 a1=1 a2=1 n=11 x=0\n", {"radix 10", "setting carried over", "ignored token"}},
        {first + "p=1 q=1 r=0 a1=1 a2=1 n=6 x=0\n", {"radix 10", "result 8", "ignored token"}},
        {first + "x=1 q=1 r=0 a1=3 a2=1 n=1 s=dec\n", {"radix 10", "ignored token"}},
        {first + "p=1 q=1 r=0 x=1 y=1 n=2 s=dec\n", {"radix 10", "setting carried over", "ignored token"}},
        {first + "p=1 q=1 r=0 a1=1 a2=1 n=10 s=xyz\n", {"radix 10", "setting carried over"}},
        {first + "p=1 q=1 r=0 a1=1 a2=1 s=bin y=1\n",
         {"radix 10", "radix 2", "setting carried over", "ignored token"}},
        {first + first, {"radix 10"}},
        // What the first case leaves unset is no earlier case's.
        {"x=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\n", {"radix 10", "ignored token"}},
        {"p=1 p=1 r=0 a1=1 a2=1 n=10 s=dec\n", {"radix 10", "key twice in a case"}},
        {"p=1 q=1 r=0 a1=1 a2=1 a1=2 s=dec\n", {"radix 10", "result 0", "n = 0", "key twice in a case"}},
        {"p=1 q=1 r=0\na1=1 a2=1 n=10 s=dec\n", {"radix 10", "case over several lines"}},
        {fibonacci(10, "dec") + " " + fibonacci(5, "dec") + "\n", {"radix 10", "cases sharing a line"}},
        {"p==1 q=1 r=0 a1=1 a2=1 n=10 s=dec\n", {"radix 10", "more than one '='"}},
        {"p=1=2 q=1 r=0 a1=1 a2=1 n=10 s=dec\n", {"radix 10", "more than one '='"}},
        {"p=1x q=1 r=0 a1=1 a2=1 n=10 s=dec\n", {"radix 10", "value with other text"}},
        // a1 unchanged at 0: term 10 is 34.
        {"p=1 q=1 r=0 a1=x a2=1 n=10 s=dec\n", {"radix 10", "value with other text"}},
        {"p=+1 q=1 r=0 a1=1 a2=1 n=10 s=decimal\n", {"radix 10"}},
        // No cases at all.
        {"", {}},
    };
    testing_support::check_feature_cases("pro3-validate", names, cases, true);
}

TEST(Pro3ValidateFeatures, EveryFeatureIsSeenBothWays)
{
    // One file per feature above, the features of all of them together.
    const std::vector<FeatureCase> cases = {
        {fibonacci(10, "bin") + "\n" + fibonacci(10, "oct") + "\n" + fibonacci(10, "hex") + "\n" +
             "p=0 q=0 r=7 a1=0 a2=0 n=3 s=hex\n" + fibonacci(6, "dec") + "\n" + "p=0 q=0 r=9 a1=0 a2=0 n=3 s=dec\n" +
             "p=0 q=0 r=0 a1=0 a2=4294967304 n=2 s=hex\n" + "p=0 q=0 r=-5 a1=0 a2=0 n=3 s=bin\n" +
             fibonacci(0, "dec") + "\n" + "p=0 q=0 r=0 a1=0 a2=8247596325 n=2 s=dec\n" +
             "p=2147483647 q=0 r=0 a1=0 a2=9223372036854775807 n=3 s=dec\n" + "p=1 q=1 r=0 a1=1 a2=1 x=11 s=dec\n" +
             "p=1 p=1 r=0\na1=1 a2=1 n=10 s=dec " + "p==1x q=1 r=0 a1=1 a2=1 n=10 s=dec\n",
         std::set<std::string>(names.begin(), names.end())},
        {fibonacci(5, "dec") + "\n", {"radix 10"}},
        {fibonacci(5, "bin") + "\n", {"radix 2"}},
    };
    testing_support::check_feature_cases("pro3-validate", names, cases);
}

TEST(Pro3ValidateFeatures, TheMakersCasesOfEachStage)
{
    // The maker's values are never negative and its sums stay within 64
    // bits; stage 4 draws a radix for each case.
    const std::pair<const char*, std::set<std::string>> stages[] = {
        {"3\n", {"radix 10"}},
        {"4\n", {"radix 2", "radix 8", "radix 10", "radix 16"}},
    };
    for (const auto& [stage, present] : stages) {
        const auto made = run_with("pro3-maketest", {"--seed", "1765000000"}, std::string("20\n") + stage);
        ASSERT_EQ(made.status, 0) << made.err;
        const auto result = run_with("pro3-validate", {"--strict", "--features"}, made.out);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(testing_support::features_of(result.out), testing_support::feature_table(names, present)) << stage;
    }
}

TEST(Pro3ValidateFeatures, AnInvalidFileGetsTheSameViolation)
{
    for (const std::string input : {"p=1 q=1 r=0 a1=1 a2=1 n=2500001 s=dec\n", "p=1 q=1 r=0\n", "a=5 q r s t u v\n",
                                    "p=99999999999 q=1 r=0 a1=1 a2=1 n=1 s=dec\n"})
        testing_support::expect_features_change_no_violation("pro3-validate", input);
}

TEST(Pro3ValidateFeatures, HelpListsEveryFeature)
{
    const auto help = run_with("pro3-validate", {"--help"});
    EXPECT_NE(help.out.find("\n      --features        also report the features the cases have (listed below)\n"),
              std::string::npos)
        << help.out;
    for (const std::string& name : names)
        EXPECT_NE(help.out.find("\n  - " + name + ": "), std::string::npos) << name;
}

}  // namespace
