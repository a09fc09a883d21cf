// pro6-validate run as a user would: each rule just inside and just outside
// its limit, with the exact message and place; the maker's layout under
// --strict; the report of a known case; the makers' cases at many seeds and
// answers, checked against counts the test works out itself.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run.hpp"

namespace {

using testing_support::run;
using testing_support::run_with;
using testing_support::RunOptions;

struct Invalid {
    std::string input;
    std::string message;  // after "pro6-validate: "
};

void expect_invalid(const Invalid& c, const std::vector<std::string>& args = {})
{
    const auto result = run_with("pro6-validate", args, c.input);
    EXPECT_EQ(result.status, 1) << c.input;
    EXPECT_EQ(result.out, "") << c.input;
    EXPECT_EQ(result.err, "pro6-validate: " + c.message + "\n") << c.input;
}

void expect_valid(const std::string& input, const std::vector<std::string>& args = {})
{
    const auto result = run_with("pro6-validate", args, input);
    EXPECT_EQ(result.status, 0) << input << "\n" << result.err;
    EXPECT_EQ(result.err, "") << input;
    EXPECT_NE(result.out, "") << input;
}

// The value of the report line "label: value".
std::string fact(const std::string& report, const std::string& label)
{
    const std::string start = label + ": ";
    for (std::size_t at = 0; at < report.size(); at = report.find('\n', at) + 1) {
        if (report.compare(at, start.size(), start) == 0)
            return report.substr(at + start.size(), report.find('\n', at) - at - start.size());
        if (report.find('\n', at) == std::string::npos)
            break;
    }
    return "(no " + label + ")";
}

TEST(Pro6Validate, LengthsWithinZeroToTenMillion)
{
    expect_valid("0 0 0");
    expect_valid("0\n\n0\n\n0");
    const Invalid cases[] = {
        {"10000000 0", "line 1, column 11: the input ends after 0 of the 10000000 values of the first sequence (found \"\")"},
        {"10000001 0", "line 1, column 1: the first length is above 10000000 (found \"10000001\")"},
        {"0 10000000\n", "line 2, column 1: the input ends after 0 of the 10000000 values of the second sequence (found \"\")"},
        {"0 10000001", "line 1, column 3: the second length is above 10000000 (found \"10000001\")"},
        {"-1 0", "line 1, column 1: the first length is below 0 (found \"-1\")"},
        {"0\n\n  -1", "line 3, column 3: the second length is below 0 (found \"-1\")"},
        {"99999999999999999999 0", "line 1, column 1: the first length is above 10000000 (found \"99999999999999999999\")"},
        {"5x 0", "line 1, column 1: the first length is not a whole decimal integer (found \"5x\")"},
        {"0 - 0", "line 1, column 3: the second length is not a whole decimal integer (found \"-\")"},
        {"", "line 1, column 1: the input ends before the first length (found \"\")"},
        {"3 \n", "line 2, column 1: the input ends before the second length (found \"\")"},
    };
    for (const Invalid& c : cases)
        expect_invalid(c);
}

TEST(Pro6Validate, ValuesWithinSignedThirtyTwoBits)
{
    expect_valid("2 1\n-2147483648 2147483647\n-2147483648\n0\n");
    expect_valid("1 0\n+7\n0\n");
    const Invalid cases[] = {
        {"1 0\n2147483648\n0\n", "line 2, column 1: value 1 of the first sequence is above 2147483647 (found \"2147483648\")"},
        {"0 2\n\n5 -2147483649\n0\n", "line 3, column 3: value 2 of the second sequence is below -2147483648 (found \"-2147483649\")"},
        {"2 0\n1 1.5\n0\n", "line 2, column 3: value 2 of the first sequence is not a whole decimal integer (found \"1.5\")"},
        {"2 0\n1 --1\n0\n", "line 2, column 3: value 2 of the first sequence is not a whole decimal integer (found \"--1\")"},
        {"3 0\n1 2", "line 2, column 4: the input ends after 2 of the 3 values of the first sequence (found \"\")"},
        {"1 2\n4\n4", "line 3, column 2: the input ends after 1 of the 2 values of the second sequence (found \"\")"},
    };
    for (const Invalid& c : cases)
        expect_invalid(c);
}

TEST(Pro6Validate, EachSequenceNonDecreasing)
{
    expect_valid("3 3\n1 1 2\n-5 -5 -5\n0\n");
    expect_valid("1 1\n9\n1\n0\n");  // each sequence on its own
    const Invalid cases[] = {
        {"3 0\n1 2 1\n0\n", "line 2, column 5: value 3 of the first sequence is below the one before it (found \"1\")"},
        {"1 3\n9\n-1 -3 0\n0\n", "line 3, column 4: value 2 of the second sequence is below the one before it (found \"-3\")"},
        {"2 0\n-0 -1\n0\n", "line 2, column 4: value 2 of the first sequence is below the one before it (found \"-1\")"},
    };
    for (const Invalid& c : cases)
        expect_invalid(c);
}

TEST(Pro6Validate, ADescentFarIntoALongLineIsPlacedExactly)
{
    // 100,000 values, the 70,001st below the one before it: the line runs
    // over several input blocks. Separators and signs that leave the fast
    // path must give the same answer.
    for (const std::string separator : {" ", "  ", "\t"}) {
        for (const std::string sign : {"", "+"}) {
            std::string line;
            std::size_t column = 0;
            for (int i = 1; i <= 100000; ++i) {
                if (i > 1)
                    line += separator;
                const int value = i <= 70000 ? i : i - 2;
                if (i == 70001)
                    column = line.size() + 1;
                line += sign + std::to_string(value);
            }
            expect_invalid({"100000 0\n" + line + "\n0\n",
                            "line 2, column " + std::to_string(column) +
                                ": value 70001 of the first sequence is below the one before it (found \"" + sign +
                                "69999\")"});
        }
    }
}

TEST(Pro6Validate, SearchValueCountAndValues)
{
    expect_valid("0 0 0");
    expect_valid("1 0 5 2 5 -2147483648");
    const Invalid cases[] = {
        {"0 0\n\n\n-1\n", "line 4, column 1: the number of search values is below 0 (found \"-1\")"},
        {"0 0 2147483648", "line 1, column 5: the number of search values is above 2147483647 (found \"2147483648\")"},
        {"0 0 2147483647", "line 1, column 15: the input ends after 0 of the 2147483647 search values (found \"\")"},
        {"0 0", "line 1, column 4: the input ends before the number of search values (found \"\")"},
        {"1 0 5 2 5 2147483648", "line 1, column 11: search value 2 is above 2147483647 (found \"2147483648\")"},
        {"1 0 5 2 5", "line 1, column 10: the input ends after 1 of the 2 search values (found \"\")"},
        {"1 0 5 1 five", "line 1, column 9: search value 1 is not a whole decimal integer (found \"five\")"},
    };
    for (const Invalid& c : cases)
        expect_invalid(c);
}

TEST(Pro6Validate, NothingButWhiteSpaceAfterTheSearchValues)
{
    expect_valid("1 0\n5\n1\n5\n \t\n\n");
    // More found values than the count announces, as the maker writes them
    // when asked for f > k.
    expect_invalid({"1 0\n5\n1\n5\n5\n", "line 5, column 1: text after the last search value (the case holds 1) (found \"5\")"});
    expect_invalid({"0 0\n\n\n0\nx", "line 5, column 1: text after the number of search values (the case holds none) (found \"x\")"});
}

TEST(Pro6Validate, TokensOfAnyLengthInBoundedMemory)
{
    const std::string zeros(1000000, '0');
    expect_valid("1 0\n" + zeros + "\n0\n");
    expect_invalid({"1 0\n" + zeros + "\n0\n",
                    "line 2, column 1: value 1 of the first sequence is not written as printf's \"%d\" writes it: no "
                    "plus sign, leading zero or minus zero (found \"" + std::string(40, '0') + "\")"},
                   {"--strict"});
    expect_invalid({"1 0\n" + std::string(1000000, '1') + "\n0\n",
                    "line 2, column 1: value 1 of the first sequence is above 2147483647 (found \"" +
                        std::string(40, '1') + "\")"});
    expect_invalid({"1 0\n" + std::string(300000, '7') + "x\n0\n",
                    "line 2, column 1: value 1 of the first sequence is not a whole decimal integer (found \"" +
                        std::string(40, '7') + "\")"});
    std::string spaced = "0";
    spaced.append(1000000, ' ');
    spaced += "0 0";
    expect_valid(spaced);
    expect_invalid({spaced, "line 1, column 1000002: the second length must follow a single blank, not \"        ...\" "
                            "(found \"0\")"},
                   {"--strict"});
}

TEST(Pro6Validate, StrictAsksForTheLayoutOfTheMaker)
{
    for (const std::string valid : {"2 2\n1 3\n3 5\n3\n3\n4\n1\n", "0 0\n\n\n0\n", "0 2\n\n-1 0\n1\n-1\n",
                                    "2 0\n7 7\n\n0\n", "1 1\n-2147483648\n2147483647\n0\n"})
        expect_valid(valid, {"--strict"});
    const std::string canonical = " is not written as printf's \"%d\" writes it: no plus sign, leading zero or minus zero";
    const Invalid cases[] = {
        {" 2 2\n1 3\n3 5\n0\n", "line 1, column 2: the first length must start the input, not follow \" \" (found \"2\")"},
        {"2\t2\n1 3\n3 5\n0\n", "line 1, column 3: the second length must follow a single blank, not \"\\x09\" (found \"2\")"},
        {"2 2\n1 3 \n3 5\n0\n",
         "line 3, column 1: value 1 of the second sequence must follow a single line break, not \" \\x0A\" (found \"3\")"},
        {"2 2\r\n1 3\n3 5\n0\n",
         "line 2, column 1: value 1 of the first sequence must follow a single line break, not \"\\x0D\\x0A\" (found \"1\")"},
        {"2 2\n1  3\n3 5\n0\n", "line 2, column 4: value 2 of the first sequence must follow a single blank, not \"  \" (found \"3\")"},
        {"2 2\n1\n3\n3 5\n0\n",
         "line 3, column 1: value 2 of the first sequence must follow a single blank, not \"\\x0A\" (found \"3\")"},
        {"0 0\n\n0\n", "line 3, column 1: the number of search values must follow a line break and 2 empty lines, not "
                       "\"\\x0A\\x0A\" (found \"0\")"},
        {"0 1\n7\n0\n", "line 2, column 1: value 1 of the second sequence must follow a line break and an empty line, not "
                        "\"\\x0A\" (found \"7\")"},
        {"2 2\n1 3\n3 5\n1 3\n", "line 4, column 3: search value 1 must follow a single line break, not \" \" (found \"3\")"},
        {"2 2\n1 3\n3 5\n1\n3", "line 5, column 2: the last line does not end with a line break (found \"\")"},
        {"2 2\n1 3\n3 5\n0\n\n", "line 6, column 1: the case must end with a single line break, not \"\\x0A\\x0A\" (found \"\")"},
        {"0 0\n\n\n0\n" + std::string(10, ' '),
         "line 5, column 11: the case must end with a single line break, not \"\\x0A       ...\" (found \"\")"},
        {"2 2\n1 +3\n3 5\n0\n", "line 2, column 3: value 2 of the first sequence" + canonical + " (found \"+3\")"},
        {"2 2\n1 3\n-0 5\n0\n", "line 3, column 1: value 1 of the second sequence" + canonical + " (found \"-0\")"},
        {"02 2\n1 3\n3 5\n0\n", "line 1, column 1: the first length" + canonical + " (found \"02\")"},
        {"0 0\n\n\n00\n", "line 4, column 1: the number of search values" + canonical + " (found \"00\")"},
        {"1 0\n5\n\n1\n-05\n", "line 5, column 1: search value 1" + canonical + " (found \"-05\")"},
    };
    for (const Invalid& c : cases) {
        expect_invalid(c, {"--strict"});
        expect_valid(c.input);  // the layout alone is no fault of the format
    }
}

TEST(Pro6Validate, ReportsWhatAKnownCaseHoldsAndReaches)
{
    // The search values 0, -2147483648 and 2147483647 occur, 5 does not; the
    // first sequence has two distinct values, the second two.
    const auto result = run("pro6-validate", "3 2\n-2147483648 0 0\n0 2147483647\n4\n0\n-2147483648\n5\n2147483647\n");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "first length n: 3\n"
              "second length m: 2\n"
              "search values q: 4\n"
              "lines: 8\n"
              "distinct values in the first sequence: 2\n"
              "distinct values in the second sequence: 2\n"
              "search values found in the sequences: 3\n"
              "search values not found: 1\n"
              "\n"
              "quantity                   smallest     largest  limits                   reaches\n"
              "first length                      3           3  0..10000000              -\n"
              "second length                     2           2  0..10000000              -\n"
              "first sequence values   -2147483648           0  -2147483648..2147483647  lower\n"
              "second sequence values            0  2147483647  -2147483648..2147483647  upper\n"
              "search values           -2147483648  2147483647  -2147483648..2147483647  both\n");
}

