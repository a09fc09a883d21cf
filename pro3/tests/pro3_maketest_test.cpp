// pro3-maketest: its cases for a directly seeded generator, their structure,
// and the program run as a user would.

#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/draws.hpp"
#include "pro3/case_maker.hpp"
#include "tests/support/files.hpp"
#include "tests/support/run.hpp"

namespace {

using testing_support::captured;
using testing_support::run;

const std::string banner = "TestCase Maker for PRO3\nPlease redirect stdout to file.\n\n";
const std::string prompts = banner + "Line: Stage: ";

std::string cases_for_seed(std::uint32_t seed, int count, int stage)
{
    common::Draws draws(seed);
    return captured([&](common::Output& out) { pro3::write_cases(draws, count, stage, out); });
}

TEST(Pro3Cases, FollowTheDrawsOfASeed)
{
    // Worked from the draws after srand(1): 41, 18467, 6334, 26500, 19169,
    // 15724, then twenty draws for the exchanges.
    EXPECT_EQ(cases_for_seed(1, 1, 1), "p=42 s=dec r=6334 q=18468 a2=45669 a1=26500 n=25\n");
    // Stage 4 draws one more for the radix; stage 2 and 3 index ranges.
    common::Draws draws(1);
    const std::string three = captured([&](common::Output& out) {
        pro3::write_case(draws, 1, out);
        pro3::write_case(draws, 4, out);
        pro3::write_case(draws, 2, out);
    });
    EXPECT_EQ(three,
              "p=42 s=dec r=6334 q=18468 a2=45669 a1=26500 n=25\n"
              "q=18717 a2=25342 n=2499974 a1=19895 r=19718 p=17422 s=hex\n"
              "a2=18464 a1=8723 q=20038 r=12859 p=32758 n=24799 s=dec\n");
    EXPECT_EQ(cases_for_seed(4294967295u, 1, 3), "q=29740 a1=11141 p=36 r=3374 s=dec n=2499930 a2=42449\n");
}

TEST(Pro3Cases, NothingForUnknownStagesOrNoLines)
{
    EXPECT_EQ(cases_for_seed(5, 10, 0), "");
    EXPECT_EQ(cases_for_seed(5, 10, 5), "");
    EXPECT_EQ(cases_for_seed(5, 0, 1), "");
    EXPECT_EQ(cases_for_seed(5, -4, 4), "");
}

// Parses "k=v" tokens of one line into a map; fails on any layout fault.
std::map<std::string, std::string> tokens_of(const std::string& line)
{
    std::map<std::string, std::string> tokens;
    EXPECT_NE(line.front(), ' ');
    EXPECT_NE(line.back(), ' ');
    EXPECT_EQ(line.find("  "), std::string::npos);
    std::istringstream words(line);
    for (std::string word; words >> word;) {
        const auto equals = word.find('=');
        EXPECT_NE(equals, std::string::npos) << word;
        tokens[word.substr(0, equals)] = word.substr(equals + 1);
    }
    EXPECT_EQ(tokens.size(), 7u) << line;
    return tokens;
}

TEST(Pro3Cases, EveryLineHasSevenKeysInRange)
{
    const std::pair<int, int> index_range[] = {{1, 25}, {24553, 25000}, {2499901, 2500000}, {2499901, 2500000}};
    for (int stage = 1; stage <= 4; ++stage) {
        std::istringstream lines(cases_for_seed(static_cast<std::uint32_t>(stage * 1000003), 500, stage));
        int count = 0;
        for (std::string line; std::getline(lines, line); ++count) {
            auto tokens = tokens_of(line);
            const long p = std::stol(tokens["p"]), q = std::stol(tokens["q"]), r = std::stol(tokens["r"]);
            const long a1 = std::stol(tokens["a1"]), a2 = std::stol(tokens["a2"]), n = std::stol(tokens["n"]);
            EXPECT_TRUE(p >= 1 && p <= 32768 && q >= 1 && q <= 32768 && r >= 0 && r <= 32767) << line;
            EXPECT_TRUE(a1 >= 0 && a1 <= 32767 && a2 >= a1 && a2 <= a1 + 32767) << line;
            EXPECT_TRUE(n >= index_range[stage - 1].first && n <= index_range[stage - 1].second) << line;
            if (stage < 4)
                EXPECT_EQ(tokens["s"], "dec");
            else
                EXPECT_TRUE(tokens["s"] == "bin" || tokens["s"] == "oct" || tokens["s"] == "dec" || tokens["s"] == "hex");
        }
        EXPECT_EQ(count, 500);
    }
}

TEST(Pro3Maketest, WritesTheCasesOfTheCurrentSecond)
{
    // The maker seeds with the time: the cases are those of one of the
    // seconds the run spanned.
    const std::time_t before = std::time(nullptr);
    const auto result = run("pro3-maketest", "6\n4\n");
    const std::time_t after = std::time(nullptr);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, prompts);
    bool fitted = false;
    for (std::time_t second = before; second <= after && !fitted; ++second)
        fitted = result.out == cases_for_seed(static_cast<std::uint32_t>(second), 6, 4);
    EXPECT_TRUE(fitted) << "the cases of no second from " << before << " to " << after;
}

TEST(Pro3Maketest, EmptyOutputForNoLinesOrAnUnknownStage)
{
    for (const char* answers : {"0\n1\n", "5\n5\n", "-7 2", "3\n0\n"}) {
        const auto result = run("pro3-maketest", answers);
        EXPECT_EQ(result.status, 0) << answers;
        EXPECT_EQ(result.out, "") << answers;
        EXPECT_EQ(result.err, prompts) << answers;
    }
}

TEST(Pro3Maketest, RejectsMissingOrBadAnswers)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", banner + "Line: pro3-maketest: no line count given: the input ended\n"},
        {"abc\n1\n", banner + "Line: pro3-maketest: the line count is not a number\n"},
        {"3\n", prompts + "pro3-maketest: no stage given: the input ended\n"},
        {"3\nx\n", prompts + "pro3-maketest: the stage is not a number\n"},
        {"99999999999\n1\n", banner + "Line: pro3-maketest: the line count is outside the signed 32-bit range\n"},
    };
    for (const auto& [answers, err] : cases) {
        const auto result = run("pro3-maketest", answers);
        EXPECT_EQ(result.status, 1) << answers;
        EXPECT_EQ(result.out, "") << answers;
        EXPECT_EQ(result.err, err);
    }
}

TEST(Pro3Maketest, AFullOutputIsReported)
{
    testing_support::RunOptions full;
    full.stdout_to_full = true;
    const auto result = run("pro3-maketest", "3 1", full);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, prompts + "pro3-maketest: write error: No space left on device\n");
}

}  // namespace
