// The tokens of a PRO3 case file for pro3-validate: each with the place it
// starts at and the white space before it. Only the first bytes of a token
// are kept and the rest is measured. The
// longest token the format allows has 23 characters, so a longer one is
// rejected anyway, and an input without any white space streams through in
// the reader's buffer instead of being held whole.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/input.hpp"
#include "common/validation.hpp"

namespace pro3 {

class CaseTokens {
public:
    // Bytes kept of a token and of the white space before it: more than
    // the longest token allowed and than a message quotes.
    static constexpr std::size_t kept = 48;

    explicit CaseTokens(common::Input& in) : in_(in) {}

    // Moves to the next token; false at the end of the input, where place()
    // then stands and the gap is the white space before the end.
    bool next()
    {
        token_.clear();
        gap_.clear();
        length_ = 0;
        gap_length_ = 0;
        gap_place_ = here();
        if (!skip_space()) {
            place_ = here();
            return false;
        }
        place_ = here();
        for (;;) {
            const char* const begin = in_.data();
            const char* const end = begin + in_.available();
            const char* p = begin;
            while (p < end && !common::is_space(static_cast<unsigned char>(*p)))
                ++p;
            const auto n = static_cast<std::size_t>(p - begin);
            keep(token_, begin, n);
            length_ += n;
            consume(begin, n);
            if (p < end || !in_.fill())
                return true;
        }
    }

    // The token's first bytes (all of it when it has at most `kept`), its
    // whole length and where it starts.
    std::string_view text() const { return token_; }
    std::uint64_t length() const { return length_; }
    common::Place place() const { return place_; }

    // The white space before the token (or the end): its first bytes, its
    // whole length and where it starts.
    std::string_view gap() const { return gap_; }
    std::uint64_t gap_length() const { return gap_length_; }
    common::Place gap_place() const { return gap_place_; }

    // The lines read so far: the newlines, and a last line without one.
    std::uint64_t lines() const { return newlines_ + (last_ != '\n' && last_ != none ? 1 : 0); }

private:
    static constexpr int none = -1;

    common::Place here() const
    {
        return {static_cast<std::int64_t>(newlines_) + 1, static_cast<std::int64_t>(offset_ - line_start_) + 1};
    }

    static void keep(std::string& text, const char* from, std::size_t n)
    {
        if (text.size() < kept)
            text.append(from, std::min(n, kept - text.size()));
    }

    // Skips white space, counting its lines; false when the input ends first.
    bool skip_space()
    {
        for (;;) {
            if (!in_.fill())
                return false;
            const char* const begin = in_.data();
            const char* const end = begin + in_.available();
            const char* p = begin;
            for (; p < end && common::is_space(static_cast<unsigned char>(*p)); ++p) {
                if (*p == '\n') {
                    ++newlines_;
                    line_start_ = offset_ + static_cast<std::uint64_t>(p - begin) + 1;
                }
            }
            const auto n = static_cast<std::size_t>(p - begin);
            keep(gap_, begin, n);
            gap_length_ += n;
            consume(begin, n);
            if (p < end)
                return true;
        }
    }

    void consume(const char* from, std::size_t n)
    {
        if (n == 0)
            return;
        last_ = static_cast<unsigned char>(from[n - 1]);
        in_.advance(n);
        offset_ += n;
    }

    common::Input& in_;
    std::string token_;
    std::string gap_;
    std::uint64_t length_ = 0;
    std::uint64_t gap_length_ = 0;
    common::Place place_;
    common::Place gap_place_;
    std::uint64_t newlines_ = 0;
    std::uint64_t offset_ = 0;      // bytes consumed
    std::uint64_t line_start_ = 0;  // offset of the current line's first byte
    int last_ = none;               // the last byte consumed
};

}  // namespace pro3
