// The walk through a transfer log as transfer-summary runs it: the records
// that stand whole in the reader's block are walked there, with plain
// pointers; the others (one the block cuts short, one longer than a block)
// by the byte-stream walk of log_walk.hpp, across the block's end.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/digit_words.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "transfer/log_walk.hpp"
#include "transfer/summary_line.hpp"

namespace transfer {

// The walk within one block. Almost every record stands whole in the block
// the reader holds, and there it is walked in two steps: first its lines
// are found, from the block's newlines marked in bit masks 64 bytes at a
// time; then its numbers are read and its summary line written. Found one
// after the other, byte by byte or line by line, each place waited on the
// search for the one before; from the masks the next line's place comes in
// a few register operations, and a record's numbers are read while the
// next record's lines are looked for. A record whose lines do not all end
// before the limit (one the block cuts short, or one longer than a block)
// is left as it was, before anything of it is written, for the walk above
// to read across the block's end. The limit stands `slack` bytes before
// the block's end, so that the fixed-size loads and copies from any place
// before it stay within the block.
namespace in_block {

constexpr std::ptrdiff_t slack = 64;

// Where c stands among the sixteen bytes from p: bit i for p[i]. With SSE2
// (every x86-64) all sixteen are compared at once.
inline unsigned matches(const char* p, char c)
{
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
#else
    unsigned bits = 0;
    for (int i = 0; i < 16; ++i)
        bits |= unsigned{p[i] == c} << i;
    return bits;
#endif
}

// The first byte from p on whose bit `bits(q)` sets among the sixteen from
// q; `limit` when there is none before it.
template <class Bits>
const char* find_first(const char* p, const char* limit, Bits bits)
{
    for (; p < limit; p += 16) {
        if (const unsigned found = bits(p); found != 0) {
            const char* const at = p + std::countr_zero(found);
            return at < limit ? at : limit;
        }
    }
    return limit;
}

// The newlines of a block, found forward from its start up to a limit, a
// stretch of 64 bytes at a time: the newlines not yet passed in the
// current stretch are the set bits of a mask, so that the next one is its
// lowest bit. What is not found before the limit is found at the limit: a
// line that ends past the limit.
class Newlines {
public:
    Newlines(const char* from, const char* limit) : stretch_(from), limit_(limit) { mark(); }

    const char* limit() const { return limit_; }

    // The next newline not yet passed, now passed.
    const char* next()
    {
        while (newlines_ == 0)
            if (!next_stretch())
                return limit_;
        const char* const newline = stretch_ + std::countr_zero(newlines_);
        newlines_ &= newlines_ - 1;
        return newline;
    }

    // Just past the next newline, which ends the line that starts at the
    // last one passed.
    const char* next_line() { return next() + 1; }

    // The first newline from p on (not before the last one passed), now
    // passed.
    const char* from(const char* p)
    {
        while (p - stretch_ >= 64)
            if (!next_stretch())
                return limit_;
        newlines_ &= ~std::uint64_t{0} << (p - stretch_);
        return next();
    }

private:
    // Moves to the next stretch; false when it would start at the limit or
    // past it.
    bool next_stretch()
    {
        if (limit_ - stretch_ <= 64)
            return false;
        stretch_ += 64;
        mark();
        return true;
    }

    // Marks the stretch's newlines, none from the limit on.
    void mark()
    {
        newlines_ = 0;
        for (int part = 0; part < 4; ++part)
            newlines_ |= std::uint64_t{matches(stretch_ + 16 * part, '\n')} << (16 * part);
        if (limit_ - stretch_ < 64)
            newlines_ &= (std::uint64_t{1} << (limit_ - stretch_)) - 1;
    }

