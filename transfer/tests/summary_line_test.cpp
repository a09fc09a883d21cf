// The elapsed time and the scaled size of a summary line, in process.

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "tests/support/files.hpp"
#include "transfer/summary_line.hpp"

namespace {

using testing_support::captured;
using transfer::ScaledSize;

constexpr std::int64_t KB = 1024, MB = KB * KB, GB = MB * KB, TB = GB * KB;

std::string line_end(std::uint32_t start, std::uint32_t end, std::int64_t size)
{
    return captured([&](common::Output& out) {
        transfer::write_line_end(out, transfer::split_elapsed(start, end), transfer::scale_size(size));
    });
}

TEST(SummaryLine, EveryEdgeOfTheUnitTable)
{
    const struct {
        std::int64_t size;
        const char* printed;
    } rows[] = {
        {1023, "1023 B"}, {1024, "1 KB"}, {1535, "1 KB"}, {1536, "2 KB"},
        {1023 * KB + 511, "1023 KB"}, {1023 * KB + 512, "1 MB"}, {MB, "1 MB"},
        {1'000'000'000, "954 MB"}, {GB - 1, "1 GB"}, {TB - 1, "1024 GB"}, {5 * TB, "5120 GB"},
        // Beyond the table: bytes below 1024, the largest unit never rounds
        // a quotient above 1023, and the signed 64-bit extremes.
        {0, "0 B"}, {-5, "-5 B"}, {TB, "1024 GB"}, {TB + GB / 2, "1024 GB"}, {TB + GB - 1, "1024 GB"},
        {1023 * GB + GB / 2 - 1, "1023 GB"}, {1023 * MB + MB / 2 - 1, "1023 MB"}, {3'500'000, "3 MB"},
        {std::numeric_limits<std::int64_t>::max(), "8589934591 GB"},
        {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808 B"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(line_end(0, 0, row.size), std::string(" 0:00:00 ") + row.printed + "\n") << row.size;
}

// Closed form of the scaling: the smallest unit whose quotient, rounded half
// up, is at most 1023; failing all, G with the quotient rounded only when it
// is at most 1023 itself.
ScaledSize scaled_by_model(std::int64_t size)
{
    if (size < 1024)
        return {size, '\0'};
    const char letters[] = {'K', 'M', 'G'};
    const std::int64_t divisors[] = {KB, MB, GB};
    for (int i = 0; i < 3; ++i) {
        const std::int64_t rounded = size / divisors[i] + (size % divisors[i] >= divisors[i] / 2 ? 1 : 0);
        if (rounded <= 1023)
            return {rounded, letters[i]};
    }
    // Only a quotient above 1023, or 1023 rounded up, gets here.
    const std::int64_t quotient = size / GB;
    return {quotient > 1023 ? quotient : quotient + 1, 'G'};
}

TEST(SummaryLine, ScalingAgreesWithTheClosedFormAroundEveryEdge)
{
    std::mt19937_64 random(91);
    for (int i = 0; i < 200000; ++i) {
        // Sizes near a multiple of each unit's half, and some anywhere.
        const std::int64_t unit = (std::int64_t{1} << (9 + 10 * (i % 4))) * static_cast<std::int64_t>(random() % 2100);
        const std::int64_t size = i % 5 == 0 ? static_cast<std::int64_t>(random() >> 1) : unit + static_cast<std::int64_t>(random() % 5) - 2;
        const ScaledSize got = transfer::scale_size(size), expected = scaled_by_model(size);
        ASSERT_EQ(got.number, expected.number) << size;
        ASSERT_EQ(got.unit, expected.unit) << size;
    }
}

TEST(SummaryLine, ElapsedTimesAsTheFormatWritesThem)
{
    EXPECT_EQ(line_end(1000, 4725, 1536), " 1:02:05 2 KB\n");
    EXPECT_EQ(line_end(0, 65, 3'500'000), " 0:01:05 3 MB\n");
    EXPECT_EQ(line_end(30, 0, 0), " 0:00:-30 0 B\n");
    EXPECT_EQ(line_end(3725, 0, 0), " -1:-2:-5 0 B\n");
    EXPECT_EQ(line_end(0, 90000, 0), " 25:00:00 0 B\n");
    EXPECT_EQ(line_end(4294967295u, 0, 0), " 0:00:01 0 B\n");  // taken modulo 2^32
    EXPECT_EQ(line_end(0, 4294967295u, 0), " 0:00:-1 0 B\n");
    EXPECT_EQ(line_end(0, 2147483647, 0), " 596523:14:07 0 B\n");
    EXPECT_EQ(line_end(0, 2147483648u, 0), " -596523:-14:-8 0 B\n");
}

TEST(SummaryLine, ElapsedFieldsMatchPrintfForAnyPair)
{
    std::mt19937 random(5);
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t start = random(), end = i % 2 ? random() : start + random() % 200000 - 100000;
        std::int64_t elapsed = std::int64_t{end} - std::int64_t{start};
        if (elapsed >= 2147483648)
            elapsed -= 4294967296;
        else if (elapsed < -2147483648)
            elapsed += 4294967296;
        const int e = static_cast<int>(elapsed);
        char expected[64];
        std::snprintf(expected, sizeof expected, " %d:%02d:%02d 7 B\n", e / 3600, e % 3600 / 60, e % 3600 % 60);
        ASSERT_EQ(line_end(start, end, 7), expected) << start << " " << end;
    }
}

}  // namespace
