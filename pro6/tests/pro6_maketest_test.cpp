// pro6-maketest and pro6-maketest-b: their cases for a directly seeded
// generator against a step-by-step model, their structure, and the programs
// run as a user would.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "common/draws.hpp"
#include "pro6/case_maker.hpp"
#include "tests/support/files.hpp"
#include "tests/support/run.hpp"
#include "tests/support/traces.hpp"

namespace {

using pro6::Answers;
using testing_support::captured;
using testing_support::run;

constexpr int narrow = 1'000'000;
constexpr int wide = 10'000'000;

template <int Range>
std::string case_for_seed(std::uint32_t seed, const Answers& answers, std::vector<std::string>* stages = nullptr)
{
    common::Draws draws(seed);
    return captured([&](common::Output& out) {
        pro6::CaseMaker<Range>::write(draws, answers, out, [&](const char* stage) {
            if (stages != nullptr)
                stages->push_back(stage);
        });
    });
}

// The case as the steps define it: values drawn into arrays and sorted,
// counted in a presence table, then a scan of that table that writes every
// stride-th present value it passes, wrapping round the table.
std::string model_case(std::uint32_t seed, int range, const Answers& a)
{
    common::Draws draws(seed);
    auto value = [&] {
        const long long first = draws.next();
        return static_cast<int>(std::llabs(first * draws.next() % range));
    };
    std::vector<unsigned char> present(static_cast<std::size_t>(range));
    std::ostringstream out;
    out << a.n << ' ' << a.m << '\n';
    for (int length : {a.n, a.m}) {
        std::vector<int> values(static_cast<std::size_t>(length));
        for (int& v : values)
            present[static_cast<std::size_t>(v = value())] = 1;
        std::sort(values.begin(), values.end());
        for (std::size_t i = 0; i < values.size(); ++i)
            out << (i > 0 ? " " : "") << values[i];
        out << '\n';
    }
    out << a.k << '\n';
    int stride = draws.next() % 10;
    if (stride == 0)
        stride = 10;
    for (int written = 0, scan = 0, passed = 0; written < a.f; ++scan) {
        scan %= range;
        if (present[static_cast<std::size_t>(scan)] != 0 && ++passed == stride) {
            out << scan << '\n';
            ++written;
            passed = 0;
        }
    }
    for (long long i = a.f; i < a.k; ++i)
        out << value() << '\n';
    return out.str();
}

TEST(Pro6Cases, FollowTheDrawsOfASeed)
{
    // After srand(1) the draws are 41, 18467, 6334, 26500, 19169, 15724,
    // 11478: the values 41 * 18467 = 757147 and 6334 * 26500 = 167851000,
    // the stride 19169 % 10 = 9 (the 9th present value of two, wrapping:
    // the first), then 15724 * 11478 = 180480072.
    const Answers one_each{1, 1, 2, 1};
    EXPECT_EQ(case_for_seed<narrow>(1, one_each), "1 1\n757147\n851000\n2\n757147\n480072\n");
    EXPECT_EQ(case_for_seed<wide>(1, one_each), "1 1\n757147\n7851000\n2\n757147\n480072\n");
    std::vector<std::string> stages;
    case_for_seed<narrow>(1, one_each, &stages);
    EXPECT_EQ(stages, (std::vector<std::string>{"start", "memset", "left", "qsort left", "right", "qsort right",
                                                "must", "must done", "complete"}));
}

TEST(Pro6Cases, MatchTheStepByStepModel)
{
    const Answers cases[] = {
        {0, 0, 3, 0}, {1, 0, 1, 1}, {0, 3, 5, 2}, {7, 5, 4, 9}, {300, 200, 60, 40},
        {3, 3, 2, -2}, {3, 3, -4, 1}, {2, 2, 0, 0},
    };
    for (std::uint32_t seed : {1u, 12345u, 4294967295u})
        for (const Answers& a : cases)
            EXPECT_EQ(case_for_seed<narrow>(seed, a), model_case(seed, narrow, a)) << seed << " " << a.n << " " << a.f;
    for (const Answers& a : cases)
        EXPECT_EQ(case_for_seed<wide>(777, a), model_case(777, wide, a)) << a.n << " " << a.f;
    // Many repeats of each value, and picking that wraps round many times.
    EXPECT_EQ(case_for_seed<narrow>(99, {20000, 15000, 500, 3000}), model_case(99, narrow, {20000, 15000, 500, 3000}));
    EXPECT_EQ(case_for_seed<narrow>(5, {2, 1, 40, 30}), model_case(5, narrow, {2, 1, 40, 30}));
}

TEST(Pro6Cases, AStrideOfZeroCountsAsTen)
{
    // A seed whose ninth draw, the stride of a case of four values, is a
    // multiple of 10, and whose four values differ.
    std::uint32_t seed = 0;
    std::vector<int> values;
    for (;; ++seed) {
        common::Draws draws(seed);
        values.clear();
        for (int i = 0; i < 4; ++i) {
            const int a = draws.next();
            values.push_back(a * draws.next() % narrow);
        }
        std::sort(values.begin(), values.end());
        if (draws.next() % 10 == 0 && std::adjacent_find(values.begin(), values.end()) == values.end())
            break;
    }
    // Every tenth of four values, wrapping: the 2nd, the 4th, the 2nd.
    const std::string line = std::to_string(values[0]) + " " + std::to_string(values[1]) + " " +
                             std::to_string(values[2]) + " " + std::to_string(values[3]);
    const std::string expected = "4 0\n" + line + "\n\n3\n" + std::to_string(values[1]) + "\n" +
                                 std::to_string(values[3]) + "\n" + std::to_string(values[1]) + "\n";
    EXPECT_EQ(case_for_seed<narrow>(seed, {4, 0, 3, 3}), expected) << seed;
}

TEST(Pro6Cases, PickingCarriesThePassedCountOverTheWrap)
{
    const std::int32_t distinct[] = {2, 5, 9, 11};
    auto picked = [&](std::int32_t count, std::int32_t wanted, int stride) {
        return captured([&](common::Output& out) { pro6::write_picked(out, distinct, count, wanted, stride); });
    };
    EXPECT_EQ(picked(4, 3, 3), "9\n5\n2\n");
    EXPECT_EQ(picked(4, 5, 1), "2\n5\n9\n11\n2\n");
    EXPECT_EQ(picked(4, 2, 10), "5\n11\n");
    EXPECT_EQ(picked(4, 0, 3), "");
    EXPECT_EQ(picked(0, 3, 3), "");
}

// Checks the layout of a case: sorted lines in range, the found values among
// the sequences' values, the random ones in range.
void expect_well_formed(const std::string& text, int range, const Answers& a)
{
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, std::to_string(a.n) + " " + std::to_string(a.m));
    std::vector<int> all;
    for (int length : {a.n, a.m}) {
        std::getline(lines, line);
        EXPECT_EQ(line.find("  "), std::string::npos);
        std::istringstream tokens(line);
        std::vector<int> values;
        for (int v; tokens >> v;)
            values.push_back(v);
        EXPECT_EQ(static_cast<int>(values.size()), length);
        EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
        EXPECT_TRUE(values.empty() || (values.front() >= 0 && values.back() < range));
        all.insert(all.end(), values.begin(), values.end());
    }
    std::sort(all.begin(), all.end());
    std::getline(lines, line);
    EXPECT_EQ(line, std::to_string(a.k));
    int count = 0;
    for (; std::getline(lines, line); ++count) {
        const int v = std::stoi(line);
        EXPECT_TRUE(v >= 0 && v < range) << line;
        if (count < a.f) {
            EXPECT_TRUE(std::binary_search(all.begin(), all.end(), v)) << line;
        }
    }
    EXPECT_EQ(count, std::max(a.k, a.f));
}

