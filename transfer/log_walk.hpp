// The walk through a transfer log, record by record, as a stream of bytes.
// The log is read as a stream of blocks and no line is ever held: the name
// is written while its line is scanned, and the timing lines give up only
// the number in their second field, so lines of any length cost no memory.
// It reads any record, across any number of block ends; block_walk.hpp
// walks most records faster within one block and leaves the others to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

#include "common/input.hpp"
#include "common/output.hpp"
#include "transfer/summary_line.hpp"

namespace transfer {

using common::Input;
using common::Output;

// How a begin line starts: the field "BEGIN:" in the first column and a blank.
constexpr std::string_view begin_mark = "BEGIN: ";

// The first c in [p, end), or nullptr.
inline const char* find_byte(const char* p, const char* end, char c)
{
    return static_cast<const char*>(std::memchr(p, c, static_cast<std::size_t>(end - p)));
}

// Consumes the reader's bytes up to `to`, which lies in its current block.
inline void advance_to(Input& in, const char* to)
{
    in.advance(static_cast<std::size_t>(to - in.data()));
}

// Consumes the rest of the current line and its newline, if it has one.
inline void skip_line(Input& in)
{
    while (in.fill()) {
        const char* const newline = find_byte(in.data(), in.data() + in.available(), '\n');
        if (newline != nullptr) {
            advance_to(in, newline + 1);
            return;
        }
        in.advance(in.available());
    }
}

// Consumes the lines before the name line and stops at its first backquote;
// false when the input ends first. The lines before it could only write
// characters after a backquote, so the search skips over their line ends.
inline bool find_name_line(Input& in)
{
    while (in.fill()) {
        const char* const quote = find_byte(in.data(), in.data() + in.available(), '`');
        if (quote != nullptr) {
            advance_to(in, quote);
            return true;
        }
        in.advance(in.available());
    }
    return false;
}

// Scans the rest of the name line, newline included, writing the quoted
// spans: a backquote opens a span and is dropped inside one, an apostrophe
// closes it and does nothing outside one, and an open span runs to the line
// end.
inline void write_name(Input& in, Output& out)
{
    bool in_name = false;
    while (in.fill()) {
        const char* p = in.data();
        const char* const block_end = p + in.available();
        const char* const newline = find_byte(p, block_end, '\n');
        const char* const stop = newline != nullptr ? newline : block_end;
        while (p < stop) {
            if (!in_name) {
                p = find_byte(p, stop, '`');
                if (p == nullptr)
                    break;
                in_name = true;
                ++p;
                continue;
            }
            const char* const apostrophe = find_byte(p, stop, '\'');
            const char* const span_end = apostrophe != nullptr ? apostrophe : stop;
            for (const char* quote; (quote = find_byte(p, span_end, '`')) != nullptr; p = quote + 1)
                out.write(p, static_cast<std::size_t>(quote - p));
            out.write(p, static_cast<std::size_t>(span_end - p));
            p = span_end;
            if (apostrophe != nullptr) {
                in_name = false;
                ++p;
            }
        }
        if (newline != nullptr) {
            advance_to(in, newline + 1);
            return;
        }
        in.advance(in.available());
    }
}

// True, with the mark consumed, when the current line starts with the begin
// mark. Otherwise the reader stops within the line's first bytes, never
// past a byte that differed from the mark.
inline bool consume_begin_mark(Input& in)
{
    if (in.available() >= begin_mark.size()) {  // the usual case: the whole mark in one block
        if (std::memcmp(in.data(), begin_mark.data(), begin_mark.size()) != 0)
            return false;
        in.advance(begin_mark.size());
        return true;
    }
    for (const char expected : begin_mark) {
        if (!in.fill() || *in.data() != expected)
            return false;
        in.advance(1);
    }
    return true;
}

// Consumes lines up to the begin line and its mark; false when the input
// ends first. Only a line that starts with the mark's first letter can be
// the begin line, so the search goes from one such letter to the next
// rather than from line to line.
inline bool find_begin_line(Input& in)
{
    bool line_start = true;  // the reader stands at the start of a line
    while (in.fill()) {
        if (line_start) {
            if (consume_begin_mark(in))
                return true;
            line_start = false;  // a letter where it stopped was looked at
            continue;
        }
        const char* const p = in.data();
        const char* const end = p + in.available();
        const char* const letter = find_byte(p, end, begin_mark[0]);
        if (letter == nullptr) {
            line_start = end[-1] == '\n';
            in.advance(in.available());
        } else if (letter > p && letter[-1] == '\n') {
            advance_to(in, letter);
            line_start = true;
        } else {
            advance_to(in, letter + 1);
        }
    }
    return false;
}

// Consumes bytes while keep(byte) holds; stops at the first other byte or
// the end of input.
template <class Keep>
void skip_while(Input& in, Keep keep)
{
    while (in.fill()) {
        const char* p = in.data();
        const char* const end = p + in.available();
        while (p < end && keep(*p))
            ++p;
        advance_to(in, p);
        if (p < end)
            return;
    }
}

inline void skip_blanks(Input& in)
{
    skip_while(in, [](char c) { return c == ' '; });
}

// Consumes a line's leading blanks, its first field and the blanks behind
// it: the reader then stands at the second field, or at the line end.
inline void skip_to_second_field(Input& in)
{
    skip_blanks(in);
    skip_while(in, [](char c) { return c != ' ' && c != '\n'; });
    skip_blanks(in);
}

// Consumes the decimal digits at the reader's position, handing each one's
// value to add.
template <class Add>
void read_digits(Input& in, Add add)
{
    skip_while(in, [&add](char c) {
        if (c < '0' || c > '9')
            return false;
        add(static_cast<unsigned>(c - '0'));
        return true;
    });
}

// A time field: the decimal number it begins with, of which a longer number
// keeps its low 32 bits; 0 when the field does not begin with a digit.
inline std::uint32_t read_time(Input& in)
{
    std::uint32_t value = 0;
    read_digits(in, [&value](unsigned digit) { value = value * 10u + digit; });
    return value;
}

// The magnitude of a size field's digits, taken one at a time and held at
// the largest a signed 64-bit size of that sign can have.
class SizeMagnitude {
public:
    explicit SizeMagnitude(bool negative) : limit_(negative ? largest + 1 : largest) {}