    const char* stretch_;  // the first byte of the stretch newlines_ covers
    const char* limit_;
    std::uint64_t newlines_;
};

// Where the lines of one record stand.
struct Lines {
    const char* name;       // the name line from its first backquote
    const char* name_end;   // the name line's newline
    const char* begin;      // the begin line, behind its mark
    const char* end_line;   // the end line
    const char* size_line;  // the size line
    const char* next;       // just past the size line
};

// Finds the lines of the record that starts just past the last newline
// passed, as the walk above reads them; false when one of them does not
// end before the limit.
inline bool find_lines(Newlines& newlines, Lines& lines)
{
    const char* const limit = newlines.limit();
    const char* p = newlines.next_line();  // past the record's first line, whatever it holds
    lines.name = find_first(p, limit, [](const char* q) { return matches(q, '`'); });
    lines.name_end = newlines.from(lines.name);
    p = lines.name_end + 1;
    while (std::memcmp(p, begin_mark.data(), begin_mark.size()) != 0) {
        if (p >= limit)
            return false;
        p = newlines.next_line();
    }
    lines.begin = p + begin_mark.size();
    lines.end_line = newlines.next_line();
    lines.size_line = newlines.next_line();
    lines.next = newlines.next_line();
    return lines.next <= limit;
}

// The reads below stay within one line whose newline stands before the
// limit: a blank, a digit or a quote is never a newline, so each stops at
// it at the latest. Their fixed-size loads and compares may look past the
// newline, but not past the slack.

inline const char* skip_blanks(const char* p)
{
    while (*p == ' ')
        ++p;
    return p;
}

// Past a line's leading blanks and its first field: at the blanks before
// the second field, or at the newline. The first field the log's writer
// puts there (`usual`, with its blank) is told by one compare.
inline const char* past_first_field(const char* p, const char* limit, std::string_view usual)
{
    if (std::memcmp(p, usual.data(), usual.size()) == 0)
        return p + usual.size() - 1;
    return find_first(skip_blanks(p), limit, [](const char* q) { return matches(q, ' ') | matches(q, '\n'); });
}

// A time field: the number its digits make, modulo 2^32. A time has ten
// digits as a rule: the first eight are converted at once, after counting
// them in their word, and the rest one by one.
inline std::uint32_t time_at(const char* p)
{
    p = skip_blanks(p);
    const std::uint64_t word = common::load_word(p);
    const int in_first = common::leading_digits(word);
    auto value = static_cast<std::uint32_t>(common::digits_value(word, in_first));
    for (p += in_first; common::is_digit(static_cast<unsigned char>(*p)); ++p)
        value = value * 10u + static_cast<unsigned>(*p - '0');
    return value;
}

// How many decimal digits stand at p, up to 16. With SSE2, found without a
// branch on their number: sizes spread over one to thirteen digits, and a
// test of eight digits at a time was mispredicted on every other line.
inline int count_digits(const char* p)
{
#if defined(__SSE2__)
    const __m128i values = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), _mm_set1_epi8('0'));
    const __m128i digits = _mm_cmpeq_epi8(_mm_min_epu8(values, _mm_set1_epi8(9)), values);
    return std::countr_zero(~static_cast<unsigned>(_mm_movemask_epi8(digits)));
#else
    int count = 0;
    while (count < 16 && common::is_digit(static_cast<unsigned char>(p[count])))
        ++count;
    return count;
#endif
}

// The value of the `count` (below 16) decimal digits at p, eight at a
// time (common/digit_words.hpp).
inline std::uint64_t digits_value(const char* p, int count)
{
    const int in_first = count < 8 ? count : 8;
    const int in_second = count - in_first;
    return common::digits_value(common::load_word(p), in_first) * common::powers_of_ten[in_second] +
           common::digits_value(common::load_word(p + 8), in_second);
}

// A size field: a sign, then digits, clamped to the signed 64-bit range.
inline std::int64_t size_at(const char* p)
{
    p = skip_blanks(p);
    const bool negative = *p == '-';
    p += *p == '-' || *p == '+';
    if (const int count = count_digits(p); count < 16) [[likely]]
        return signed_size(negative, digits_value(p, count));
    SizeMagnitude magnitude(negative);
    for (; common::is_digit(static_cast<unsigned char>(*p)); ++p)
        magnitude.add(static_cast<unsigned>(*p - '0'));
    return signed_size(negative, magnitude.value());
}

// Writes the quoted spans of the name line, as write_name does. Most name
// lines hold one span, closed by an apostrophe with no backquote after it,
// or running to the line end: that span goes out as one fixed-size block.
inline void write_name(const Lines& lines, const char* limit, Output& out)
{
    const char* p = lines.name + 1;
    const char* const quote = find_first(p, limit, [](const char* q) {
        return matches(q, '`') | matches(q, '\'') | matches(q, '\n');
    });
    const char* const after = *quote != '\'' ? quote : find_first(quote + 1, limit, [](const char* q) {
        return matches(q, '`') | matches(q, '\n');
    });
    if (*after == '\n') {
        const auto length = static_cast<std::size_t>(quote - p);
        if (length <= slack)
            out.write_from_block<slack>(p, length);
        else
            out.write(p, length);
        return;
    }
    bool in_name = true;
    while (p < lines.name_end) {
        const char* const stop = find_first(p, limit, [in_name](const char* q) {
            return (in_name ? matches(q, '\'') : 0) | matches(q, '`') | matches(q, '\n');
        });
        if (in_name)
            out.write(p, static_cast<std::size_t>(stop - p));
        in_name = *stop == '`';  // a backquote inside a span is dropped
        p = stop + 1;
    }
}

}  // namespace in_block

// Walks the records that stand whole in [from, to), a block of the reader,
// and writes their summary lines; returns where the first other one starts.
inline const char* summarise_block(const char* from, const char* to, Output& out)
{
    if (to - from <= in_block::slack)
        return from;
    const char* const limit = to - in_block::slack;
    in_block::Newlines newlines(from, limit);
    in_block::Lines lines;
    while (in_block::find_lines(newlines, lines)) {
        in_block::write_name(lines, limit, out);
        out.put(':');
        const std::uint32_t start = in_block::time_at(lines.begin);
        const std::uint32_t end = in_block::time_at(in_block::past_first_field(lines.end_line, limit, "END: "));
        const std::int64_t size = in_block::size_at(in_block::past_first_field(lines.size_line, limit, "SIZE: "));
        write_line_end(out, split_elapsed(start, end), scale_size(size));
        from = lines.next;
    }
    return from;
}

// Reads the log to its end and writes one summary line per record: those
// that stand whole in a block walked there, the others across the block's
// end.
inline void summarise(Input& in, Output& out)
{
    while (in.fill()) {
        const char* const walked = summarise_block(in.data(), in.data() + in.available(), out);
        if (walked != in.data())
            advance_to(in, walked);
        else if (!summarise_record(in, out))
            return;
    }
}

}  // namespace transfer
