// pro3-solve run as a user would: cases in, answer lines out.

#include <gtest/gtest.h>

#include <string>

#include "pro3/sequence.hpp"
#include "tests/support/run.hpp"

namespace {

using testing_support::run;
using testing_support::RunOptions;

std::string solve(const std::string& input)
{
    const auto result = run("pro3-solve", input);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    return result.out;
}

// The case p=1 q=1 r=0 a1=1 a2=1 (the Fibonacci numbers) with n and s.
std::string fibonacci(int n, const std::string& radix)
{
    return "p=1 q=1 r=0 a1=1 a2=1 n=" + std::to_string(n) + " s=" + radix + "\n";
}

TEST(Pro3Solve, TermTenInEveryRadix)
{
    EXPECT_EQ(solve(fibonacci(10, "dec")), "55\n");
    EXPECT_EQ(solve(fibonacci(10, "bin")), "110111\n");
    EXPECT_EQ(solve(fibonacci(10, "hex")), "37\n");
    EXPECT_EQ(solve(fibonacci(10, "oct")), "67\n");
}

TEST(Pro3Solve, SevenEightAndNineAreSentencesInEveryRadix)
{
    EXPECT_EQ(solve(fibonacci(6, "dec")), "This is a transitive verb.\n");
    EXPECT_EQ(solve(fibonacci(6, "bin")), "This is a transitive verb.\n");
    EXPECT_EQ(solve(fibonacci(5, "dec")), "5\n");
    EXPECT_EQ(solve("p=0 q=0 r=9 n=3 s=hex a1=0 a2=0"), "This number has been deleted.\n");
    EXPECT_EQ(solve("p=0 q=0 r=7 n=3 s=oct a1=0 a2=0"), "This is a bad number.\n");
    EXPECT_EQ(solve("p=0 q=0 r=-8 n=3 s=dec a1=0 a2=0"), "-8\n");
    EXPECT_EQ(solve("p=0 q=0 r=0 n=2 s=dec a1=0 a2=4294967304"), "4294967304\n");
}

TEST(Pro3Solve, StartTermsAreNotReduced)
{
    EXPECT_EQ(solve("p=1 q=1 r=0 a1=1 a2=8247596325 n=2 s=dec"), "8247596325\n");
    for (const char* radix : {"dec", "bin", "oct", "hex"})
        EXPECT_EQ(solve(std::string("p=1 q=0 r=0 a1=1 a2=8247596325 n=3 s=") + radix), "0\n") << radix;
}

TEST(Pro3Solve, NegativeResultsAsUnsignedAndAsSixtyThreeBits)
{
    const std::string minus5 = "p=0 q=0 r=-5 a1=0 a2=0 n=3 s=";
    EXPECT_EQ(solve(minus5 + "dec"), "-5\n");
    EXPECT_EQ(solve(minus5 + "oct"), "1777777777777777777773\n");
    EXPECT_EQ(solve(minus5 + "hex"), "FFFFFFFFFFFFFFFB\n");
    EXPECT_EQ(solve(minus5 + "bin"), std::string(60, '1') + "011\n");
    EXPECT_EQ(solve("p=0 q=0 r=0 a1=0 a2=0 s=bin n=0 a0=-1 x=0 y=0 z=0 w=0 v=0 n=0"),
              "0\n" + std::string(63, '1') + "\n");
}

TEST(Pro3Solve, TokensAnyOrderAnyLayout)
{
    const std::string expected = "55\n";
    EXPECT_EQ(solve("s=dec n=10 a2=1 a1=1 r=0 q=1 p=1"), expected);
    EXPECT_EQ(solve("s=dec\nn=10\r\n\ta2=1\v a1=1\f\nr=0\n\nq=1\np=1\n"), expected);
    // An eighth token starts the next case; the next six complete it.
    EXPECT_EQ(solve(fibonacci(10, "dec") + "n=6 x x x x x x"), "55\nThis is a transitive verb.\n");
}

TEST(Pro3Solve, SettingsCarryOverAndUnknownKeysStillCount)
{
    // The second case replaces r by x=1 and keeps r=0; s=Hex keeps the radix.
    EXPECT_EQ(solve(fibonacci(10, "hex") + "p=1 q=1 x=1 a1=1 a2=1 n=11 s=Hex\n"), "37\n59\n");
    // Radix and values before any case set them: 10 and 0.
    EXPECT_EQ(solve("a1=1 a2=2 p=1 q=1 r=0 n=4 k=0"), "5\n");
    EXPECT_EQ(solve("x x x x x x x"), "0\n");
    EXPECT_EQ(solve("a0=12 n=0 x x x x x"), "12\n");
}

TEST(Pro3Solve, ValuesAreReadAsTheFormatSays)
{
    // p==5 is p=5; the value stops at the next '='; atoi stops at a non-digit.
    EXPECT_EQ(solve("p==2 q=1=7 r=0x9 a1=1 a2=1 n=3 s=decimal"), "3\n");
    // p=abc is 0; a1=xyz leaves term 1 as it was; 'a' keys beyond 9 never matter.
    EXPECT_EQ(solve("p=abc q=1 r=0 a1=4 a2=0 n=3 s=dec p=abc q=1 r=0 a1=xyz a2=0 n=3 az=9"), "4\n4\n");
    EXPECT_EQ(solve("p=+3 q=-0 r=+-2 a1=1 a2=+2 n=3 s=d"), "6\n");
}

TEST(Pro3Solve, AnIncompleteLastCaseIsDropped)
{
    EXPECT_EQ(solve(fibonacci(10, "dec") + "p=1 q=1 r=0 a1=1 a2=1"), "55\n");
    EXPECT_EQ(solve(""), "");
    EXPECT_EQ(solve(" \n\t"), "");
}

TEST(Pro3Solve, LargeIndicesMatchTheStepwiseRecurrence)
{
    const pro3::Recurrence rec{32768, 29000, 32767};
    const std::int64_t expected = pro3::term_stepwise(rec, 32767, 65534, 2500000);
    EXPECT_EQ(solve("n=2500000 p=32768 q=29000 r=32767 a1=32767 a2=65534 s=dec"), std::to_string(expected) + "\n");
    const pro3::Recurrence negative{-3, 7, -100};
    const std::int64_t wrapped = pro3::term_stepwise(negative, -5, 9000000000000000000, 1000000);
    EXPECT_EQ(solve("n=1000000 p=-3 q=7 r=-100 a1=-5 a2=9000000000000000000 s=dec"), std::to_string(wrapped) + "\n");
}

struct Rejected {
    std::string input;
    std::string message;
};

TEST(Pro3Solve, RejectsWhatTheFormatCannotMean)
{
    const Rejected cases[] = {
        {"p5", "pro3-solve: token \"p5\": no '=' after the key\n"},
        {"q=", "pro3-solve: token \"q=\": no value after '='\n"},
        {"s===", "pro3-solve: token \"s===\": no value after '='\n"},
        {"a=5", "pro3-solve: token \"a=5\": no term digit after 'a'\n"},
        {"a\x80=5", "pro3-solve: token \"a\x80=5\": no term digit after 'a'\n"},
        {"a/=5", "pro3-solve: token \"a/=5\": no term digit after 'a'\n"},
        {"r=2147483648", "pro3-solve: token \"r=2147483648\": value outside the signed 32-bit range\n"},
        {"n=-2147483649", "pro3-solve: token \"n=-2147483649\": value outside the signed 32-bit range\n"},
        {"a1=9223372036854775808", "pro3-solve: token \"a1=9223372036854775808\": value outside the signed 64-bit range\n"},
        {"n=-1 x x x x x x", "pro3-solve: case 1: n = -1 is outside 0..2500000\n"},
        {"n=2500001 x x x x x x", "pro3-solve: case 1: n = 2500001 is outside 0..2500000\n"},
    };
    for (const Rejected& c : cases) {
        const auto result = run("pro3-solve", c.input);
        EXPECT_EQ(result.status, 1) << c.input;
        EXPECT_EQ(result.err, c.message);
        EXPECT_EQ(result.out, "");
    }
    // The limits themselves are accepted.
    EXPECT_EQ(solve("p=2147483647 q=-2147483648 r=0 a1=-9223372036854775808 a2=9223372036854775807 n=2 s=d"),
              "9223372036854775807\n");
}

TEST(Pro3Solve, LinesBeforeARejectionStay)
{
    const auto result = run("pro3-solve", fibonacci(10, "dec") + fibonacci(-3, "dec"));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "55\n");
    EXPECT_EQ(result.err, "pro3-solve: case 2: n = -3 is outside 0..2500000\n");
}

TEST(Pro3Solve, HugeTokensAreReadWhole)
{
    const std::string huge(1 << 20, 'x');
    EXPECT_EQ(solve(huge + " p=1 q=1 r=0 a1=1 a2=1 n=10\n"), "55\n");
    const auto result = run("pro3-solve", "p=" + std::string(500, '7'));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "pro3-solve: token \"p=" + std::string(38, '7') + "\": value outside the signed 32-bit range\n");
}

TEST(Pro3Solve, OutputAndInputFailuresAreReported)
{
    RunOptions full;
    full.stdout_to_full = true;
    const auto result = run("pro3-solve", fibonacci(10, "dec"), full);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "pro3-solve: write error: No space left on device\n");

    RunOptions closed;
    closed.close_stdin = true;
    const auto unread = run("pro3-solve", "", closed);
    EXPECT_EQ(unread.status, 1);
    EXPECT_EQ(unread.err, "pro3-solve: read error: Bad file descriptor\n");
}

}  // namespace
