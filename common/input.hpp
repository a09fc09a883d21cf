// Block reader for standard input with the semantics of the formatted reads
// the programs are specified with: "%d" and 64-bit decimal reads, "%s"
// tokens, whole lines and single characters.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <type_traits>

#include "fail.hpp"

namespace common {

enum class ReadStatus {
    ok,            // a number was read
    end,           // the input ended before anything but white space
    no_number,     // neither a digit nor a sign stands next; nothing consumed
    lone_sign,     // a sign without a digit behind it; the sign is consumed
    out_of_range,  // a number was read that does not fit the requested type
};

// What scanf's white space is: blank, tab, newline, carriage return,
// vertical tab and form feed.
constexpr bool is_space(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr bool is_digit(int c)
{
    return c >= '0' && c <= '9';
}

class Input {
public:
    static constexpr int eof = -1;

    explicit Input(int fd = 0, std::size_t capacity = std::size_t{1} << 18)
        : fd_(fd),
          capacity_(capacity < min_capacity ? min_capacity : capacity),
          buffer_(new char[capacity_]),
          pos_(buffer_.get()),
          end_(pos_)
    {
    }

    // Next byte as 0..255, or eof.
    int get()
    {
        if (pos_ == end_ && !refill())
            return eof;
        return static_cast<unsigned char>(*pos_++);
    }

    int peek()
    {
        if (pos_ == end_ && !refill())
            return eof;
        return static_cast<unsigned char>(*pos_);
    }

    // Bulk access for streaming programs: the unread bytes held in the buffer
    // (refilled when empty; none at end of input), consumed with advance().
    bool fill() { return pos_ != end_ || refill(); }
    const char* data() const { return pos_; }
    std::size_t available() const { return static_cast<std::size_t>(end_ - pos_); }
    void advance(std::size_t n) { pos_ += n; }

    // Reads a signed decimal integer as scanf's "%d" (or its 64-bit form)
    // does: white space skipped, an optional sign, then digits. When neither
    // a digit nor a sign stands next, nothing past the white space is
    // consumed, so a later read fails the same way. A sign is taken as the
    // start of a number and kept even when no digit follows: the read fails
    // with lone_sign and the next one starts behind the sign (consumed_sign()
    // tells which it was). A number too large for Int is consumed whole and
    // reported, never truncated. Hand-written rather than from_chars because
    // scanf takes a '+' sign and a number may straddle two blocks.
    template <class Int>
    ReadStatus read_int(Int& value)
    {
        static_assert(std::is_integral_v<Int> && std::is_signed_v<Int>);
        if (!skip_space())
            return ReadStatus::end;
        bool negative = false;
        int c = static_cast<unsigned char>(*pos_);
        if (c == '+' || c == '-') {
            const bool digit_follows = ensure(2) && is_digit(static_cast<unsigned char>(pos_[1]));
            ++pos_;
            if (!digit_follows) {
                sign_ = static_cast<char>(c);
                return ReadStatus::lone_sign;
            }
            negative = c == '-';
        } else if (!is_digit(c)) {
            return ReadStatus::no_number;
        }
        using U = std::make_unsigned_t<Int>;
        const U limit = negative ? U(U(std::numeric_limits<Int>::max()) + 1u)
                                 : U(std::numeric_limits<Int>::max());
        U magnitude = 0;
        bool overflow = false;
        for (;;) {
            const char* p = pos_;
            const char* const e = end_;
            while (p < e && is_digit(static_cast<unsigned char>(*p))) {
                const U digit = U(*p - '0');
                if (magnitude > U((limit - digit) / 10u))
                    overflow = true;
                else
                    magnitude = U(magnitude * 10u + digit);
                ++p;
            }
            pos_ = p;
            if (p < e || !refill())
                break;
        }
        if (overflow)
            return ReadStatus::out_of_range;
        value = negative ? Int(U(0u) - magnitude) : Int(magnitude);
        return ReadStatus::ok;
    }

    // The sign the last read that failed with lone_sign consumed.
    char consumed_sign() const { return sign_; }

    // Reads a token as "%s" does: white space skipped, then every byte up to
    // the next white space or the end, whatever its length. False at end.
    bool read_token(std::string& token)
    {
        token.clear();
        if (!skip_space())
            return false;
        for (;;) {
            const char* p = pos_;
            while (p < end_ && !is_space(static_cast<unsigned char>(*p)))
                ++p;
            token.append(pos_, p);
            pos_ = p;
            if (p < end_ || !refill())
                return true;
        }
    }

    // Reads one line of any length without its newline. A last line without
    // a newline still counts; false only when the input has ended.
    bool read_line(std::string& line)
    {
        line.clear();
        if (!fill())
            return false;
        for (;;) {
            const auto* newline = static_cast<const char*>(std::memchr(pos_, '\n', available()));
            if (newline != nullptr) {
                line.append(pos_, newline);
                pos_ = newline + 1;
                return true;
            }
            line.append(pos_, end_);
            pos_ = end_;
            if (!refill())
                return true;
        }
    }

    // Skips white space; false when the input ends first.
    bool skip_space()
    {
        for (;;) {
            while (pos_ < end_ && is_space(static_cast<unsigned char>(*pos_)))
                ++pos_;
            if (pos_ < end_)
                return true;
            if (!refill())
                return false;
        }
    }

private:
    // A sign and the digit behind it must fit, to tell whether a number follows.
    static constexpr std::size_t min_capacity = 2;

    // Makes at least n unread bytes available; false when the input ends first.
    bool ensure(std::size_t n)
    {
        while (available() < n)
            if (!refill())
                return false;
        return true;
    }

    // Keeps the unread bytes, moves them to the front and reads more behind
    // them. The end of input is final: once read() has reported it, the
    // program never waits on the input again.
    bool refill()
    {
        if (at_end_)
            return false;
        const std::size_t kept = available();
        if (kept == capacity_)
            return true;
        std::memmove(buffer_.get(), pos_, kept);
        pos_ = buffer_.get();
        end_ = pos_ + kept;
        for (;;) {
            const ssize_t got = ::read(fd_, buffer_.get() + kept, capacity_ - kept);
            if (got > 0) {
                end_ += got;
                return true;
            }
            if (got == 0) {
                at_end_ = true;
                return false;
            }
            if (errno != EINTR)
                fail("read error: %s", std::strerror(errno));
        }
    }

    int fd_;
    std::size_t capacity_;
    std::unique_ptr<char[]> buffer_;
    const char* pos_;
    const char* end_;
    bool at_end_ = false;
    char sign_ = 0;
};

}  // namespace common
