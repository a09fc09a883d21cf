// The three PRO6 solvers run as a user would: a case in, the merged line and
// the answer lines out, three traces on standard error.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "pro6/case_maker.hpp"
#include "tests/support/files.hpp"
#include "tests/support/run.hpp"
#include "tests/support/traces.hpp"

namespace {

using testing_support::run;
using testing_support::RunOptions;

const char* const solvers[] = {"pro6-solve", "pro6-solve-b", "pro6-solve-c"};

const std::string traces = ">>> stage 1 scanf complete: #\n>>> stage 1 printf complete: #\n>>> exit: #\n";

// Standard error with the clock readings of the traces replaced by "#".
std::string masked(const std::string& err)
{
    return testing_support::masked_readings(err, " =");
}

std::string solve(const char* solver, const std::string& input)
{
    const auto result = run(solver, input);
    EXPECT_EQ(result.status, 0) << solver << ": " << result.err;
    EXPECT_EQ(masked(result.err), traces) << solver;
    return result.out;
}

// The answer to a case with sorted sequences, worked with the standard
// algorithms: the sorted values, then the positions of each search value.
std::string model(std::vector<int> values, const std::vector<int>& queries)
{
    std::sort(values.begin(), values.end());
    std::string text;
    auto list = [&](long number, bool first) {
        if (!first)
            text += ' ';
        text += std::to_string(number);
    };
    for (std::size_t i = 0; i < values.size(); ++i)
        list(values[i], i == 0);
    text += "\n";
    for (int x : queries) {
        const auto [from, to] = std::equal_range(values.begin(), values.end(), x);
        if (from == to)
            text += "Number Not Found";
        for (auto p = from; p != to; ++p)
            list(p - values.begin() + 1, p == from);
        text += "\n";
    }
    return text;
}

// Numbers on one line, a blank between two of them.
template <class Number>
std::string line_of(const std::vector<Number>& numbers)
{
    std::string text;
    for (std::size_t k = 0; k < numbers.size(); ++k)
        text += std::to_string(numbers[k]) + (k + 1 < numbers.size() ? " " : "");
    return text + "\n";
}

// The answer to a case taken as it stands, sorted or not: the stable merge,
// then for each search value the bisection's probes over it and the walk to
// both ends of the run it hits.
std::string merge_and_probe(const std::vector<int>& a, const std::vector<int>& b, const std::vector<int>& queries)
{
    std::vector<int> merged;
    for (std::size_t i = 0, j = 0; i < a.size() || j < b.size();)
        merged.push_back(j == b.size() || (i < a.size() && a[i] <= b[j]) ? a[i++] : b[j++]);
    std::string text = line_of(merged);
    const long size = static_cast<long>(merged.size());
    auto at = [&](long k) { return merged[static_cast<std::size_t>(k)]; };
    for (int x : queries) {
        long lo = 0, hi = size - 1, mid = 0;
        while (lo <= hi && at(mid = (lo + hi) / 2) != x) {
            if (x < at(mid))
                hi = mid - 1;
            else
                lo = mid + 1;
        }
        if (lo > hi) {
            text += "Number Not Found\n";
            continue;
        }
        long from = mid, to = mid;
        while (from > 0 && at(from - 1) == x)
            --from;
        while (to + 1 < size && at(to + 1) == x)
            ++to;
        std::vector<long> positions;
        for (long k = from; k <= to; ++k)
            positions.push_back(k + 1);
        text += line_of(positions);
    }
    return text;
}

TEST(Pro6Solve, TheWorkedExamplesInEveryBuild)
{
    const std::pair<std::string, std::string> cases[] = {
        {"0 0\n\n\n2\n5\n-1\n", "\nNumber Not Found\nNumber Not Found\n"},
        {"2 2\n1 3\n3 5\n2\n3\n4\n", "1 3 3 5\n2 3\nNumber Not Found\n"},
        {"2 1\n7 7\n9\n1\n7\n", "7 7 9\n1 2\n"},
        {"1 2\n1\n2 2\n1\n2\n", "1 2 2\n2 3\n"},
        {"1 0\n5\n\n1\n5\n", "5\n1\n"},
        {"3 2\n4 4 4\n4 4\n2\n4\n3\n", "4 4 4 4 4\n1 2 3 4 5\nNumber Not Found\n"},
        {"2 1\n-5 0\n-5\n1\n-5\n", "-5 -5 0\n1 2\n"},
        {"1 1\n1\n2\n0\n", "1 2\n"},
        {"2 1 4 9 6 1 6", "4 6 9\n2\n"},
        {"1 1\n-2147483648\n2147483647\n2\n2147483647\n-2147483648\n", "-2147483648 2147483647\n2\n1\n"},
    };
    for (const char* solver : solvers)
        for (const auto& [input, output] : cases)
            EXPECT_EQ(solve(solver, input), output) << solver << " on " << input;
}

TEST(Pro6Solve, TokensMaySplitOverLinesAnyWay)
{
    for (const char* solver : solvers) {
        EXPECT_EQ(solve(solver, "  2\t2\r\n1\n3 3\n5\n\n 2\n+3\n0004"), "1 3 3 5\n2 3\nNumber Not Found\n");
        EXPECT_EQ(solve(solver, "1\n\n1\v-0\f+0000000000000000007 1\n-0"), "0 7\n1\n");
    }
}

TEST(Pro6Solve, AgreesWithTheModelOnLongVariedInput)
{
    // Long enough to cross the input blocks, with signs, leading zeros and
    // every kind of white space between the tokens.
    std::mt19937 random(7);
    auto sorted = [&](int count) {
        std::vector<int> values(static_cast<std::size_t>(count));
        for (int& v : values)
            v = static_cast<int>(random() % 2001) - 1000;
        std::sort(values.begin(), values.end());
        return values;
    };
    const char* const gaps[] = {" ", "\n", "\t ", "\r\n", "  \n\n"};
    auto token = [&](int v) {
        const unsigned style = random() % 8;
        std::string text = style == 0 && v >= 0 ? "+" : "";
        text += style == 1 ? (v < 0 ? "-00000000000" + std::to_string(-v) : "00000000000" + std::to_string(v))
                           : std::to_string(v);
        return text + gaps[random() % 5];
    };
    for (const char* solver : solvers) {
        const bool bubble = std::string(solver) == "pro6-solve-b";
        const std::vector<int> a = sorted(bubble ? 1200 : 60000), b = sorted(bubble ? 900 : 45000);
        std::vector<int> queries(400);
        for (int& x : queries)
            x = static_cast<int>(random() % 2201) - 1100;
        std::string input = std::to_string(a.size()) + " " + std::to_string(b.size()) + "\n";
        for (int v : a)
            input += token(v);
        for (int v : b)
            input += token(v);
        input += token(static_cast<int>(queries.size()));
        for (int x : queries)
            input += token(x);
        std::vector<int> both = a;
        both.insert(both.end(), b.begin(), b.end());
        EXPECT_EQ(solve(solver, input), model(both, queries)) << solver;
    }
}

TEST(Pro6Solve, NumbersOfEveryWidthAcrossTheInputBlocks)
{
    // Stretches of numbers of up to 1 to 10 digits, of either sign, long
    // enough to cross the input blocks: as given, the width changes from
    // number to number; sorted, at the powers of ten.
    std::mt19937 random(5);
    std::vector<int> a = {-2147483647 - 1, 2147483647}, b, queries;
    for (int stretch = 0; stretch < 500; ++stretch) {
        const long long span = stretch % 10 == 9 ? 2147483648LL : static_cast<long long>(std::pow(10, stretch % 10 + 1));
        for (int k = static_cast<int>(random() % 250); k >= 0; --k) {
            const int v = static_cast<int>(static_cast<long long>(random()) % span);
            (stretch % 2 == 0 ? a : b).push_back(random() % 2 == 0 ? v : -v);
            if (k % 20 == 0)
                queries.push_back(random() % 3 == 0 ? v - 1 : v);
        }
    }
    auto input = [&] {
        return std::to_string(a.size()) + " " + std::to_string(b.size()) + "\n" + line_of(a) + line_of(b) +
               std::to_string(queries.size()) + "\n" + line_of(queries);
    };
    EXPECT_EQ(solve("pro6-solve", input()), merge_and_probe(a, b, queries));
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    std::vector<int> both = a;
    both.insert(both.end(), b.begin(), b.end());
    for (const char* solver : {"pro6-solve", "pro6-solve-c"})
        EXPECT_EQ(solve(solver, input()), model(both, queries)) << solver;
}

TEST(Pro6Solve, RunsWhosePositionsCrossEveryPowerOfTen)
{
    // An answer's positions are counted up in their text, a digit at a
    // time: runs that start just below a power of ten and cross it, one
    // that starts on one, and one of more than 100,000 positions.
    const std::pair<int, int> runs[] = {{0, 1},      {0, 12},       {7, 5},       {95, 10},    {98, 3},
                                        {996, 8},    {999, 2},      {9995, 10},   {99994, 12}, {0, 100001}};
    for (const auto& [before, length] : runs) {
        std::vector<int> a(static_cast<std::size_t>(before), 1), b = {3, 3, 3};
        a.insert(a.end(), static_cast<std::size_t>(length), 2);
        const std::vector<int> queries = {2, 1, 3, 4, 2};
        const std::string input = std::to_string(a.size()) + " 3\n" + line_of(a) + line_of(b) + "5\n" + line_of(queries);
        std::vector<int> both = a;
        both.insert(both.end(), b.begin(), b.end());
        for (const char* solver : solvers)
            EXPECT_EQ(solve(solver, input), model(both, queries)) << solver << ", " << length << " after " << before;
    }
}

TEST(Pro6Solve, AnswersTheCasesOfTheMaker)
{
    common::Draws draws(20240601);
    const std::string made = testing_support::captured([&](common::Output& out) {
        pro6::CaseMaker<1'000'000>::write(draws, {700, 800, 300, 200}, out, [](const char*) {});
    });
    std::vector<int> values, queries;
    std::istringstream tokens(made);
    int n = 0, m = 0, k = 0;
    tokens >> n >> m;
    values.resize(static_cast<std::size_t>(n + m));
    for (int& v : values)
        tokens >> v;
    tokens >> k;
    queries.resize(static_cast<std::size_t>(k));
    for (int& x : queries)
        tokens >> x;
    const std::string expected = model(values, queries);
    // The 200 values to be found are, and the 100 random ones nearly all not.
    std::size_t not_found = 0;
    for (auto at = expected.find("Not Found"); at != std::string::npos; at = expected.find("Not Found", at + 1))
        ++not_found;
    EXPECT_GE(not_found, 90u);
    EXPECT_LE(not_found, 100u);
    for (const char* solver : solvers)
        EXPECT_EQ(solve(solver, made), expected) << solver;
}

TEST(Pro6SolveB, SortsSequencesGivenInAnyOrder)
{
    EXPECT_EQ(solve("pro6-solve-b", "2 1\n3 1\n2\n2\n1\n3\n"), "1 2 3\n1\n3\n");
    std::mt19937 random(11);
    std::vector<int> values(1500), queries(200);
    std::string input = "700 800\n";
    for (int& v : values)
        input += std::to_string(v = static_cast<int>(random() % 300) - 150) + " ";
    input += "\n200\n";
    for (int& x : queries)
        input += std::to_string(x = static_cast<int>(random() % 320) - 160) + "\n";
    EXPECT_EQ(solve("pro6-solve-b", input), model(values, queries));
}

TEST(Pro6Solve, UnsortedSequencesFollowTheMergeAndTheSearch)
{
    // Merged as given: 3 > 2 puts 2 first, then 3 1. The binary search for 1
    // probes 3, then 2, and misses; the scan finds it at the end.
    const std::string input = "2 1\n3 1\n2\n2\n1\n3\n";
    EXPECT_EQ(solve("pro6-solve", input), "2 3 1\nNumber Not Found\n2\n");
    EXPECT_EQ(solve("pro6-solve-c", input), "2 3 1\n3\n2\n");
    // Merged 5 1 9: the search for 5 probes 1, then 9, and misses.
    EXPECT_EQ(solve("pro6-solve", "3 0\n5 1 9\n2\n1 5\n"), "5 1 9\n2\nNumber Not Found\n");
    EXPECT_EQ(solve("pro6-solve-c", "3 0\n5 1 9\n2\n1 5\n"), "5 1 9\n2\n1\n");
}

TEST(Pro6Solve, OneStepDownAnywhereSearchesTheMergeAsItStands)
{
    // Sorted sequences with one value replaced, so that each descends at one
    // place only: at the start, inside, near the end of either sequence; a
    // value with leading zeros, read by another path, makes a step too.
    // Every value in range is searched.
    std::vector<int> queries;
    for (int x = -3; x <= 205; ++x)
        queries.push_back(x);
    const std::tuple<int, std::size_t, int, bool> steps[] = {
        {0, 0, 150, false}, {0, 40, 3, false}, {0, 78, 3, false}, {1, 0, 199, false},
        {1, 33, 199, false}, {1, 59, 1, false}, {0, 40, 3, true}, {0, 39, 190, true}};
    for (const auto& [sequence, at, value, padded] : steps) {
        std::vector<int> s[2];
        for (int v = 0; v < 80; ++v)
            s[0].push_back(v * 5 / 2), s[1].push_back(v * 10 / 3);
        s[1].resize(60);
        s[sequence][at] = value;
        std::string lines[2] = {line_of(s[0]), line_of(s[1])};
        std::size_t offset = 0;
        for (std::size_t k = 0; k < at; ++k)
            offset = lines[sequence].find(' ', offset) + 1;
        if (padded)
            lines[sequence].insert(offset, "+0000000000");
        const std::string input = "80 60\n" + lines[0] + lines[1] + "209\n" + line_of(queries);
        EXPECT_EQ(solve("pro6-solve", input), merge_and_probe(s[0], s[1], queries))
            << sequence << " at " << at << (padded ? ", padded" : "");
    }
}

TEST(Pro6Solve, CutShortInputKeepsZerosAndRepeatsAnswers)
{
    for (const char* solver : solvers) {
        const bool bubble = std::string(solver) == "pro6-solve-b";
        // First 5 6 0, second 0 0; merged as given, or sorted.
        EXPECT_EQ(solve(solver, "3 2\n5 6"), bubble ? "0 0 0 5 6\n" : "0 0 5 6 0\n") << solver;
        // A token that is not a number ends the reading the same way.
        EXPECT_EQ(solve(solver, "2 1\n5 x 7\n1\n7\n"), bubble ? "0 0 5\n" : "0 5 0\n") << solver;
        EXPECT_EQ(solve(solver, "1 1\n4\n4\n3\n4\n"), "4 4\n1 2\n1 2\n1 2\n") << solver;
        EXPECT_EQ(solve(solver, "1 1\n4\n6\n3\n6\nfoo 4\n"), "4 6\n2\n2\n2\n") << solver;
        EXPECT_EQ(solve(solver, "1 0\n4\n2\n"), "4\nNumber Not Found\nNumber Not Found\n") << solver;
        EXPECT_EQ(solve(solver, "1 1\n1\n2\nq 5\n"), "1 2\n") << solver;
        EXPECT_EQ(solve(solver, "1 1\n1\n2\n"), "1 2\n") << solver;
    }
}

TEST(Pro6Solve, ASignWithoutDigitsFailsOneReadOnly)
{
    // The failed read takes the sign; the next starts behind it. After a
    // letter nothing is taken, so every later read fails on it.
    const std::pair<std::string, std::string> every_build[] = {
        {"2 1\n- 5\n3\n1\n5\n", "0 3 5\n3\n"},
        {"1 0\n4\n3\n4\n+\n9\n", "4\n1\n1\nNumber Not Found\n"},
        {"1 1\n1\n2\n2\n+ 2\n", "1 2\nNumber Not Found\n2\n"},
        {"1 1\n1\n2\n2\n+x 2\n", "1 2\nNumber Not Found\nNumber Not Found\n"},
        {"1 1\n1\n2\n- 1\n1\n", "1 2\n"},
        {"1 1\n3\n-", "0 3\n"},
    };
    for (const char* solver : solvers)
        for (const auto& [input, output] : every_build)
            EXPECT_EQ(solve(solver, input), output) << solver << " on " << input;
    // "--5" is a failed read, then -5: the first sequence is 0 -5.
    EXPECT_EQ(solve("pro6-solve", "2 0\n--5\n1\n-5\n"), "0 -5\nNumber Not Found\n");
    EXPECT_EQ(solve("pro6-solve-b", "2 0\n--5\n1\n-5\n"), "-5 0\n1\n");
    EXPECT_EQ(solve("pro6-solve-c", "2 0\n--5\n1\n-5\n"), "0 -5\n2\n");
}

TEST(Pro6Solve, TheLargestLengthsAreHeld)
{
    const std::pair<const char*, const char*> cases[] = {
        {"pro6-solve", "10000000 10000000"}, {"pro6-solve-b", "20000000 0"}, {"pro6-solve-c", "0 10000000"}};
    for (const auto& [solver, lengths] : cases) {
        const std::string out = solve(solver, lengths);
        const std::size_t values = std::string(lengths) == "0 10000000" ? 10'000'000 : 20'000'000;
        ASSERT_EQ(out.size(), 2 * values) << solver;
        EXPECT_EQ(out.find_first_not_of("0 "), out.size() - 1) << solver;
        EXPECT_EQ(out.find("00"), std::string::npos) << solver;
    }
}

struct Rejected {
    std::string input;
    std::string message;
};

void expect_rejected(const char* solver, const Rejected& c, const std::string& out = "", const std::string& err = "")
{
    const auto result = run(solver, c.input);
    EXPECT_EQ(result.status, 1) << solver << " on " << c.input;
    EXPECT_EQ(result.out, out) << solver << " on " << c.input;
    EXPECT_EQ(masked(result.err), err + solver + ": " + c.message + "\n");
}

TEST(Pro6Solve, RejectsLengthsItCannotReadOrHold)
{
    const Rejected every_build[] = {
        {"", "the first length is missing: the input ended"},
        {" \n\t", "the first length is missing: the input ended"},
        {"x 1", "the first length is not a number"},
        {"3", "the second length is missing: the input ended"},
        {"3\n-\n", "the second length is not a number"},
        {"-1 0", "the first length -1 is below 0"},
        {"0 -2", "the second length -2 is below 0"},
        {"4294967296 0", "the first length is outside the signed 32-bit range"},
        {"2 0\n1 2147483648\n", "value 2 of the first sequence is outside the signed 32-bit range"},
        {"1 2\n1\n5 -2147483649", "value 2 of the second sequence is outside the signed 32-bit range"},
    };
    for (const char* solver : solvers)
        for (const Rejected& c : every_build)
            expect_rejected(solver, c);
    for (const char* solver : {"pro6-solve", "pro6-solve-c"}) {
        expect_rejected(solver, {"10000001 0", "the first length 10000001 is above 10000000"});
        expect_rejected(solver, {"0 10000001", "the second length 10000001 is above 10000000"});
    }
    expect_rejected("pro6-solve-b", {"20000001 0", "the first length 20000001 is above 20000000"});
    expect_rejected("pro6-solve-b", {"10000000 10000001", "the lengths add up to 20000001, above 20000000"});
}

TEST(Pro6Solve, AnOddTokenAmidLongOrderedInput)
{
    // Three thousand numbers of six digits, the kind read fastest, with the
    // 2001st replaced: the reading must stop, or go on, exactly there. The
    // first sequence alone, so the merged line is as stored.
    std::vector<int> values;
    for (int i = 0; i < 3000; ++i)
        values.push_back(100000 + i * 7);
    // What stands in the slots from the 2001st on, the rest being 0; and
    // whether the search value after the sequence is still read.
    const std::tuple<std::string, std::vector<int>, bool> odds[] = {
        {"x14007", {}, false}, {"114007x", {114007}, false}, {"-", {0, values[2001]}, true},
        {"-0000000000114007", {-114007, values[2001]}, true}};
    for (const auto& [token, from_2001, goes_on] : odds) {
        std::vector<int> stored(values.begin(), values.begin() + 2000), read = values;
        stored.insert(stored.end(), from_2001.begin(), from_2001.end());
        if (goes_on)
            stored.insert(stored.end(), values.begin() + 2002, values.end());
        stored.resize(3000);
        read[2000] = 0;
        std::string input = "3000 0\n" + line_of(read) + "1\n" + std::to_string(values[2500]) + "\n";
        input.replace(input.find(" 0 ") + 1, 1, token);
        EXPECT_EQ(solve("pro6-solve", input), merge_and_probe(stored, {}, goes_on ? std::vector<int>{values[2500]} : std::vector<int>{}))
            << token;
    }
    std::string input = "3000 0\n" + line_of(values);
    input.replace(input.find(std::to_string(values[2000])), 6, "99999999999");
    expect_rejected("pro6-solve", {input, "value 2001 of the first sequence is outside the signed 32-bit range"});
}

TEST(Pro6Solve, ABadNumberLaterStopsThereAndKeepsTheOutput)
{
    const std::string after_merge = ">>> stage 1 scanf complete: #\n>>> stage 1 printf complete: #\n";
    for (const char* solver : solvers) {
        expect_rejected(solver, {"1 0\n1\n99999999999\n", "the number of search values is outside the signed 32-bit range"},
                        "1\n", after_merge);
        expect_rejected(solver, {"1 0\n5\n3\n5\n-2147483649\n5\n", "value 2 of the search values is outside the signed 32-bit range"},
                        "5\n1\n", after_merge);
    }
}

TEST(Pro6Solve, ManySearchValuesWithSomeThatCannotBeRead)
{
    // Lone signs among 140 search values, across the batches they are read
    // in, each repeat the answer before; value 141 is out of range: the 140
    // answers before it are written, then the program stops.
    std::vector<int> a, b;
    for (int v = 0; v < 100; ++v)
        a.push_back(v), b.push_back(v + 50);
    std::string input = "100 100\n" + line_of(a) + line_of(b) + "150\n";
    const std::string merged_line = merge_and_probe(a, b, {});
    std::string expected = merged_line, answer = "Number Not Found\n";
    for (int k = 0; k < 140; ++k) {
        const int x = k % 40 * 5 - 20;
        const bool lone = k == 0 || k % 16 == 15 || k == 64 || k == 65;
        input += lone ? "-\n" : std::to_string(x) + "\n";
        if (!lone)
            answer = merge_and_probe(a, b, {x}).substr(merged_line.size());
        expected += answer;
    }
    input += "2147483648\n5\n";
    const std::string after_merge = ">>> stage 1 scanf complete: #\n>>> stage 1 printf complete: #\n";
    for (const char* solver : solvers)
        expect_rejected(solver, {input, "value 141 of the search values is outside the signed 32-bit range"}, expected,
                        after_merge);
}

TEST(Pro6Solve, OutputAndInputFailuresAreReported)
{
    for (const char* solver : solvers) {
        RunOptions full;
        full.stdout_to_full = true;
        const auto result = run(solver, "2 2\n1 3\n3 5\n2\n3\n4\n", full);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(masked(result.err), traces + solver + ": write error: No space left on device\n");

        RunOptions closed;
        closed.close_stdin = true;
        const auto unread = run(solver, "", closed);
        EXPECT_EQ(unread.status, 1);
        EXPECT_EQ(unread.err, std::string(solver) + ": read error: Bad file descriptor\n");
    }
}

}  // namespace