    void add(unsigned digit)
    {
        if (magnitude_ < safe || magnitude_ <= (limit_ - digit) / 10)
            magnitude_ = magnitude_ * 10 + digit;
        else
            magnitude_ = limit_;
    }

    std::uint64_t value() const { return magnitude_; }

private:
    static constexpr auto largest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    // Below `safe` another digit can never pass the limit, which spares the
    // exact test on all but the last digits of the longest numbers.
    static constexpr std::uint64_t safe = largest / 10;

    std::uint64_t limit_;
    std::uint64_t magnitude_ = 0;
};

inline std::int64_t signed_size(bool negative, std::uint64_t magnitude)
{
    return negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
}

// A size field: the signed decimal number it begins with, clamped to the
// signed 64-bit range; 0 when no digit follows the optional sign.
inline std::int64_t read_size(Input& in)
{
    bool negative = false;
    if (in.fill() && (*in.data() == '-' || *in.data() == '+')) {
        negative = *in.data() == '-';
        in.advance(1);
    }
    SizeMagnitude magnitude(negative);
    read_digits(in, [&magnitude](unsigned digit) { magnitude.add(digit); });
    return signed_size(negative, magnitude.value());
}

// Walks one record and writes its summary line; false when the input ends
// first. A record that the input cuts short leaves what it had written.
inline bool summarise_record(Input& in, Output& out)
{
    skip_line(in);  // the record's first line, whatever it holds
    if (!find_name_line(in))
        return false;
    write_name(in, out);
    out.put(':');
    if (!find_begin_line(in))
        return false;
    skip_blanks(in);
    const std::uint32_t start = read_time(in);
    skip_line(in);
    if (!in.fill())
        return false;  // no end line
    skip_to_second_field(in);
    const std::uint32_t end = read_time(in);
    skip_line(in);
    if (!in.fill())
        return false;  // no size line
    skip_to_second_field(in);
    const std::int64_t size = read_size(in);
    skip_line(in);
    write_line_end(out, split_elapsed(start, end), scale_size(size));
    return true;
}

}  // namespace transfer
