// pro2-maketest and pro2-maketest-b: their cases for a directly seeded
// generator, their structure, and the programs run as a user would.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "common/draws.hpp"
#include "pro2/case_maker.hpp"
#include "tests/support/files.hpp"
#include "tests/support/run.hpp"

namespace {

using pro2::Variant;
using testing_support::captured;
using testing_support::run;

const std::string banner = "TestCase Maker for PRO2\nPlease redirect stdout to file.\n\n";

std::string case_for_seed(std::uint32_t seed, char mode, int lines, int width,
                          Variant variant = Variant::twice_one_draw)
{
    common::Draws draws(seed);
    pro2::CaseMaker maker(draws, variant);
    return captured([&](common::Output& out) { maker.write(mode, lines, width, out); });
}

// 64-bit FNV-1a, to compare cases too long to write out.
std::uint64_t fingerprint(const std::string& text)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3u;
    }
    return hash;
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

TEST(Pro2Cases, FollowTheDrawsOfASeed)
{
    // Worked from the draw sequences by a separate model of the pool and of
    // the order of draws.
    EXPECT_EQ(case_for_seed(1, 'w', 3, 0),
              "wc only\n"
              "       \t\t\t ++nnp]]*mm((\"\n"
              "   \t\"\"\"\"\"\"\"\"\"}%%+++++++ccc   %%%%dddddd \n"
              "           \t  l YYYYYY\t\t\t\t\t\t\t\t\t\t\t\t@!     s  YYSSeppppp++++}\n");
    EXPECT_EQ(case_for_seed(4294967295u, 'w', 2, 0),
              "wc only\n"
              " \t\t\tVV((\\\\\t\t.....s\n"
              "               \t\ts_5kkkkssQQjjjjjjj9KK             99999EEE1              ????LgggggpNN@smmmmm\n");
    EXPECT_EQ(case_for_seed(1476, 't', 1, -2), "t2b -2\n  \t \t \t    ,,,,,:}]  |   >NNNRRROO     {\n");
    EXPECT_EQ(case_for_seed(106, 'b', 1, 3), "b2t 3\n\t\t\t\t\t \t           \tt\n");
    EXPECT_EQ(case_for_seed(301, 'b', 3, 4, Variant::hundred_thousands),
              "b2t 4\n"
              "  \t\t  \t \t  \t \t\t                      \n"
              "\t\t   \t\t    \t \t\t                 \n"
              "\t\t  \t\t \t  \t\t   \t\t\t\t           \n");
}

TEST(Pro2Cases, LongCasesFollowTheDrawsToo)
{
    struct Long {
        std::uint32_t seed;
        char mode;
        int lines, width;
        Variant variant;
        std::size_t size;
        std::uint64_t hash;
    };
    const Long cases[] = {
        {1, 't', 3, 4, Variant::twice_one_draw, 24540, 0xe8bb2b076bb5e7f2u},
        {12345, 'b', 2, 3, Variant::twice_one_draw, 92856, 0xbe070167771430a1u},
        {777, 'w', 200, 0, Variant::twice_one_draw, 10061, 0xa654975415acb5e8u},
        {3, 'b', 2, 5, Variant::hundred_thousands, 100060, 0x48d5b7a898382eeau},
    };
    for (const Long& c : cases) {
        const std::string text = case_for_seed(c.seed, c.mode, c.lines, c.width, c.variant);
        EXPECT_EQ(text.size(), c.size) << c.seed;
        EXPECT_EQ(fingerprint(text), c.hash) << c.seed;
    }
}

TEST(Pro2Cases, HeaderAloneOrNothing)
{
    EXPECT_EQ(case_for_seed(9, 't', 0, 4), "t2b 4\n");
    EXPECT_EQ(case_for_seed(9, 'b', -5, -7), "b2t -7\n");
    EXPECT_EQ(case_for_seed(9, 'w', 0, 0), "wc only\n");
    EXPECT_EQ(case_for_seed(9, 'b', 0, pro2::min_width), "b2t -536870912\n");
    for (char mode : {'x', 'T', 'B', 'W', '\n', '\xff'})
        EXPECT_EQ(case_for_seed(9, mode, 10, 4), "") << mode;
}

