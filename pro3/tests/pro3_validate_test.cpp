// pro3-validate run as a user would: one group per rule with a case just
// inside and one just outside each limit, the maker's layout under
// --strict, the report of a known file, and every case pro3-maketest
// writes passing with --strict.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/draws.hpp"
#include "pro3/case_maker.hpp"
#include "tests/support/files.hpp"
#include "tests/support/report_table.hpp"
#include "tests/support/run.hpp"

namespace {

using testing_support::captured;
using testing_support::parse_report;
using testing_support::ReportRow;
using testing_support::run;
using testing_support::run_with;

// An input and what pro3-validate says of it: the message after
// "pro3-validate: ", or "" for a valid input.
struct Check {
    std::string input;
    std::string error;
};

void expect_checks(const std::vector<Check>& checks, const std::vector<std::string>& args = {})
{
    for (const Check& check : checks) {
        const auto result = run_with("pro3-validate", args, check.input);
        if (check.error.empty()) {
            EXPECT_EQ(result.status, 0) << check.input << "\n" << result.err;
            EXPECT_EQ(result.err, "") << check.input;
            EXPECT_NE(result.out.find("cases: "), std::string::npos) << check.input;
        } else {
            EXPECT_EQ(result.status, 1) << check.input;
            EXPECT_EQ(result.out, "") << check.input;
            EXPECT_EQ(result.err, "pro3-validate: " + check.error + "\n") << check.input;
        }
    }
}

// Six tokens that complete a case around one under test.
const std::string six = " x x x x x x";

TEST(Pro3Validate, TokensHaveAtMost23Characters)
{
    expect_checks({
        {"a1=-9223372036854775808" + six, ""},
        {std::string(23, 'x') + six, ""},
        {std::string(24, 'x') + six,
         "line 1, column 1: the token has 24 characters, more than 23 (found \"" + std::string(24, 'x') + "\")"},
        {"x x x x x x x\n  p=" + std::string(22, '1'),
         "line 2, column 3: the token has 24 characters, more than 23 (found \"p=" + std::string(22, '1') + "\")"},
        // A token of any length is measured, and quoted by its start.
        {"x " + std::string(1 << 20, 'y'),
         "line 1, column 3: the token has 1048576 characters, more than 23 (found \"" + std::string(40, 'y') + "\")"},
    });
}

TEST(Pro3Validate, UsedKeysHaveAnEqualsSignAndAValue)
{
    expect_checks({
        {"p=5 q==5 r=1=7 s=d n=3 a1=1 k", ""},
        {"x x x x x x x\nx x p5", "line 2, column 5: the key p has no '=' after it (found \"p5\")"},
        {"x q=", "line 1, column 3: the key q has no value after its '=' (found \"q=\")"},
        {"x x s===", "line 1, column 5: the key s has no value after its '=' (found \"s===\")"},
        {"n" + six, "line 1, column 1: the key n has no '=' after it (found \"n\")"},
        // Other first characters are no keys: anything goes.
        {"x k= P5 =7 #" + std::string(20, '=') + " y z", ""},
    });
}

TEST(Pro3Validate, TermKeysHaveACharacterOfCode48To127)
{
    const std::string message = "an a key needs a character of code 48..127 between the a and its '='";
    expect_checks({
        {"a0=1 a1=2 a~=3 a\x7f=4 a05=5 x x", ""},
        {"x a=5", "line 1, column 3: " + message + " (found \"a=5\")"},
        {"a" + six, "line 1, column 1: " + message + " (found \"a\")"},
        {"a/=5" + six, "line 1, column 1: " + message + " (found \"a/=5\")"},
        {"a\x80=5" + six, "line 1, column 1: " + message + " (found \"a\x80=5\")"},
    });
}

TEST(Pro3Validate, ValuesFitTheirTypes)
{
    expect_checks({
        {"p=2147483647 q=-2147483648 r=+5 n=-0 a1=9223372036854775807 a2=-9223372036854775808 x", ""},
        // atoi's 0 for a value without digits; a term without a number stays.
        {"p=abc q=- r=+ n=+-3 a1=xyz a2=+ s=Hex", ""},
        {"p=1 r=2147483648", "line 1, column 5: the value of r is above 2147483647 (found \"r=2147483648\")"},
        {"n=-2147483649", "line 1, column 1: the value of n is below -2147483648 (found \"n=-2147483649\")"},
        {"x x a1=9223372036854775808",
         "line 1, column 5: the value of an a key is above 9223372036854775807 (found \"a1=9223372036854775808\")"},
        {"a9=-9223372036854775809",
         "line 1, column 1: the value of an a key is below -9223372036854775808 (found \"a9=-9223372036854775809\")"},
    });
}

TEST(Pro3Validate, NLiesIn0To2500000WhenTheCaseEnds)
{
    expect_checks({
        {"n=2500000" + six + "\nn=0" + six, ""},
        {"x x x n=2500001 x x x", "line 1, column 7: the n of case 1 is above 2500000 (found \"n=2500001\")"},
        {"n=1" + six + "\nx n=-1 x x x x x", "line 2, column 3: the n of case 2 is below 0 (found \"n=-1\")"},
        // A later n of the same case counts; n carries over to later cases.
        {"n=9999999 n=3 x x x x x\nx x x x x x x", ""},
        {"n=1 x x x x x n=2500001", "line 1, column 15: the n of case 1 is above 2500000 (found \"n=2500001\")"},
        // n is checked when the case ends: a fault in a later token of the
        // same case comes first.
        {"n=-1 x " + std::string(24, 'z') + " x x x x",
         "line 1, column 8: the token has 24 characters, more than 23 (found \"" + std::string(24, 'z') + "\")"},
    });
}

TEST(Pro3Validate, OnlyWholeCasesOfSevenTokens)
{
    const std::string one_case = "p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\n";
    expect_checks({
        {"", ""},
        {" \n\t", ""},
        {one_case + one_case, ""},
        {one_case + "p=1", "line 2, column 1: the last case has 1 of its 7 tokens before the input ends (found \"p=1\")"},
        {one_case + "\n  q=1 r=0\na1=1 a2=1 n=10\ns=dec\n",
         "line 3, column 3: the last case has 6 of its 7 tokens before the input ends (found \"q=1\")"},
    });
}

TEST(Pro3Validate, StrictWantsTheMakersLayout)
{
    const std::string line = "p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec";
    const std::vector<std::string> strict = {"--strict"};
    expect_checks(
        {
            {"", ""},
            {line + "\n", ""},
            {"\n", "line 1, column 1: white space without any case (a file of no cases is empty) (found \"\\x0A\")"},
            {" " + line + "\n", "line 1, column 1: the input begins with white space (found \" \")"},
            {"\n" + line + "\n", "line 1, column 1: the input begins with an empty line (found \"\\x0A\")"},
            {line, "line 1, column 33: the last line does not end with a newline (found \"\")"},
            {line + " \n", "line 1, column 33: white space at the end of a line (found \" \\x0A\")"},
            {line + "\r\n" + line + "\n", "line 1, column 33: white space at the end of a line (found \"\\x0D\\x0A\")"},
            {line + "\n\n" + line + "\n", "line 2, column 1: an empty line (found \"\\x0A\")"},
            {line + "\n\t" + line + "\n", "line 2, column 1: white space at the start of a line (found \"\\x09\")"},
            {line + " " + line + "\n",
             "line 1, column 33: a line holds one case: a newline follows its seventh token (found \" \")"},
            {"p=1 q=1  r=0 a1=1 a2=1 n=10 s=dec\n",
             "line 1, column 8: the tokens of a case are separated by one blank (found \"  \")"},
            {"p=1\tq=1 r=0 a1=1 a2=1 n=10 s=dec\n",
             "line 1, column 4: the tokens of a case are separated by one blank (found \"\\x09\")"},
            {"p=1 q=1 r=0\na1=1 a2=1 n=10 s=dec\n",
             "line 1, column 12: the seven tokens of a case stand on one line (found \"\\x0A\")"},
        },
        strict);
}

TEST(Pro3Validate, StrictWantsTheMakersTokens)
{
    const std::vector<std::string> strict = {"--strict"};
    expect_checks(
        {
            {"s=hex n=0 a2=-7 a1=0 r=-2147483648 q=2147483647 p=5\n", ""},
            {"p=1 q=1 r=0 a1=1 a2=1 n=10 x=1\n",
             "line 1, column 28: the key is not one of p, q, r, a1, a2, n and s (found \"x=1\")"},
            {"p=1 q=1 r=0 a1=1 a3=1 n=10 s=dec\n",
             "line 1, column 18: the key is not one of p, q, r, a1, a2, n and s (found \"a3=1\")"},
            {"p=1 q=1 r=0 a1=1 p=1 n=10 s=dec\n", "line 1, column 18: the key p stands twice in one case (found \"p=1\")"},
            {"p=01 q=1 r=0 a1=1 a2=1 n=10 s=dec\n",
             "line 1, column 1: the value of p is not a number as \"%d\" writes it (found \"p=01\")"},
            {"p=1 q=-0 r=0 a1=1 a2=1 n=10 s=dec\n",
             "line 1, column 5: the value of q is not a number as \"%d\" writes it (found \"q=-0\")"},
            {"p=1 q=1 r=0 a1=1 a2=1x n=10 s=dec\n",
             "line 1, column 18: the value of a2 is not a number as \"%d\" writes it (found \"a2=1x\")"},
            {"p=1 q=1 r=0 a1=1 a2=1 n==10 s=dec\n",
             "line 1, column 23: the value of n is not a number as \"%d\" writes it (found \"n==10\")"},
            {"p=1 q=1 r=0 a1=1 a2=1 n=10 s=decimal\n",
             "line 1, column 28: the value of s is not bin, oct, dec or hex (found \"s=decimal\")"},
        },
        strict);
}

TEST(Pro3Validate, ReportsWhatAValidFileHolds)
{
    // Four cases, the last over two lines without a final newline.
    const std::string input =
        "p=2 q=-3 r=7 a1=5 a2=9 n=1 s=dec\n"
        "n=25000 x=1 p=32768 a1=-4 a2=x q=0 s=hex\n"
        "n=2500000 p=2147483647 q=-2147483648 r=0 a1=-9223372036854775808 a2=9223372036854775807 s=bin\n"
        "n=0 s=oct x\n"
        "x x x x";
    const auto result = run("pro3-validate", input);
    ASSERT_EQ(result.status, 0) << result.err;
    auto report = parse_report(result.out);
    EXPECT_EQ(report.facts["cases"], "4");
    EXPECT_EQ(report.facts["tokens"], "28");
    EXPECT_EQ(report.facts["lines"], "5");
    EXPECT_EQ(report.facts["cases of stage 1 (n 1..25)"], "1");
    EXPECT_EQ(report.facts["cases of stage 2 (n 24553..25000)"], "1");
    EXPECT_EQ(report.facts["cases of stage 3 or 4 (n 2499901..2500000)"], "1");
    EXPECT_EQ(report.facts["cases of no stage"], "1");
    const std::string int32 = "-2147483648..2147483647";
    const std::string int64 = "-9223372036854775808..9223372036854775807";
    EXPECT_EQ(report.order, (std::vector<std::string>{"n", "p", "q", "r", "a1", "a2", "token length"}));
    EXPECT_EQ(report.rows["n"], (ReportRow{"0", "2500000", "0..2500000", "both"}));
    EXPECT_EQ(report.rows["p"], (ReportRow{"2", "2147483647", int32, "upper"}));
    EXPECT_EQ(report.rows["q"], (ReportRow{"-2147483648", "0", int32, "lower"}));
    EXPECT_EQ(report.rows["r"], (ReportRow{"0", "7", int32, "-"}));
    EXPECT_EQ(report.rows["a1"], (ReportRow{"-9223372036854775808", "5", int64, "lower"}));
    EXPECT_EQ(report.rows["a2"], (ReportRow{"9", "9223372036854775807", int64, "upper"}));
    EXPECT_EQ(report.rows["token length"], (ReportRow{"1", "23", "1..23", "both"}));

    // No cases: nothing met.
    const auto empty = run("pro3-validate", "");
    ASSERT_EQ(empty.status, 0);
    report = parse_report(empty.out);
    EXPECT_EQ(report.facts["cases"], "0");
    EXPECT_EQ(report.facts["lines"], "0");
    EXPECT_EQ(report.rows["n"], (ReportRow{"-", "-", "0..2500000", "-"}));
}

TEST(Pro3Validate, EveryCaseTheMakerWritesPassesStrict)
{
    // Every stage the maker knows and two it does not, one case and many,
    // each with its own seed, the extreme seeds among them.
    const std::pair<int, int> runs[] = {{0, 5}, {1, 1}, {1, 60}, {2, 60}, {3, 60}, {4, 1}, {4, 60}, {5, 5}};
    std::uint32_t seeds[std::size(runs)] = {0, 4294967295u};
    for (std::size_t i = 2; i < std::size(seeds); ++i)
        seeds[i] = seeds[i - 1] * 2654435761u + 40503u;
    for (std::size_t i = 0; i < std::size(runs); ++i) {
        const auto [stage, count] = runs[i];
        const std::string seed = std::to_string(seeds[i]);
        const auto made = run_with("pro3-maketest", {"--seed", seed},
                                   std::to_string(count) + "\n" + std::to_string(stage) + "\n");
        ASSERT_EQ(made.status, 0) << made.err;
        const auto checked = run_with("pro3-validate", {"--strict"}, made.out);
        ASSERT_EQ(checked.status, 0) << "seed " << seed << " stage " << stage << ": " << checked.err;
        auto report = parse_report(checked.out);
        const int cases = stage >= 1 && stage <= 4 ? count : 0;
        EXPECT_EQ(report.facts["cases"], std::to_string(cases)) << seed;
        const std::string in_stage = stage == 1   ? "cases of stage 1 (n 1..25)"
                                     : stage == 2 ? "cases of stage 2 (n 24553..25000)"
                                                  : "cases of stage 3 or 4 (n 2499901..2500000)";
        EXPECT_EQ(report.facts[in_stage], std::to_string(cases)) << seed << " stage " << stage;
    }
    // Many more seeds through the maker's own case writer, in one file.
    const std::string many = captured([](common::Output& out) {
        for (std::uint32_t seed = 0; seed < 400; ++seed) {
            common::Draws draws(seed * 2654435761u);
            pro3::write_cases(draws, 2, 1 + static_cast<int>(seed % 4), out);
        }
    });
    const auto checked = run_with("pro3-validate", {"--strict"}, many);
    ASSERT_EQ(checked.status, 0) << checked.err;
    EXPECT_EQ(parse_report(checked.out).facts["cases"], "800");
}

}  // namespace
