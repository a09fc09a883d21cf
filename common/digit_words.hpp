// Decimal digits eight at a time: the eight bytes from a place in the text
// as one 64-bit word, the first byte lowest, tested and converted with a
// few word operations instead of a loop over the bytes. The programs that
// read millions of numbers out of a block use these where a number stands
// whole in the block with eight readable bytes from each word's start.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace common {

// The eight bytes from p, p[0] in the low byte.
inline std::uint64_t load_word(const char* p)
{
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap64(word);
    return word;
}

// How many of the word's bytes stand before the first that is no decimal
// digit (8 when all are digits). Byte by byte, '0' to '9' become 0 to 9;
// below '0' the subtraction wraps the byte into its top bit, above '9'
// adding 0x76 carries into it. Bytes behind the first non-digit may take a
// borrow or a carry from it, and are not used.
inline int leading_digits(std::uint64_t word)
{
    const std::uint64_t d = word - 0x3030303030303030u;
    return std::countr_zero((d | (d + 0x7676767676767676u)) & 0x8080808080808080u) / 8;
}

// The value of the word's first n digits (n from 0 to 8): moved to the top
// bytes behind zeros (in two shifts, so that n = 0 shifts all out), then
// neighbouring digits, pairs and fours joined.
inline std::uint64_t digits_value(std::uint64_t word, int n)
{
    const int half_shift = 32 - 4 * n;
    std::uint64_t v = ((word - 0x3030303030303030u) << half_shift) << half_shift;
    v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFu;
    v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFu;
    return (v * 10000 + (v >> 32)) & 0xFFFFFFFFu;
}

// 10 to the power 0 to 8.
inline constexpr std::uint64_t powers_of_ten[] = {1, 10, 100, 1000, 10'000, 100'000, 1'000'000, 10'000'000,
                                                  100'000'000};

}  // namespace common