// Every character a case may hold besides the newlines.
bool drawable(char c)
{
    return c == ' ' || c == '\t' || (c >= 33 && c <= 126);
}

// The length of a line's run of blanks and tabs at its start.
std::size_t leading_length(const std::string& line)
{
    const std::size_t end = line.find_first_not_of(" \t");
    return end == std::string::npos ? line.size() : end;
}

TEST(Pro2Cases, LinesHaveTheirShape)
{
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        const auto count_only = lines_of(case_for_seed(seed, 'w', 50, 0));
        ASSERT_EQ(count_only.size(), 51u);
        EXPECT_EQ(count_only[0], "wc only");
        for (std::size_t i = 1; i < count_only.size(); ++i) {
            const std::string& line = count_only[i];
            EXPECT_LE(line.size(), 16u + 3u + 79u) << seed;
            EXPECT_TRUE(std::all_of(line.begin(), line.end(), drawable)) << seed;
        }

        const auto tab_to_blank = lines_of(case_for_seed(seed, 't', 3, 6));
        ASSERT_EQ(tab_to_blank.size(), 4u);
        EXPECT_EQ(tab_to_blank[0], "t2b 6");
        for (std::size_t i = 1; i < tab_to_blank.size(); ++i) {
            EXPECT_LE(tab_to_blank[i].size(), 24u + 32767u);
            EXPECT_TRUE(std::all_of(tab_to_blank[i].begin(), tab_to_blank[i].end(), drawable)) << seed;
        }

        // -b lines: at most 24 prefix characters and 16 blanks besides whole
        // hundred thousands of drawn ones.
        if (seed > 8)
            continue;
        const auto long_lines = lines_of(case_for_seed(seed, 'b', 2, 4, Variant::hundred_thousands));
        ASSERT_EQ(long_lines.size(), 3u);
        EXPECT_EQ(long_lines[0], "b2t 4");
        for (std::size_t i = 1; i < long_lines.size(); ++i)
            EXPECT_LE(long_lines[i].size() % 100000, 24u + 16u) << seed;
    }
}

TEST(Pro2Cases, BlankRunsAreWholeWidthsAndNoneForNoWidth)
{
    // The draws do not depend on the width, so a line made with width 4 is
    // the same line made with width 0 with 0, 4, 8, 12 or 16 blanks put in
    // after its prefix; a negative width puts in none.
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        for (Variant variant : {Variant::twice_one_draw, Variant::hundred_thousands}) {
            const auto plain = lines_of(case_for_seed(seed, 'b', 3, 0, variant));
            const auto negative = lines_of(case_for_seed(seed, 'b', 3, -3, variant));
            const auto widened = lines_of(case_for_seed(seed, 'b', 3, 4, variant));
            ASSERT_EQ(plain.size(), 4u);
            ASSERT_EQ(negative.size(), 4u);
            ASSERT_EQ(widened.size(), 4u);
            EXPECT_EQ(negative[0], "b2t -3");
            for (std::size_t i = 1; i < 4; ++i) {
                EXPECT_TRUE(negative[i] == plain[i]) << seed;
                const std::string& line = plain[i];
                const std::string& wide = widened[i];
                const std::size_t added = wide.size() - line.size();
                ASSERT_TRUE(wide.size() >= line.size() && added % 4 == 0 && added <= 16) << seed;
                std::size_t same = 0;
                while (same < line.size() && line[same] == wide[same])
                    ++same;
                if (added > 0) {
                    EXPECT_LE(same, leading_length(line)) << seed;  // put in within the leading run
                }
                EXPECT_EQ(wide.substr(same, added), std::string(added, ' ')) << seed;
                EXPECT_TRUE(wide.compare(same + added, std::string::npos, line, same) == 0) << seed;
            }
        }
    }
}