TEST(Pro6Validate, TheLargestLengthsAndEmptySequencesAreReported)
{
    std::string input = "10000000 0\n0";
    for (int i = 1; i < 10000000; ++i)
        input += " 0";
    input += "\n\n0\n";
    const auto result = run_with("pro6-validate", {"--strict"}, input);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(fact(result.out, "distinct values in the first sequence"), "1");
    EXPECT_EQ(fact(result.out, "distinct values in the second sequence"), "0");
    EXPECT_NE(result.out.find("\nfirst length            10000000  10000000  0..10000000              upper\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("\nsecond length                  0         0  0..10000000              lower\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("\nsecond sequence values         -         -  -2147483648..2147483647  -\n"),
              std::string::npos)
        << result.out;
}

// What a case holds, worked out from its text with the standard containers.
struct Counted {
    std::size_t n = 0, m = 0, q = 0;
    std::size_t distinct_first = 0, distinct_second = 0;
    std::size_t found = 0;
};

Counted count(const std::string& text)
{
    std::istringstream in(text);
    Counted c;
    in >> c.n >> c.m;
    std::vector<long long> first(c.n), second(c.m);
    for (long long& v : first)
        in >> v;
    for (long long& v : second)
        in >> v;
    c.distinct_first = std::set<long long>(first.begin(), first.end()).size();
    c.distinct_second = std::set<long long>(second.begin(), second.end()).size();
    std::set<long long> present(first.begin(), first.end());
    present.insert(second.begin(), second.end());
    in >> c.q;
    for (std::size_t i = 0; i < c.q; ++i) {
        long long x = 0;
        in >> x;
        c.found += present.count(x);
    }
    return c;
}

void expect_counts(const std::string& report, const Counted& c, const std::string& what)
{
    EXPECT_EQ(fact(report, "first length n"), std::to_string(c.n)) << what;
    EXPECT_EQ(fact(report, "second length m"), std::to_string(c.m)) << what;
    EXPECT_EQ(fact(report, "search values q"), std::to_string(c.q)) << what;
    EXPECT_EQ(fact(report, "distinct values in the first sequence"), std::to_string(c.distinct_first)) << what;
    EXPECT_EQ(fact(report, "distinct values in the second sequence"), std::to_string(c.distinct_second)) << what;
    EXPECT_EQ(fact(report, "search values found in the sequences"), std::to_string(c.found)) << what;
    EXPECT_EQ(fact(report, "search values not found"), std::to_string(c.q - c.found)) << what;
}

TEST(Pro6Validate, EveryCaseOfBothMakersPassesStrict)
{
    // Answers n m k f with f <= k, both lengths 0 only with f = 0. The wide
    // maker, slower to start (its tables are ten times larger), gets fewer.
    const std::vector<std::string> answers = {"0 0\n0\n0\n",       "0 0\n5\n0\n",        "1 0\n1\n1\n",
                                              "0 1\n3\n2\n",       "10 10\n5\n3\n",      "1000 1\n50\n50\n",
                                              "2000 3000\n100\n7\n", "40000 30000\n3000\n1500\n"};
    struct Runs {
        const char* maker;
        std::vector<std::string> seeds;
        std::vector<std::string> answers;
    };
    const Runs runs[] = {
        {"pro6-maketest", {"1", "7", "1765000000", "4294967295"}, answers},
        {"pro6-maketest-b", {"1", "1765000000"}, {answers[1], answers[2], answers[5], answers[7]}},
    };
    for (const Runs& r : runs) {
        for (const std::string& seed : r.seeds) {
            for (const std::string& answer : r.answers) {
                const std::string what = std::string(r.maker) + " --seed " + seed + " answers " + answer;
                const auto made = run_with(r.maker, {"--seed", seed}, answer);
                ASSERT_EQ(made.status, 0) << what << made.err;
                const auto result = run_with("pro6-validate", {"--strict"}, made.out);
                EXPECT_EQ(result.status, 0) << what << result.err;
                expect_counts(result.out, count(made.out), what);
            }
        }
    }
    // Asked for more found values than search values, the maker writes them
    // all; the count line announces fewer.
    const auto made = run_with("pro6-maketest", {"--seed", "7"}, "3 3\n1\n2\n");
    ASSERT_EQ(made.status, 0) << made.err;
    const auto result = run_with("pro6-validate", {"-"}, made.out);  // "-" is standard input
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("pro6-validate: line 6, column 1: text after the last search value (the case holds 1) "
                               "(found \"", 0),
              0u)
        << result.err;
}