TEST(Pro6Cases, AreWellFormed)
{
    const Answers big{50000, 30000, 2000, 1500};
    expect_well_formed(case_for_seed<narrow>(77, big), narrow, big);
    expect_well_formed(case_for_seed<wide>(78, big), wide, big);
    const Answers more_found{40, 1, 10, 60};
    expect_well_formed(case_for_seed<wide>(79, more_found), wide, more_found);
}

const char* const makers[] = {"pro6-maketest", "pro6-maketest-b"};

const std::string banner = "TestCase Maker for PRO6\nPlease redirect stdout to file.\n\n";
const std::string length_prompt = banner + "Length(2 numbers required): ";
const std::string count_prompt = length_prompt + "Search Item(1 number required):";
const std::string prompts = count_prompt + "How many item can be found? ";
const std::string traces =
    ">>> start: clock()=#\n>>> memset: clock()=#\n>>> left: clock()=#\n>>> qsort left: clock()=#\n"
    ">>> right: clock()=#\n>>> qsort right: clock()=#\n>>> must: clock()=#\n>>> must done: clock()=#\n"
    ">>> complete: clock()=#\n";

std::string masked(const std::string& err)
{
    return testing_support::masked_readings(err, "=");
}

TEST(Pro6Maketest, WritesTheCaseOfTheCurrentSecond)
{
    // The maker seeds with the time: the case is that of one of the seconds
    // the run spanned.
    const Answers answers{30, 20, 10, 4};
    for (const char* maker : makers) {
        const std::time_t before = std::time(nullptr);
        const auto result = run(maker, "30 20\n10\n4\n");
        const std::time_t after = std::time(nullptr);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(masked(result.err), prompts + traces);
        bool fitted = false;
        for (std::time_t second = before; second <= after && !fitted; ++second) {
            const auto seed = static_cast<std::uint32_t>(second);
            fitted = result.out == (maker == makers[0] ? case_for_seed<narrow>(seed, answers)
                                                       : case_for_seed<wide>(seed, answers));
        }
        EXPECT_TRUE(fitted) << maker << ": the case of no second from " << before << " to " << after;
    }
}

