// The three PRO6 solvers run as a user would: a case in, the merged line and
// the answer lines out, three traces on standard error.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "pro6/case_maker.hpp"
#include "tests/support/files.hpp"
#include "tests/support/run.hpp"

namespace {

using testing_support::run;
using testing_support::RunOptions;

const char* const solvers[] = {"pro6-solve", "pro6-solve-b", "pro6-solve-c"};

const std::string traces = ">>> stage 1 scanf complete: #\n>>> stage 1 printf complete: #\n>>> exit: #\n";

// Standard error with the clock readings of the traces replaced by "#".
std::string masked(const std::string& err)
{
    static const std::regex reading(R"((>>> [^\n]*[ =])-?[0-9]+\n)");
    return std::regex_replace(err, reading, "$1#\n");
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

// The answer to a case taken as it stands, sorted or not: the stable merge of
// the two sequences, then for each search value the bisection's probes over
// the merged values and the walk to both ends of the run it hits.
std::string merge_and_probe(const std::vector<int>& a, const std::vector<int>& b, const std::vector<int>& queries)
{
    std::vector<int> merged;
    std::size_t i = 0, j = 0;
    while (i < a.size() || j < b.size())
        merged.push_back(j == b.size() || (i < a.size() && a[i] <= b[j]) ? a[i++] : b[j++]);
    std::string text;
    for (std::size_t k = 0; k < merged.size(); ++k) {
        if (k > 0)
            text += ' ';
        text += std::to_string(merged[k]);
    }
    text += '\n';
    for (int x : queries) {
        long lo = 0, hi = static_cast<long>(merged.size()) - 1, hit = -1;
        while (lo <= hi && hit < 0) {
            const long mid = (lo + hi) / 2;
            if (merged[mid] == x)
                hit = mid;
            else if (x < merged[mid])
                hi = mid - 1;
            else
                lo = mid + 1;
        }
        if (hit < 0) {
            text += "Number Not Found\n";
            continue;
        }
        long from = hit, to = hit;
        while (from > 0 && merged[from - 1] == x)
            --from;
        while (to + 1 < static_cast<long>(merged.size()) && merged[to + 1] == x)
            ++to;
        for (long k = from; k <= to; ++k) {
            text += std::to_string(k + 1);
            text += k < to ? ' ' : '\n';
        }
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
    // Stretches of numbers of 1 to 10 digits, of either sign, long enough to
    // cross the input blocks. Sorted, the widths change at every power of
    // ten; as given, unsorted, they change from one number to the next.
    std::mt19937 random(5);
    auto draw = [&](int digits) {
        long long low = 1, high = 9;
        for (int d = 1; d < digits; ++d)
            low *= 10, high = high * 10 + 9;
        if (digits == 1)
            low = 0;
        high = std::min(high, 2147483647LL);
        const long long v = low + static_cast<long long>(random() % static_cast<unsigned>(high - low + 1));
        return static_cast<int>(random() % 2 == 0 ? v : -v);
    };
    std::vector<int> a = {-2147483647 - 1, 2147483647}, b;
    for (int stretch = 0; stretch < 500; ++stretch) {
        const int digits = 1 + static_cast<int>(random() % 10);
        for (int k = static_cast<int>(random() % 250); k >= 0; --k)
            (stretch % 2 == 0 ? a : b).push_back(draw(digits));
    }
    std::vector<int> queries;
    for (int k = 0; k < 300; ++k)
        queries.push_back(k % 3 == 0 ? draw(1 + k % 10) : (k % 2 == 0 ? a : b)[random() % (k % 2 == 0 ? a : b).size()]);
    auto input = [&] {
        std::string text = std::to_string(a.size()) + " " + std::to_string(b.size()) + "\n";
        for (const auto* values : {&a, &b, &queries}) {
            if (values == &queries)
                text += std::to_string(queries.size()) + "\n";
            for (int v : *values) {
                text += std::to_string(v);
                text += random() % 8 == 0 ? '\n' : ' ';
            }
        }
        return text;
    };
    const std::string unsorted = input();
    EXPECT_EQ(solve("pro6-solve", unsorted), merge_and_probe(a, b, queries));
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    const std::string sorted = input();
    std::vector<int> both = a;
    both.insert(both.end(), b.begin(), b.end());
    for (const char* solver : {"pro6-solve", "pro6-solve-c"})
        EXPECT_EQ(solve(solver, sorted), model(both, queries)) << solver;
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
    // place only: at the start, inside, near the end of either sequence. A
    // value written with leading zeros is read by another path than short
    // ones, so the step is also put there. Every value in range is searched.
    std::vector<int> queries;
    for (int x = -3; x <= 205; ++x)
        queries.push_back(x);
    std::string query_text = std::to_string(queries.size()) + "\n";
    for (int x : queries)
        query_text += std::to_string(x) + "\n";
    struct Step {
        bool in_first;
        std::size_t at;
        int value;
        bool padded;
    };
    const Step steps[] = {{true, 0, 150, false}, {true, 40, 3, false},  {true, 78, 3, false},  {false, 0, 199, false},
                          {false, 33, 199, false}, {false, 59, 1, false}, {true, 40, 3, true}, {true, 39, 190, true}};
    for (const Step& step : steps) {
        std::vector<int> a, b;
        for (int v = 0; v < 80; ++v)
            a.push_back(v * 5 / 2);
        for (int v = 0; v < 60; ++v)
            b.push_back(v * 10 / 3);
        (step.in_first ? a : b)[step.at] = step.value;
        auto text = [&](const std::vector<int>& values, bool target) {
            std::string line;
            for (std::size_t k = 0; k < values.size(); ++k) {
                if (target && k == step.at && step.padded)
                    line += "+0000000000";
                line += std::to_string(values[k]);
                line += ' ';
            }
            return line + '\n';
        };
        const std::string input = "80 60\n" + text(a, step.in_first) + text(b, !step.in_first) + query_text;
        EXPECT_EQ(solve("pro6-solve", input), merge_and_probe(a, b, queries))
            << (step.in_first ? "first" : "second") << " at " << step.at << (step.padded ? ", padded" : "");
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
    // one at place 2001 replaced: the reading must stop, or go on, exactly
    // there. The first sequence alone, so the merged line is as stored.
    std::vector<int> values;
    for (int i = 0; i < 3000; ++i)
        values.push_back(100000 + i * 7);
    auto with = [&](std::size_t from, std::vector<int> stored) {
        std::vector<int> all(values.begin(), values.begin() + 2000);
        all.insert(all.end(), stored.begin(), stored.end());
        if (from < values.size())
            all.insert(all.end(), values.begin() + static_cast<long>(from), values.end());
        all.resize(values.size());  // slots never reached hold 0
        return all;
    };
    struct Odd {
        std::string token;
        std::vector<int> stored;  // what the reading leaves in the first sequence
        bool goes_on;             // the count and the search value are read
    };
    const Odd odds[] = {
        {"x14007", with(3000, {}), false},
        {"114007x", with(3000, {114007}), false},
        {"+x14007", with(3000, {}), false},
        {"-", with(2001, {0}), true},
        {"-0000000000114007", with(2001, {-114007}), true},
        {"00000114007", with(2001, {114007}), true},
    };
    for (const Odd& odd : odds) {
        std::string input = "3000 0\n";
        for (std::size_t i = 0; i < values.size(); ++i)
            input += (i == 2000 ? odd.token : std::to_string(values[i])) + (i % 10 == 9 ? "\n" : " ");
        input += "1\n" + std::to_string(values[2500]) + "\n";
        const std::vector<int> queries = odd.goes_on ? std::vector<int>{values[2500]} : std::vector<int>{};
        EXPECT_EQ(solve("pro6-solve", input), merge_and_probe(odd.stored, {}, queries)) << odd.token;
    }
    std::string input = "3000 0\n";
    for (std::size_t i = 0; i < values.size(); ++i)
        input += (i == 2000 ? "99999999999" : std::to_string(values[i])) + " ";
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
    // A hundred and fifty search values; lone signs here and there fail one
    // read each and repeat the answer before, and value 141 is out of
    // range: the answers to the 140 before it are written, then the program
    // stops.
    std::vector<int> a, b;
    for (int v = 0; v < 100; ++v)
        a.push_back(v), b.push_back(v + 50);
    std::string input = "100 100\n";
    for (const auto* values : {&a, &b})
        for (int v : *values)
            input += std::to_string(v) + " ";
    input += "\n150\n";
    std::vector<int> read;
    std::vector<bool> lone(140);
    for (int k : {0, 15, 16, 17, 31, 63, 64, 65, 127, 133})
        lone[static_cast<std::size_t>(k)] = true;
    for (int k = 0; k < 140; ++k) {
        const int x = k % 40 * 5 - 20;
        input += lone[static_cast<std::size_t>(k)] ? "-\n" : std::to_string(x) + "\n";
        if (!lone[static_cast<std::size_t>(k)])
            read.push_back(x);
    }
    input += "2147483648\n5\n5\n";
    std::vector<int> both = a;
    both.insert(both.end(), b.begin(), b.end());
    const std::string answers = model(both, read);
    std::string expected = answers.substr(0, answers.find('\n') + 1);
    std::size_t next = expected.size();
    std::string last = "Number Not Found\n";
    for (int k = 0; k < 140; ++k) {
        if (!lone[static_cast<std::size_t>(k)]) {
            const std::size_t end = answers.find('\n', next) + 1;
            last = answers.substr(next, end - next);
            next = end;
        }
        expected += last;
    }
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
