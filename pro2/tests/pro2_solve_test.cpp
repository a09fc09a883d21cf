// pro2-solve run as a user would: a header and a body in, the converted body
// and its count lines out. Expected bytes are worked by hand from the rules,
// or come from the model for bodies too large to work by hand.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "pro2/tests/model.hpp"
#include "tests/support/run.hpp"

namespace {

using testing_support::run;
using testing_support::RunOptions;

std::string solve(const std::string& input)
{
    const auto result = run("pro2-solve", input);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    return result.out;
}

TEST(Pro2Solve, WorkedExamples)
{
    EXPECT_EQ(solve("wc only\na b\n\n"), "2 1 5\n");
    EXPECT_EQ(solve("t2b 4\n\t\tx\ty\n"), "        x\ty\n1 0 6\n1 8 12\n");
    EXPECT_EQ(solve("b2t 4\n     x\n"), "\t x\n1 5 7\n1 1 4\n");
    EXPECT_EQ(solve("b2t 4\nx\n   "), "x\n1 3 5\n1 0 2\n");
    // Width 0: leading tabs vanish, later ones stay.
    EXPECT_EQ(solve("t2b 0\n\t\tx\ty\n"), "x\ty\n1 0 6\n1 0 4\n");
    // Width 1: every leading blank is a tab.
    EXPECT_EQ(solve("b2t 1\n   x \n"), "\t\t\tx \n1 4 6\n1 1 6\n");
    // A last line without a newline: the count line follows it directly.
    EXPECT_EQ(solve("t2b 2\n\tab"), "  ab0 0 3\n0 2 4\n");
    // A carriage return ends the leading whitespace in both modes.
    EXPECT_EQ(solve("t2b 2\n\r\t\n"), "\r\t\n1 0 3\n1 0 3\n");
    EXPECT_EQ(solve("b2t 2\n\r    \n"), "\r    \n1 4 6\n1 4 6\n");
}

TEST(Pro2Solve, EmptyBodiesCountZero)
{
    EXPECT_EQ(solve("wc only\n"), "0 0 0\n");
    EXPECT_EQ(solve("t2b 4\n"), "0 0 0\n0 0 0\n");
    EXPECT_EQ(solve("b2t 4"), "0 0 0\n0 0 0\n");
    EXPECT_EQ(solve(""), "0 0 0\n");  // no header line at all
}

TEST(Pro2Solve, OtherFirstCharactersOnlyCount)
{
    for (const char* header : {"x2b 4", "T2B 4", "W", " t2b 4", "", "wc only", "\tb2t 4"})
        EXPECT_EQ(solve(std::string(header) + "\n\tA B\n  \n"), "2 3 8\n") << header;
}

TEST(Pro2Solve, TabToBlankTable)
{
    // A blank: one blank, the leading whitespace goes on (the tab after it
    // still counts as leading).
    EXPECT_EQ(solve("t2b 3\n \tx\n"), "    x\n1 1 4\n1 4 6\n");
    // A leading tab: N blanks, wherever it stands; none for N of 0 or less.
    EXPECT_EQ(solve("t2b 3\n\t \t\n"), "       \n1 1 4\n1 7 8\n");
    EXPECT_EQ(solve("t2b -1\n\t \tx\n"), " x\n1 1 5\n1 1 3\n");
    // A tab after an ordinary character: one tab.
    EXPECT_EQ(solve("t2b 3\nx\t\ty \t\n"), "x\t\ty \t\n1 1 7\n1 1 7\n");
    // A newline starts leading whitespace again.
    EXPECT_EQ(solve("t2b 2\nx\t\n\ty\n"), "x\t\n  y\n2 0 6\n2 2 7\n");
    // An ordinary character ends it: bytes above 127 and NUL are ordinary.
    EXPECT_EQ(solve(std::string("t2b 2\n\xe9\t\n") + '\0' + "\t\n"),
              std::string("\xe9\t\n") + '\0' + "\t\n2 0 6\n2 0 6\n");
}

TEST(Pro2Solve, BlankToTabTable)
{
    // A blank after an ordinary character: one blank.
    EXPECT_EQ(solve("b2t 4\nx    y\n"), "x    y\n1 4 7\n1 4 7\n");
    // Leading blanks: a tab for each complete group.
    EXPECT_EQ(solve("b2t 4\n        x\n"), "\t\tx\n1 8 10\n1 0 4\n");
    // A tab at once; the blanks around it count toward one group.
    EXPECT_EQ(solve("b2t 4\n  \t  x\n"), "\t\tx\n1 4 7\n1 0 4\n");
    EXPECT_EQ(solve("b2t 4\n  \tx\n"), "\t  x\n1 2 5\n1 2 5\n");
    EXPECT_EQ(solve("b2t 4\nx\t \t\n"), "x\t \t\n1 1 5\n1 1 5\n");
    // A newline: held blanks first, then leading whitespace starts again.
    EXPECT_EQ(solve("b2t 4\n      \n    y\n"), "\t  \n\ty\n2 10 13\n2 2 7\n");
    EXPECT_EQ(solve("b2t 4\nx \n"), "x \n1 1 3\n1 1 3\n");
    // An ordinary character: held blanks first.
    EXPECT_EQ(solve("b2t 4\n   x\n"), "   x\n1 3 5\n1 3 5\n");
    // No group forms for N of 0 or less; the blanks come out in one run.
    EXPECT_EQ(solve("b2t 0\n  \t  x\n"), "\t    x\n1 4 7\n1 4 7\n");
    EXPECT_EQ(solve("b2t -4\n    \n"), "    \n1 4 5\n1 4 5\n");
    // Held blanks at the end of input are dropped, also after a tab.
    EXPECT_EQ(solve("b2t 4\n  \t "), "\t0 3 4\n0 0 1\n");
}

TEST(Pro2Solve, WidthFromTheSecondToken)
{
    const std::string body = "\tq\n";
    EXPECT_EQ(solve("t2b\n" + body), "q\n1 0 3\n1 0 2\n");  // no width token: 0
    EXPECT_EQ(solve("t\n" + body), "q\n1 0 3\n1 0 2\n");
    EXPECT_EQ(solve("t2b abc\n" + body), "q\n1 0 3\n1 0 2\n");
    EXPECT_EQ(solve("t2b\t5\n" + body), "q\n1 0 3\n1 0 2\n");  // one token: only blanks separate
    EXPECT_EQ(solve("t2b +3\n" + body), "   q\n1 0 3\n1 3 5\n");
    EXPECT_EQ(solve("t2b   \t3\n" + body), "   q\n1 0 3\n1 3 5\n");  // "%d" skips the tab
    EXPECT_EQ(solve("t2b 3x 9\n" + body), "   q\n1 0 3\n1 3 5\n");
    EXPECT_EQ(solve("t2b 3\r\n" + body), "   q\n1 0 3\n1 3 5\n");
    EXPECT_EQ(solve("toast 2 4\n" + body), "  q\n1 0 3\n1 2 4\n");
    EXPECT_EQ(solve("t2b " + std::string(100000, '0') + "2\n" + body), "  q\n1 0 3\n1 2 4\n");
    EXPECT_EQ(solve("t2b -2147483648\n" + body), "q\n1 0 3\n1 0 2\n");
    EXPECT_EQ(solve("b2t 2147483647\n  x\n"), "  x\n1 2 4\n1 2 4\n");
    // Count-only reads no width at all.
    EXPECT_EQ(solve("w 99999999999\n" + body), "1 0 3\n");
}

TEST(Pro2Solve, LongHeaderLinesDoNotLeakIntoTheBody)
{
    EXPECT_EQ(solve("t2b 3 " + std::string(300000, 'z') + "\n\tq\n"), "   q\n1 0 3\n1 3 5\n");
    EXPECT_EQ(solve("wc " + std::string(300000, ' ') + "\nab\n"), "1 0 3\n");
}

TEST(Pro2Solve, RejectsAWidthBeyondThirtyTwoBits)
{
    for (const char* header : {"t2b 2147483648", "b2t -2147483649", "b2t 99999999999999999999999"}) {
        const auto result = run("pro2-solve", std::string(header) + "\n  x\n");
        EXPECT_EQ(result.status, 1) << header;
        EXPECT_EQ(result.out, "") << header;
        EXPECT_EQ(result.err, "pro2-solve: the width in the header is outside the signed 32-bit range\n");
    }
}

TEST(Pro2Solve, HostileBodiesAgreeWithTheModel)
{
    std::mt19937 random(7);
    const std::string alphabet = std::string(" \t\n\r\x7f\x80\xfe\xffq", 9) + '\0';
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (const char* header : {"t2b 0", "t2b 1", "t2b -3", "t2b 5", "b2t 0", "b2t 1", "b2t -3", "b2t 5", "wc only"}) {
        std::string body;
        for (int i = 0; i < 20000; ++i)
            body += alphabet[pick(random)];
        const std::string input = std::string(header) + "\n" + body;
        const std::string got = solve(input), expected = model::solve(input);
        EXPECT_TRUE(got == expected) << header << ": " << model::first_difference(got, expected);
    }
}

TEST(Pro2Solve, ManyShortLinesAgreeWithTheModel)
{
    // Short lines with leading runs, over more than one input block and
    // output buffer, so that short copies meet the ends of both.
    std::mt19937 random(11);
    std::uniform_int_distribution<int> lead(0, 12), length(0, 70), kind(0, 3);
    std::string body;
    while (body.size() < 700000) {
        for (int i = lead(random); i > 0; --i)
            body += kind(random) == 0 ? '\t' : ' ';
        body += std::string(static_cast<std::size_t>(length(random)), 'w') + '\n';
    }
    for (const char* header : {"t2b 4", "t2b 1", "b2t 4", "b2t 3", "b2t 1"}) {
        const std::string input = std::string(header) + "\n" + body;
        const std::string got = solve(input), expected = model::solve(input);
        EXPECT_TRUE(got == expected) << header << ": " << model::first_difference(got, expected);
    }
}

TEST(Pro2Solve, VeryLongLines)
{
    // Lines of hundreds of thousands of characters, leading runs included.
    const std::string lines = std::string(250000, ' ') + "\t" + std::string(300000, 'a') + " \t\n" +
                              std::string(3, '\t') + std::string(400000, 'b');
    for (const char* header : {"t2b 8", "b2t 8", "b2t 7", "b2t 63", "b2t 64", "b2t 65", "wc only"}) {
        const std::string input = std::string(header) + "\n" + lines;
        const std::string got = solve(input), expected = model::solve(input);
        EXPECT_TRUE(got == expected) << header << ": " << model::first_difference(got, expected);
    }
    EXPECT_EQ(solve("t2b 100000\n \t\tx\t\n"), std::string(200001, ' ') + "x\t\n1 1 6\n1 200001 200004\n");
    EXPECT_EQ(solve("b2t 8\n" + std::string(250000, ' ') + "x"),
              std::string(31250, '\t') + "x0 250000 250001\n0 0 31251\n");
}

TEST(Pro2Solve, ReportsAFullOutputAndAClosedInput)
{
    RunOptions full;
    full.stdout_to_full = true;
    for (const char* input : {"t2b 4\n\tx\n", "wc only\n"}) {
        const auto result = run("pro2-solve", input, full);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "pro2-solve: write error: No space left on device\n");
    }
    RunOptions closed;
    closed.close_stdin = true;
    const auto result = run("pro2-solve", "", closed);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "pro2-solve: read error: Bad file descriptor\n");
}

}  // namespace
