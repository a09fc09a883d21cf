// The end of a summary line: the elapsed time as hours, minutes and seconds,
// and the size in B, KB, MB or GB.
#pragma once

#include <array>
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/output.hpp"

namespace transfer {

struct Elapsed {
    std::int32_t hours = 0;
    std::int32_t minutes = 0;
    std::int32_t seconds = 0;
};

// End minus start modulo 2^32, read as a signed 32-bit value, then split
// with truncating division: every non-zero field of a negative time is
// negative.
inline Elapsed split_elapsed(std::uint32_t start, std::uint32_t end)
{
    const auto elapsed = static_cast<std::int32_t>(end - start);
    if (elapsed >= 0) {
        // The same quotients, without the corrections a signed division
        // by a constant takes for negative numbers.
        const auto e = static_cast<std::uint32_t>(elapsed);
        const std::uint32_t rest = e % 3600;
        return {static_cast<std::int32_t>(e / 3600), static_cast<std::int32_t>(rest / 60),
                static_cast<std::int32_t>(rest % 60)};
    }
    const std::int32_t rest = elapsed % 3600;
    return {elapsed / 3600, rest / 60, rest % 60};
}

// A size as it is printed: the number and its unit letter ('\0' for bytes).
struct ScaledSize {
    std::int64_t number = 0;
    char unit = '\0';
};

// The unit letters by unit: bytes (none), then K, M and G, each dividing
// by 1024 more than the one before.
constexpr char unit_letters[] = {'\0', 'K', 'M', 'G'};

// Up to 1023 (negative sizes included) in bytes. Otherwise the first unit
// whose truncated quotient stays at most 1023 and, rounded half up, below
// 1024; the largest unit takes whatever is left, rounded only when its
// quotient was at most 1023.
//
// Rounded half up, a quotient by 2^s stays below 1024 exactly when the size
// is below 2^(s+10) - 2^(s-1), so three comparisons count the units to
// pass over: sizes spread over all units, and tried one after the other
// the processor mispredicted the unit on most lines. Sizes above 1023 are
// positive, so a shift is the truncating quotient, and bit s - 1 of the
// size tells whether the remainder reaches half the divisor.
inline ScaledSize scale_size(std::int64_t size)
{
    const int unit = (size > 1023) + (size >= (std::int64_t{1} << 20) - (1 << 9)) +
                     (size >= (std::int64_t{1} << 30) - (1 << 19));
    const int shift = 10 * unit;
    const std::int64_t quotient = size >> shift;
    // Bit shift - 1 of the size; none for bytes.
    const auto half = static_cast<std::int64_t>(((static_cast<std::uint64_t>(size) << 1) >> shift) & 1);
    return {quotient + (quotient <= 1023 ? half : 0), unit_letters[unit]};
}

// "00" to "99", two characters each.
constexpr auto digit_pairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// A number as "%d" writes it. One of 0 to 9999 (nearly every hours and
// size field) is formatted without a branch on its length: its four
// digits, leading zeros included, are put in one word, the first in the
// low byte; the word is shifted right past the leading zeros, found as its
// first byte other than '0' (the last is always kept), and stored whole.
// Sizes spread evenly over one to four digits, and a formatting that
// branched on their length was mispredicted on most lines.
template <class Int>
char* write_number(char* to, Int value)
{
    if (std::endian::native != std::endian::little || value < 0 || value > 9999)
        return std::to_chars(to, to + 20, value).ptr;
    const auto n = static_cast<unsigned>(value);
    std::uint16_t high, low;
    std::memcpy(&high, &digit_pairs[2 * (n / 100)], 2);
    std::memcpy(&low, &digit_pairs[2 * (n % 100)], 2);
    const std::uint32_t digits = std::uint32_t{high} | std::uint32_t{low} << 16;
    const int zeros = std::countr_zero((digits ^ 0x30303030u) | 0x01000000u) / 8;
    const std::uint32_t shown = digits >> (8 * zeros);
    std::memcpy(to, &shown, 4);
    return to + 4 - zeros;
}

// A minutes or seconds field (-59 to 59) as "%02d" writes it: two digits
// for 0..59; a negative field fills the width with its sign already.
inline char* two_digits(char* to, std::int32_t field)
{
    if (field < 0)
        return std::to_chars(to, to + 3, field).ptr;
    std::memcpy(to, &digit_pairs[2 * field], 2);
    return to + 2;
}

// The longest end of a summary line: " -596523:-59:-59 -9223372036854775808 B\n".
constexpr std::size_t longest_line_end = 40;

// " H:MM:SS N UB\n": everything the summary line holds after the name's
// ":", formatted in place in the writer's buffer.
inline void write_line_end(common::Output& out, const Elapsed& elapsed, const ScaledSize& size)
{
    // write_number stores four bytes for a number of fewer digits.
    out.write_in_place<longest_line_end + 3>([&](char* p) {
        *p++ = ' ';
        p = write_number(p, elapsed.hours);
        *p++ = ':';
        p = two_digits(p, elapsed.minutes);
        *p++ = ':';
        p = two_digits(p, elapsed.seconds);
        *p++ = ' ';
        p = write_number(p, size.number);
        *p++ = ' ';
        *p = size.unit;
        p += size.unit != '\0';
        *p++ = 'B';
        *p++ = '\n';
        return p;
    });
}

}  // namespace transfer
