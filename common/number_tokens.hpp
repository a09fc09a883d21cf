// A token reader for validators of formats made of numbers: white-space
// separated tokens, each with its place, the white space before it, and
// whether it is a whole decimal integer and which. It reads a token that
// stands whole in the input block where it stands, classifies it at once,
// and keeps only the first bytes of a token or a gap: millions of numbers go
// through in milliseconds, and a token of any length in bounded memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "common/input.hpp"
#include "common/validation.hpp"

namespace common {

class NumberTokens {
public:
    // How much of a token, and of the white space before it, is kept.
    static constexpr std::size_t kept_text = 64;
    static constexpr std::size_t kept_gap = 8;

    // Values at or beyond this magnitude read as this magnitude.
    static constexpr std::int64_t largest_magnitude = 1'000'000'000'000'000'000;

    explicit NumberTokens(Input& in) : in_(in) {}

    // Moves to the next token; false at the end of the input, where place()
    // then stands and gap() holds the white space before the end.
    bool next()
    {
        const char* const begin = in_.data();
        const char* const end = begin + in_.available();
        const char* p = begin;
        for (; p < end && is_space(static_cast<unsigned char>(*p)); ++p)
            count_line_break(p, begin);
        gap_ = begin;
        gap_length_ = static_cast<std::size_t>(p - begin);
        consume(gap_length_);
        if (p == end && !continue_gap()) {
            place_ = here();
            text_ = {};
            number_ = false;
            return false;
        }
        place_ = here();
        read_token();
        return true;
    }

    // For a caller's own loop over a long run of simple tokens: the unread
    // bytes of the current block (perhaps none), and the consuming of those
    // it has read. The bytes consumed by consume_within_line() hold no line
    // break; those consumed by consume_lines() hold `breaks` of them, the
    // last just before `line_start`, an offset into them. After either the
    // current token is undefined until next().
    std::string_view unread() const { return {in_.data(), in_.available()}; }
    void consume_within_line(std::size_t n) { consume(n); }
    void consume_lines(std::size_t n, std::int64_t breaks, std::size_t line_start)
    {
        if (breaks > 0) {
            line_ += breaks;
            line_start_ = consumed_ + line_start;
        }
        consume(n);
    }

    // The token, cut at kept_text bytes.
    std::string_view text() const { return text_; }
    Place place() const { return place_; }

    // Whether the token is a whole decimal integer: an optional sign, then
    // digits and nothing else.
    bool is_number() const { return number_; }

    // Its value; magnitudes of largest_magnitude and more read as that.
    std::int64_t value() const { return negative_ ? -magnitude_ : magnitude_; }

    // Whether it is written as printf's "%d" writes its value: no plus sign,
    // no leading zero, no minus zero.
    bool is_canonical() const { return number_ && canonical_; }

    // The white space before the token (or the end): its first kept_gap
    // bytes, and its whole length.
    std::string_view gap() const { return {gap_, gap_length_ < kept_gap ? gap_length_ : kept_gap}; }
    std::size_t gap_length() const { return gap_length_; }

    // That white space as a message shows it: quoted, with "..." where it
    // was cut.
    std::string shown_gap() const
    {
        return '"' + quoted(gap()) + (gap_length_ > kept_gap ? "...\"" : "\"");
    }

    // Whether that white space is exactly `expected` (at most kept_gap
    // bytes). Compared here byte by byte: a call to memcmp for one or two
    // bytes cost a sixth of the time of a whole validation.
    bool gap_is(std::string_view expected) const
    {
        if (gap_length_ != expected.size())
            return false;
        for (std::size_t i = 0; i < expected.size(); ++i)
            if (gap_[i] != expected[i])
                return false;
        return true;
    }

    // The lines the input holds, a last one without a newline included;
    // meaningful once next() has returned false.
    std::int64_t lines() const { return line_ - 1 + (consumed_ > line_start_ ? 1 : 0); }

private:
    Place here() const { return {line_, static_cast<std::int64_t>(consumed_ - line_start_) + 1}; }

    // Counts the line break at p, a byte of the block that starts at begin
    // (not yet consumed).
    void count_line_break(const char* p, const char* begin)
    {
        if (*p == '\n') {
            ++line_;
            line_start_ = consumed_ + static_cast<std::uint64_t>(p - begin) + 1;
        }
    }

    // The gap's first bytes are kept in gap_ where they stand in the block;
    // before the block is refilled they are copied.
    void keep_gap()
    {
        if (gap_ == gap_copy_)
            return;
        std::memcpy(gap_copy_, gap_, gap_length_ < kept_gap ? gap_length_ : kept_gap);
        gap_ = gap_copy_;
    }

