// common/bits.hpp as C++17 compiles it (this file is built as C++17): the
// builtin-made countr_zero, countr_one and popcount against a bit-by-bit
// count, for every width they are used at, and endian against the bytes of a
// stored word. As C++20 the header's names are <bit>'s own.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "common/bits.hpp"

static_assert(__cplusplus < 202002L, "built as C++17, to test the header's own functions");

// Tables are made of them at compile time.
static_assert(common::countr_zero(std::uint64_t{1} << 40) == 40);
static_assert(common::countr_one(0x7u) == 3);
static_assert(common::popcount(0xF0F0u) == 8);

namespace {

template <typename T>
int zeros_below_lowest_one(T x)
{
    int n = 0;
    while (n < std::numeric_limits<T>::digits && ((x >> n) & 1) == 0)
        ++n;
    return n;
}

template <typename T>
int ones(T x)
{
    int n = 0;
    for (int bit = 0; bit < std::numeric_limits<T>::digits; ++bit)
        n += static_cast<int>((x >> bit) & 1);
    return n;
}

// Whether the three count as bit by bit.
template <typename T>
testing::AssertionResult counted_right(T x)
{
    if (common::countr_zero(x) == zeros_below_lowest_one(x) &&
        common::countr_one(x) == zeros_below_lowest_one(static_cast<T>(~x)) && common::popcount(x) == ones(x))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "wrong at " << std::uint64_t{x};
}

// Every value of up to 16 bits; for wider types, also those 16 bits at
// each higher quarter, the other bits all 0 or all 1.
template <typename T>
void check_width()
{
    constexpr int digits = std::numeric_limits<T>::digits;
    for (std::uint32_t low = 0; low < (1u << std::min(digits, 16)); ++low) {
        ASSERT_TRUE(counted_right(static_cast<T>(low)));
        if constexpr (digits > 16) {
            for (int shift = 16; shift < digits; shift += 16) {
                const T part = static_cast<T>(T{low} << shift);
                const T others = static_cast<T>(~(T{0xFFFF} << shift));
                ASSERT_TRUE(counted_right(part));
                ASSERT_TRUE(counted_right(static_cast<T>(others | part)));
            }
        }
    }
}

TEST(BitsCxx17, CountAsBitByBitAtEveryWidth)
{
    check_width<std::uint8_t>();
    check_width<std::uint16_t>();
    check_width<unsigned>();
    check_width<std::uint64_t>();
    check_width<unsigned long long>();
}

TEST(BitsCxx17, ZeroAndAllOnesCountEveryBit)
{
    EXPECT_EQ(common::countr_zero(std::uint64_t{0}), 64);
    EXPECT_EQ(common::countr_zero(0u), 32);
    EXPECT_EQ(common::countr_zero(std::uint8_t{0}), 8);
    EXPECT_EQ(common::countr_one(~std::uint64_t{0}), 64);
    EXPECT_EQ(common::countr_one(0xFFFFu), 16);
    EXPECT_EQ(common::countr_one(std::uint8_t{0xFF}), 8);
    EXPECT_EQ(common::popcount(~std::uint64_t{0}), 64);
}

TEST(BitsCxx17, NativeEndianIsTheOrderOfAStoredWordsBytes)
{
    const std::uint32_t word = 0x01020304;
    unsigned char bytes[sizeof word];
    std::memcpy(bytes, &word, sizeof word);
    EXPECT_NE(common::endian::little, common::endian::big);
    if (bytes[0] == 0x04)
        EXPECT_EQ(common::endian::native, common::endian::little);
    else
        EXPECT_EQ(common::endian::native, common::endian::big);
}

}  // namespace