TEST(Pro6Maketest, RejectsAnswersBeforeAnyOutput)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", length_prompt + "NAME: no first length given: the input ended\n"},
        {"x", length_prompt + "NAME: the first length is not a number\n"},
        {"- 4 4", length_prompt + "NAME: the first length is not a number\n"},
        {"4 +\n4", length_prompt + "NAME: the second length is not a number\n"},
        {"9999999999 1", length_prompt + "NAME: the first length is outside the signed 32-bit range\n"},
        {"-1 4", length_prompt + "NAME: the first length -1 is outside 0..25000000\n"},
        {"4 25000001", length_prompt + "NAME: the second length 25000001 is outside 0..25000000\n"},
        {"4\n", length_prompt + "NAME: no second length given: the input ended\n"},
        {"4 4\n", count_prompt + "NAME: no number of search items given: the input ended\n"},
        {"4 4 2 z", prompts + "NAME: the number of items to be found is not a number\n"},
        {"0 0 5 1", prompts + "NAME: cannot find 1 values: both sequences are empty\n"},
    };
    for (const char* maker : makers)
        for (const auto& [answers, err] : cases) {
            const auto result = run(maker, answers);
            EXPECT_EQ(result.status, 1) << maker << " " << answers;
            EXPECT_EQ(result.out, "") << maker << " " << answers;
            EXPECT_EQ(result.err, testing_support::replaced(err, "NAME", maker));
        }
}

TEST(Pro6Maketest, EmptySequencesWithNothingToFind)
{
    for (const char* maker : makers) {
        const auto result = run(maker, "0 0\n2\n0\n");
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(masked(result.err), prompts + traces);
        EXPECT_EQ(result.out.substr(0, 7), "0 0\n\n\n2");
        expect_well_formed(result.out, maker == makers[0] ? narrow : wide, {0, 0, 2, 0});
    }
}

TEST(Pro6Maketest, AFullOutputIsReported)
{
    for (const char* maker : makers) {
        testing_support::RunOptions full;
        full.stdout_to_full = true;
        const auto result = run(maker, "3 3\n2\n1\n", full);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(masked(result.err), prompts + traces + maker + ": write error: No space left on device\n");
    }
}

}  // namespace