TEST(Pro2Maketest, WritesTheCaseOfTheCurrentSecond)
{
    struct Run {
        const char* program;
        const char* answers;
        char mode;
        int lines, width;
        Variant variant;
        const char* prompts;
    };
    const Run runs[] = {
        {"pro2-maketest", "w\n6\n", 'w', 6, 0, Variant::twice_one_draw, "First Character: Line: "},
        {"pro2-maketest", "t2b please\n2 3\n", 't', 2, 3, Variant::twice_one_draw, "First Character: Line: Number: "},
        {"pro2-maketest", "b\n2\n5\n", 'b', 2, 5, Variant::twice_one_draw, "First Character: Line: Number: "},
        {"pro2-maketest-b", "b\n1\n2\n", 'b', 1, 2, Variant::hundred_thousands, "First Character: Line: Number: "},
        {"pro2-maketest-b", "w\n4\n", 'w', 4, 0, Variant::hundred_thousands, "First Character: Line: "},
    };
    for (const Run& r : runs) {
        // The makers seed with the time: the case is that of one of the
        // seconds the run spanned.
        const std::time_t before = std::time(nullptr);
        const auto result = run(r.program, r.answers);
        const std::time_t after = std::time(nullptr);
        EXPECT_EQ(result.status, 0) << r.answers;
        EXPECT_EQ(result.err, banner + r.prompts) << r.answers;
        bool checked = false;
        for (std::time_t second = before; second <= after && !checked; ++second)
            checked = result.out == case_for_seed(static_cast<std::uint32_t>(second), r.mode, r.lines, r.width, r.variant);
        EXPECT_TRUE(checked) << r.program << " " << r.answers << ": the case of no second from " << before << " to "
                             << after;
    }
}

TEST(Pro2Maketest, OtherModesStillAskForLinesAndWriteNothing)
{
    for (const char* program : {"pro2-maketest", "pro2-maketest-b"}) {
        // An empty first answer takes the next line with it: "t" is dropped.
        for (const char* answers : {"x\n3\n", "T\n3\n4\n", "W\n2\n", "\nt\n2\n4\n", "B 1\n-1\n"}) {
            const auto result = run(program, answers);
            EXPECT_EQ(result.status, 0) << answers;
            EXPECT_EQ(result.out, "") << answers;
            EXPECT_EQ(result.err, banner + "First Character: Line: ") << answers;
        }
        const auto header_only = run(program, "t\n0\n4\n");
        EXPECT_EQ(header_only.out, "t2b 4\n");
        const auto widest = run(program, "b\n-2\n536870911\n");
        EXPECT_EQ(widest.out, "b2t 536870911\n");
    }
}

TEST(Pro2Maketest, RejectsMissingOrBadAnswers)
{
    const std::string asked = banner + "First Character: Line: ";
    const std::pair<std::string, std::string> cases[] = {
        {"", asked + "pro2-maketest: no line count given: the input ended\n"},
        {"w", asked + "pro2-maketest: no line count given: the input ended\n"},
        {"t\nabc\n4\n", asked + "pro2-maketest: the line count is not a number\n"},
        {"x\nabc\n", asked + "pro2-maketest: the line count is not a number\n"},
        {"w\n99999999999\n", asked + "pro2-maketest: the line count is outside the signed 32-bit range\n"},
        {"t\n3\n", asked + "Number: pro2-maketest: no width given: the input ended\n"},
        {"b\n3\nx4\n", asked + "Number: pro2-maketest: the width is not a number\n"},
        {"b\n3\n536870912\n", asked + "Number: pro2-maketest: the width 536870912 is outside -536870912..536870911\n"},
        {"t\n3\n-536870913\n", asked + "Number: pro2-maketest: the width -536870913 is outside -536870912..536870911\n"},
        {"t\n3\n4294967296\n", asked + "Number: pro2-maketest: the width is outside the signed 32-bit range\n"},
    };
    for (const auto& [answers, err] : cases) {
        const auto result = run("pro2-maketest", answers);
        EXPECT_EQ(result.status, 1) << answers;
        EXPECT_EQ(result.out, "") << answers;
        EXPECT_EQ(result.err, err) << answers;
    }
    const auto result = run("pro2-maketest-b", "b\n1\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, asked + "Number: pro2-maketest-b: no width given: the input ended\n");
}

TEST(Pro2Maketest, AFullOutputIsReported)
{
    testing_support::RunOptions full;
    full.stdout_to_full = true;
    for (const char* program : {"pro2-maketest", "pro2-maketest-b"}) {
        const auto result = run(program, "w\n3\n", full);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, banner + "First Character: Line: " + program + ": write error: No space left on device\n");
    }
}

}  // namespace
