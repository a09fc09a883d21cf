// The PRO2 conversions in process: cases read through tiny blocks so that
// every line, run and stretch is split across reads, compared with the
// model on random and hostile bodies.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/input.hpp"
#include "pro2/converter.hpp"
#include "pro2/tests/model.hpp"
#include "tests/support/files.hpp"

namespace {

using testing_support::captured;
using testing_support::TempFile;

// What solve writes for the input, read in blocks of `block` bytes.
std::string solved(const std::string& input, std::size_t block, std::size_t out_capacity = 128)
{
    TempFile file(input);
    common::Input in(file.fd(), block);
    return captured([&](common::Output& out) { pro2::solve(in, out); }, out_capacity);
}

// A random body over a small alphabet weighted towards whitespace, with
// carriage returns, NUL and bytes above 127 among the ordinary characters.
std::string random_body(std::mt19937& random, std::size_t length)
{
    static const std::string alphabet = std::string("     \t\t\t\n\nxy\r\x80\xff") + '\0';
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string body;
    for (std::size_t i = 0; i < length; ++i)
        body += alphabet[pick(random)];
    return body;
}

TEST(Pro2Converter, AgreesWithTheModelInEveryBlockSize)
{
    std::mt19937 random(20240611);
    const char* const headers[] = {"t2b 4", "b2t 4", "t2b 0", "b2t 1", "b2t 3", "t2b -2", "b2t -5", "b2t 0",
                                   "t2b 1", "wc only", "b2t 64", "t 7"};
    for (const char* header : headers) {
        for (int round = 0; round < 12; ++round) {
            const std::string input = std::string(header) + "\n" + random_body(random, 1 + round * 37);
            const std::string expected = model::solve(input);
            for (std::size_t block : {2u, 3u, 5u, 63u, 64u, 65u, 1000u})
                ASSERT_EQ(solved(input, block), expected) << header << ", block " << block << ": " << input;
        }
    }
}

TEST(Pro2Converter, LongRunsCrossStretchesAndBlocks)
{
    // Leading whitespace and lines far longer than a block or a stretch.
    const std::string long_lead = std::string(1000, ' ') + "\t" + std::string(333, ' ') + "x" +
                                  std::string(500, ' ') + "\t\n" + std::string(70, '\t') + std::string(129, ' ');
    const std::string long_text = "  " + std::string(5000, 'y') + "\n\t\t" + std::string(3000, 'z');
    for (const char* header : {"t2b 3", "b2t 4", "b2t 7", "b2t 0", "t2b 0"}) {
        for (const std::string& body : {long_lead, long_text, long_lead + "\n" + long_text}) {
            const std::string input = std::string(header) + "\n" + body;
            const std::string expected = model::solve(input);
            for (std::size_t block : {2u, 17u, 64u, 100u, 4096u}) {
                const std::string got = solved(input, block, 128);
                ASSERT_TRUE(got == expected) << header << ", block " << block << ": " << model::first_difference(got, expected);
            }
        }
    }
}

TEST(Pro2Converter, LargeRandomBodiesInOneBlockSize)
{
    std::mt19937 random(99);
    for (const char* header : {"t2b 2", "b2t 2", "wc only"}) {
        const std::string input = std::string(header) + "\n" + random_body(random, 300000);
        const std::string got = solved(input, 4096, 1000), expected = model::solve(input);
        EXPECT_TRUE(got == expected) << header << ": " << model::first_difference(got, expected);
    }
}

TEST(Pro2Converter, HeaderSplitAcrossBlocks)
{
    // The header's tokens straddle reads of two bytes; nothing leaks into the body.
    const std::string input = "b2t   \t\v12zz more tokens\n" + std::string(25, ' ') + "x\n";
    EXPECT_EQ(solved(input, 2), "\t\t x\n1 25 27\n1 1 5\n");
    EXPECT_EQ(solved(input, 2), model::solve(input));
}

}  // namespace
