// The end of a summary line: the elapsed time as hours, minutes and seconds,
// and the size in B, KB, MB or GB.
#pragma once

#include <cstdint>
#include <iterator>

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
    const std::int32_t rest = elapsed % 3600;
    return {elapsed / 3600, rest / 60, rest % 60};
}

// A size as it is printed: the number and its unit letter ('\0' for bytes).
struct ScaledSize {
    std::int64_t number = 0;
    char unit = '\0';
};

// The units a size above 1023 bytes is tried in, smallest first, each with
// its divisor as a power of two.
struct Unit {
    char letter;
    int shift;
};
constexpr Unit units[] = {{'K', 10}, {'M', 20}, {'G', 30}};

// Up to 1023 (negative sizes included) in bytes. Otherwise the first unit
// whose truncated quotient stays at most 1023 and, rounded half up, below
// 1024; the largest unit takes whatever is left, rounded only when its
// quotient was at most 1023. Sizes here are positive, so shifting and
// masking are the truncating quotient and remainder.
inline ScaledSize scale_size(std::int64_t size)
{
    if (size <= 1023)
        return {size, '\0'};
    const Unit& largest = units[std::size(units) - 1];
    for (const Unit& unit : units) {
        const std::int64_t divisor = std::int64_t{1} << unit.shift;
        std::int64_t number = size >> unit.shift;
        const std::int64_t remainder = size & (divisor - 1);
        if (number > 1023) {
            if (&unit != &largest)
                continue;
        } else if (remainder >= divisor / 2 && ++number == 1024 && &unit != &largest) {
            continue;
        }
        return {number, unit.letter};
    }
    return {size, '\0'};  // not reached: the largest unit always answers
}

// A minutes or seconds field as "%02d" writes it: one leading zero for 0..9;
// a negative field already fills the width with its sign.
inline void write_two_digits(common::Output& out, std::int32_t field)
{
    if (field >= 0 && field <= 9)
        out.put('0');
    out.number(field);
}

// " H:MM:SS N UB\n": everything the summary line holds after the name's ":".
inline void write_line_end(common::Output& out, const Elapsed& elapsed, const ScaledSize& size)
{
    out.put(' ');
    out.number(elapsed.hours);
    out.put(':');
    write_two_digits(out, elapsed.minutes);
    out.put(':');
    write_two_digits(out, elapsed.seconds);
    out.put(' ');
    out.number(size.number);
    out.put(' ');
    if (size.unit != '\0')
        out.put(size.unit);
    out.write("B\n", 2);
}

}  // namespace transfer