TEST(Pro6Validate, SearchValuesOverManyBatchesAreCountedRight)
{
    // 200,000 search values, half drawn from the sequences, against
    // sequences with runs of equal values and negative values.
    std::mt19937 draw(20261209);
    std::uniform_int_distribution<int> value(-1000000, 1000000);
    std::vector<int> sequences[2];
    for (std::size_t s = 0; s < 2; ++s) {
        sequences[s].resize(s == 0 ? 30000 : 20000);
        for (int& v : sequences[s])
            v = value(draw) / 8 * 8;
        std::sort(sequences[s].begin(), sequences[s].end());
    }
    std::string text = std::to_string(sequences[0].size()) + " " + std::to_string(sequences[1].size()) + "\n";
    for (const auto& sequence : sequences) {
        for (std::size_t i = 0; i < sequence.size(); ++i) {
            if (i > 0)
                text += ' ';
            text += std::to_string(sequence[i]);
        }
        text += '\n';
    }
    text += "200000\n";
    for (int i = 0; i < 200000; ++i) {
        const auto& sequence = sequences[i % 2];
        const int x = i % 4 < 2 ? sequence[static_cast<std::size_t>(draw()) % sequence.size()] : value(draw);
        text += std::to_string(x) + "\n";
    }
    const auto result = run_with("pro6-validate", {"--strict"}, text);
    ASSERT_EQ(result.status, 0) << result.err;
    const Counted c = count(text);
    EXPECT_GT(c.found, 100000u);
    EXPECT_LT(c.found, 200000u);
    expect_counts(result.out, c, "drawn case");
}

TEST(Pro6Validate, ReadAndWriteFailuresAreReported)
{
    RunOptions full;
    full.stdout_to_full = true;
    const auto unwritten = run("pro6-validate", "0 0 0", full);
    EXPECT_EQ(unwritten.status, 1);
    EXPECT_EQ(unwritten.err, "pro6-validate: write error: No space left on device\n");

    RunOptions closed;
    closed.close_stdin = true;
    const auto unread = run("pro6-validate", "", closed);
    EXPECT_EQ(unread.status, 1);
    EXPECT_EQ(unread.err, "pro6-validate: read error: Bad file descriptor\n");

    const auto missing = run_with("pro6-validate", {"/nonexistent/case.txt"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "pro6-validate: cannot open /nonexistent/case.txt: No such file or directory\n");
}

}  // namespace