    // Goes on with white space that ran to the end of the block, over as
    // many blocks as it takes; false when the input ends first.
    bool continue_gap()
    {
        keep_gap();
        for (;;) {
            if (!in_.fill())
                return false;
            const char* const begin = in_.data();
            const char* const end = begin + in_.available();
            const char* p = begin;
            for (; p < end && is_space(static_cast<unsigned char>(*p)); ++p)
                count_line_break(p, begin);
            const auto length = static_cast<std::size_t>(p - begin);
            for (std::size_t i = 0; i < length && gap_length_ + i < kept_gap; ++i)
                gap_copy_[gap_length_ + i] = begin[i];
            gap_length_ += length;
            consume(length);
            if (p < end)
                return true;
        }
    }

    // Reads the token that starts the block, classifying it on the way; one
    // that runs to the end of the block is read in parts.
    void read_token()
    {
        const char* const begin = in_.data();
        const char* const end = begin + in_.available();
        const char* p = begin;
        const bool negative = *p == '-';
        const bool plus = *p == '+';
        p += negative || plus;
        const char* const digits = p;
        std::int64_t magnitude = 0;
        for (unsigned digit; p < end && (digit = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9; ++p)
            magnitude = grow(magnitude, digit);
        const auto digit_count = p - digits;
        bool number = digit_count > 0;
        for (; p < end && !is_space(static_cast<unsigned char>(*p)); ++p)
            number = false;
        if (p == end) {
            keep_gap();
            read_split_token();
            return;
        }
        const auto length = static_cast<std::size_t>(p - begin);
        text_ = std::string_view(begin, length < kept_text ? length : kept_text);
        set_number(number, negative, magnitude,
                   !plus && !(digit_count > 1 && *digits == '0') && !(negative && magnitude == 0));
        consume(length);
    }

    // A token that runs to the end of the block: read in parts, its first
    // bytes kept, classified as a whole.
    void read_split_token()
    {
        std::size_t kept = 0;
        bool first = true;
        bool digits_only = true;
        bool negative = false;
        bool plus = false;
        std::size_t digits = 0;
        std::int64_t magnitude = 0;
        bool leading_zero = false;
        for (;;) {
            const char* const begin = in_.data();
            const char* const end = begin + in_.available();
            const char* p = begin;
            while (p < end && !is_space(static_cast<unsigned char>(*p)))
                ++p;
            std::string_view part(begin, static_cast<std::size_t>(p - begin));
            for (std::size_t i = 0; i < part.size() && kept < kept_text; ++i)
                split_text_[kept++] = part[i];
            if (first && !part.empty() && (part[0] == '-' || part[0] == '+')) {
                negative = part[0] == '-';
                plus = part[0] == '+';
                part.remove_prefix(1);
            }
            first = false;
            for (char c : digits_only ? part : std::string_view()) {
                const unsigned digit = static_cast<unsigned char>(c) - unsigned{'0'};
                if (digit > 9) {
                    digits_only = false;
                    break;
                }
                if (digits == 0)
                    leading_zero = digit == 0;
                ++digits;
                magnitude = grow(magnitude, digit);
            }
            consume(static_cast<std::size_t>(p - begin));
            if (p < end || !in_.fill())
                break;
        }
        text_ = std::string_view(split_text_, kept);
        set_number(digits_only && digits > 0, negative, magnitude,
                   !plus && !(leading_zero && digits > 1) && !(negative && magnitude == 0));
    }

    void set_number(bool number, bool negative, std::int64_t magnitude, bool canonical)
    {
        number_ = number;
        negative_ = negative;
        magnitude_ = magnitude;
        canonical_ = canonical;
    }

    // The magnitude with one more digit, held at largest_magnitude.
    static std::int64_t grow(std::int64_t magnitude, unsigned digit)
    {
        return magnitude < largest_magnitude / 10 ? magnitude * 10 + digit : largest_magnitude;
    }

    void consume(std::size_t n)
    {
        in_.advance(n);
        consumed_ += n;
    }

    Input& in_;
    std::string_view text_;
    char split_text_[kept_text] = {};
    const char* gap_ = gap_copy_;  // in the block, or gap_copy_
    char gap_copy_[kept_gap] = {};
    std::size_t gap_length_ = 0;
    Place place_;
    bool number_ = false;
    bool negative_ = false;
    bool canonical_ = false;
    std::int64_t magnitude_ = 0;
    std::int64_t line_ = 1;
    std::uint64_t consumed_ = 0;    // bytes consumed
    std::uint64_t line_start_ = 0;  // offset of the current line's first byte
};

}  // namespace common
