// Decimal digits eight at a time: the eight bytes from a place in the text
// as one 64-bit word, the first byte lowest, tested and converted with a
// few word operations instead of a loop over the bytes. The programs that
// read millions of numbers out of a block use these where a number stands
// whole in the block with eight readable bytes from each word's start.
#pragma once

#include <cstdint>
#include <cstring>

#include "common/bits.hpp"

namespace common {

// The eight bytes from p, p[0] in the low byte.
inline std::uint64_t load_word(const char* p)
{
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if constexpr (endian::native == endian::big)
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
    return countr_zero((d | (d + 0x7676767676767676u)) & 0x8080808080808080u) / 8;
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

// A guess at how many digits (1 to 7) a number has, for a loop over many
// numbers of mostly one width (ordered values mostly have as many digits
// as the one before): one word loaded from the number's first digit shows
// whether it has exactly that many, and its digits are then converted
// together. Unlike counting the digits first, the guess lets the processor
// run ahead to the next number before this one's bytes are in.
class DigitWidth {
public:
    DigitWidth() = default;  // fits nothing
    explicit DigitWidth(int n) : digits_(n)
    {
        if (n < 1 || n > 7)
            return;
        shift_ = 64 - 8 * n;
        top_bits_ = std::uint64_t{0x80} << (8 * n);
        mask_ = (top_bits_ << 1) - 1;
    }

    int digits() const { return digits_; }

    // Whether the word holds that many digits, then a byte that is none.
    bool fits(std::uint64_t word) const { return (non_digits(word) & mask_) == top_bits_; }

    // Their value, when it fits.
    std::int32_t value(std::uint64_t word) const
    {
        std::uint64_t v = (word - 0x3030303030303030u) << shift_;
        v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFu;
        v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFu;
        v = (v * 10000 + (v >> 32)) & 0xFFFFFFFFu;
        return static_cast<std::int32_t>(v);
    }

private:
    // The top bit of each byte that is no digit, exact up to the first (see
    // leading_digits).
    static std::uint64_t non_digits(std::uint64_t word)
    {
        const std::uint64_t d = word - 0x3030303030303030u;
        return (d | (d + 0x7676767676767676u)) & 0x8080808080808080u;
    }

    int digits_ = 0;
    int shift_ = 0;
    std::uint64_t mask_ = 0;
    std::uint64_t top_bits_ = 1;
};

// 10 to the power 0 to 8.
inline constexpr std::uint64_t powers_of_ten[] = {1, 10, 100, 1000, 10'000, 100'000, 1'000'000, 10'000'000,
                                                  100'000'000};

}  // namespace common
