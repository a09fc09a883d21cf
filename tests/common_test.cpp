// The shared reader, writer and draw generator, and the validators' help
// paragraph of features, in process.

#include <gtest/gtest.h>

#include <fcntl.h>

#include <cstdint>
#include <string>

#include "common/draws.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "common/validation.hpp"
#include "tests/support/files.hpp"

namespace {

using common::Input;
using common::ReadStatus;
using testing_support::captured;
using testing_support::TempFile;

TEST(Draws, FollowTheWindowsRuntimeSequence)
{
    // The first draws after srand(1) on the 32-bit Windows C runtime.
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    common::Draws draws(1);
    for (int value : expected)
        EXPECT_EQ(draws.next(), value);
}

TEST(Draws, StayWithinFifteenBitsForAnySeed)
{
    for (std::uint32_t seed : {0u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        common::Draws draws(seed);
        for (int i = 0; i < 100000; ++i) {
            const int value = draws.next();
            ASSERT_GE(value, 0);
            ASSERT_LE(value, 32767);
        }
    }
}

TEST(Draws, SameSeedSameDraws)
{
    common::Draws a(1733700000), b(1733700000);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(a.next(), b.next());
}

// Reads every int32 of `text` with a small buffer, so numbers straddle blocks;
// a read that fails on a lone sign shows the sign in brackets.
std::string read_all_int32(const std::string& text, std::size_t capacity)
{
    TempFile file(text);
    Input in(file.fd(), capacity);
    std::string seen;
    for (;;) {
        std::int32_t value = 0;
        const ReadStatus status = in.read_int(value);
        if (status == ReadStatus::lone_sign)
            seen += std::string("[") + in.consumed_sign() + "],";
        else if (status != ReadStatus::ok)
            return seen + (status == ReadStatus::end ? "end" : "stop");
        else
            seen += std::to_string(value) + ",";
    }
}

TEST(InputNumbers, SkipScanfWhiteSpaceAndTakeASign)
{
    const std::string text = " \t\n\v\f\r-12 +7\r\n0003 -0 2147483647 -2147483648\n";
    for (std::size_t capacity : {1u, 2u, 3u, 7u, 4096u})
        EXPECT_EQ(read_all_int32(text, capacity), "-12,7,3,0,2147483647,-2147483648,end") << capacity;
}

TEST(InputNumbers, NoNumberConsumesNothing)
{
    for (const std::string text : {"x1", "x", ".5", "\x01-2"}) {
        TempFile file(text);
        Input in(file.fd(), 2);
        std::int32_t value = 99;
        EXPECT_EQ(in.read_int(value), ReadStatus::no_number) << text;
        EXPECT_EQ(in.read_int(value), ReadStatus::no_number) << text;
        EXPECT_EQ(value, 99);
        EXPECT_EQ(in.get(), static_cast<unsigned char>(text[0])) << text;
    }
}

TEST(InputNumbers, ALoneSignIsConsumedAndTheNextReadStartsBehindIt)
{
    // As with "%d": a sign starts a number and is not given back when no
    // digit follows, whatever stands behind it.
    const std::pair<std::string, std::string> cases[] = {
        {"- 5", "[-],5,end"},       {"+\n\t7 -", "[+],7,[-],end"}, {"+-5 --6", "[+],-5,[-],-6,end"},
        {"+ - +9", "[+],[-],9,end"}, {"-x 3", "[-],stop"},
    };
    for (const auto& [text, expected] : cases)
        for (std::size_t capacity : {2u, 3u, 4096u})
            EXPECT_EQ(read_all_int32(text, capacity), expected) << text << " with " << capacity;
}

TEST(InputNumbers, ReportOutOfRangeAndConsumeTheWholeNumber)
{
    const std::string hundreds_of_digits(300, '9');
    const std::pair<std::string, ReadStatus> cases32[] = {
        {"2147483648", ReadStatus::out_of_range},
        {"-2147483649", ReadStatus::out_of_range},
        {"+2147483647", ReadStatus::ok},
        {hundreds_of_digits, ReadStatus::out_of_range},
    };
    for (const auto& [text, status] : cases32) {
        TempFile file(text + " 5");
        Input in(file.fd(), 8);
        std::int32_t value = 0;
        EXPECT_EQ(in.read_int(value), status) << text;
        EXPECT_EQ(in.read_int(value), ReadStatus::ok) << text;
        EXPECT_EQ(value, 5);
    }
    TempFile file("9223372036854775807 -9223372036854775808 9223372036854775808");
    Input in(file.fd(), 5);
    std::int64_t value = 0;
    EXPECT_EQ(in.read_int(value), ReadStatus::ok);
    EXPECT_EQ(value, INT64_MAX);
    EXPECT_EQ(in.read_int(value), ReadStatus::ok);
    EXPECT_EQ(value, INT64_MIN);
    EXPECT_EQ(in.read_int(value), ReadStatus::out_of_range);
    EXPECT_EQ(in.read_int(value), ReadStatus::end);
}

TEST(InputNumbers, EmptyInputEndsAtOnceAndStaysEnded)
{
    TempFile file("");
    Input in(file.fd());
    std::int32_t value = 0;
    EXPECT_EQ(in.read_int(value), ReadStatus::end);
    EXPECT_EQ(in.get(), Input::eof);
    std::string line;
    EXPECT_FALSE(in.read_line(line));
    EXPECT_FALSE(in.read_token(line));
}

TEST(InputText, LinesOfAnyLengthAndALastLineWithoutNewline)
{
    const std::string long_line(100000, 'x');
    TempFile file("a b\n\n" + long_line + "\nlast");
    Input in(file.fd(), 16);
    std::string line;
    ASSERT_TRUE(in.read_line(line));
    EXPECT_EQ(line, "a b");
    ASSERT_TRUE(in.read_line(line));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(in.read_line(line));
    EXPECT_EQ(line, long_line);
    ASSERT_TRUE(in.read_line(line));
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(in.read_line(line));
}

TEST(InputText, TokensSplitAtScanfWhiteSpaceOnly)
{
    TempFile file("  p=1\x01\xff\tq=2\r\n\v" + std::string(5000, 'z'));
    Input in(file.fd(), 16);
    std::string token;
    ASSERT_TRUE(in.read_token(token));
    EXPECT_EQ(token, "p=1\x01\xff");
    ASSERT_TRUE(in.read_token(token));
    EXPECT_EQ(token, "q=2");
    ASSERT_TRUE(in.read_token(token));
    EXPECT_EQ(token, std::string(5000, 'z'));
    EXPECT_FALSE(in.read_token(token));
}

TEST(InputErrors, AReadErrorIsReported)
{
    EXPECT_EXIT(
        {
            common::program_name = "reader";
            Input in(-1);
            in.get();
        },
        ::testing::ExitedWithCode(1), "^reader: read error: Bad file descriptor\n$");
}

TEST(Output, FormatsNumbersInEveryBase)
{
    const std::string text = captured([](common::Output& out) {
        out.number(std::int64_t{-9223372036854775807 - 1});
        out.put(' ');
        out.number(std::uint64_t{0xFFFFFFFFFFFFFFFBu}, 16);
        out.put(' ');
        out.number(std::uint64_t{0xFFFFFFFFFFFFFFFBu}, 8);
        out.put(' ');
        out.number(std::uint64_t{5}, 2);
        out.put(' ');
        out.number(0);
    });
    EXPECT_EQ(text, "-9223372036854775808 FFFFFFFFFFFFFFFB 1777777777777777777773 101 0");
}

TEST(Output, KeepsOrderAcrossFlushesWithATinyBuffer)
{
    static const std::string block = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ+/";
    const auto part = [](int i) { return static_cast<std::size_t>(i % 65); };
    std::string expected;
    for (int i = 0; i < 1000; ++i)
        expected += std::to_string(i * 7919) + std::string(static_cast<std::size_t>(i % 5), '.') + "|long text|" +
                    block.substr(0, part(i)) + block.substr(0, part(i) % 17) + "<" + std::to_string(i % 10) + ">";
    const std::string text = captured(
        [&](common::Output& out) {
            for (int i = 0; i < 1000; ++i) {
                out.number(i * 7919);
                out.repeat('.', static_cast<std::size_t>(i % 5));
                out.write("|long text|");
                out.write_from_block<64>(block.data(), part(i));
                out.write_in_place<16>([&](char* p) {
                    const std::size_t n = part(i) % 17;
                    block.copy(p, n);
                    return p + n;
                });
                char* room = out.room_for(3);
                ASSERT_GE(out.room_end() - room, 3);
                room[0] = '<';
                room[1] = static_cast<char>('0' + i % 10);
                room[2] = '>';
                out.filled_to(room + 3);
            }
        },
        80);
    EXPECT_EQ(text, expected);
}

TEST(Output, AFullDeviceIsAWriteError)
{
    EXPECT_EXIT(
        {
            common::program_name = "writer";
            const int full = open("/dev/full", O_WRONLY);
            common::Output out(full, 64);
            out.repeat('x', 1000);
            out.flush();
        },
        ::testing::ExitedWithCode(1), "^writer: write error: No space left on device\n$");
}

TEST(Output, AnErrorFlushesWhatWasWrittenFirst)
{
    TempFile file;
    EXPECT_EXIT(
        {
            common::program_name = "prog";
            common::Output out(file.fd());
            out.write("kept\n");
            common::fail("case %d: bad", 3);
        },
        ::testing::ExitedWithCode(1), "^prog: case 3: bad\n$");
    EXPECT_EQ(file.contents(), "kept\n");
}

TEST(FeaturesHelp, EachMeaningOnLinesOfAtMost79Columns)
{
    // "  - a name:" and nine words of seven columns fill 74; a tenth would
    // pass 79, so it opens a line indented by four blanks, which takes ten.
    std::string words;
    for (int i = 1; i <= 20; ++i)
        words += (i > 1 ? " word" : "word") + std::string(i < 10 ? "0" : "") + std::to_string(i);
    const common::Feature features[] = {{"x", "one two"}, {"a name", words.c_str()}};
    EXPECT_EQ(common::features_help(features),
              "With --features, the report of a valid case ends with an empty line and a\n"
              "table of these features, each \"yes\" when the case has it and \"no\" when not:\n"
              "  - x: one two\n"
              "  - a name: word01 word02 word03 word04 word05 word06 word07 word08 word09\n"
              "    word10 word11 word12 word13 word14 word15 word16 word17 word18 word19\n"
              "    word20\n");
}

}  // namespace
