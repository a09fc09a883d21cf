// Buffered writer for standard output that formats integers itself and
// notices write errors: "PROGRAM: write error: reason", exit status 1.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <type_traits>

#include "fail.hpp"

namespace common {

class Output {
public:
    // `target` names a file in the messages ("cannot write TARGET: reason");
    // without one a failure is a "write error". The writer of standard
    // output (or else the first writer made) is the one flushed when an
    // error ends the program.
    explicit Output(int fd = 1, std::size_t capacity = std::size_t{1} << 17, const char* target = nullptr)
        : fd_(fd),
          capacity_(capacity < min_capacity ? min_capacity : capacity),
          buffer_(new char[capacity_]),
          pos_(buffer_.get()),
          target_(target)
    {
        if (fd != 1 && active() != nullptr)
            return;
        active() = this;
        flush_before_exit = [] {
            if (active() != nullptr)
                active()->drain();
        };
    }

    ~Output()
    {
        if (active() == this) {
            active() = nullptr;
            flush_before_exit = nullptr;
        }
    }

    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void put(char c)
    {
        if (pos_ == limit())
            flush();
        *pos_++ = c;
    }

    void write(const char* text, std::size_t n)
    {
        if (n > room()) {
            flush();
            if (n >= capacity_) {
                write_through(text, n);
                return;
            }
        }
        std::memcpy(pos_, text, n);
        pos_ += n;
    }

    void write(std::string_view text) { write(text.data(), text.size()); }

    // Writes the first n of the `block` bytes at text, all of which must be
    // readable, n at most `block`: one fixed-size copy of the whole block
    // (the bytes past n are overwritten later) instead of a memcpy of n
    // bytes, whose branches on n cost most of the time of many short writes.
    template <std::size_t block>
    void write_from_block(const char* text, std::size_t n)
    {
        static_assert(block <= min_capacity);
        if (room() < block)
            flush();
        std::memcpy(pos_, text, block);
        pos_ += n;
    }

    // Lets format(p) write up to `most` bytes in place, from p, and return
    // the end of what it wrote: formatted straight into the buffer rather
    // than into a local block and copied, which reads the block's many
    // small stores back before the processor can hand them on.
    template <std::size_t most, class Format>
    void write_in_place(Format format)
    {
        static_assert(most <= min_capacity);
        if (room() < most)
            flush();
        pos_ = format(pos_);
    }

    // For a loop that fills the buffer itself, keeping its place in a local
    // of its own: the place to write at, with at least `least` bytes of room
    // before room_end() (the buffer written out first when there is less);
    // filled_to() then takes the bytes up to where it stopped. Nothing else
    // may write in between.
    char* room_for(std::size_t least)
    {
        if (room() < least)
            flush();
        return pos_;
    }
    char* room_end() const { return limit(); }
    void filled_to(char* end) { pos_ = end; }

    // Writes c n times.
    void repeat(char c, std::size_t n)
    {
        while (n > 0) {
            if (pos_ == limit())
                flush();
            const std::size_t part = n < room() ? n : room();
            std::memset(pos_, c, part);
            pos_ += part;
            n -= part;
        }
    }

    // Writes an integer in the given base (2 to 36); digits above 9 are upper
    // case, as "%X" writes them.
    template <class Int>
    void number(Int value, int base = 10)
    {
        static_assert(std::is_integral_v<Int>);
        if (room() < widest_number)
            flush();
        char* const start = pos_;
        pos_ = std::to_chars(pos_, limit(), value, base).ptr;
        if (base > 10)
            for (char* p = start; p < pos_; ++p)
                if (*p >= 'a' && *p <= 'z')
                    *p = static_cast<char>(*p - 'a' + 'A');
    }

    // Writes out everything buffered; a failed write ends the program.
    void flush()
    {
        if (!drain())
            failed();
    }

private:
    static constexpr std::size_t widest_number = 66;  // 64 binary digits, a sign, room to spare
    static constexpr std::size_t min_capacity = 128;

    static Output*& active()
    {
        static Output* writer = nullptr;
        return writer;
    }

    char* limit() const { return buffer_.get() + capacity_; }
    std::size_t room() const { return static_cast<std::size_t>(limit() - pos_); }

    // Writes the buffer out; false (with error_ set) when the output fails.
    bool drain()
    {
        const bool written = error_ == 0 && write_all(buffer_.get(), static_cast<std::size_t>(pos_ - buffer_.get()));
        pos_ = buffer_.get();
        return written;
    }

    void write_through(const char* text, std::size_t n)
    {
        if (!write_all(text, n))
            failed();
    }

    [[noreturn]] void failed() const
    {
        if (target_ != nullptr)
            fail("cannot write %s: %s", target_, std::strerror(error_));
        fail("write error: %s", std::strerror(error_));
    }

    bool write_all(const char* text, std::size_t n)
    {
#ifdef FUZZING
        // Fuzzing builds end quietly after a megabyte of output: longer
        // outputs are legitimate, and nothing after that point is explored.
        written_ += n;
        if (written_ > fuzzing_output_limit)
            std::_Exit(0);
#endif
        while (n > 0) {
            const ssize_t done = ::write(fd_, text, n);
            if (done < 0) {
                if (errno == EINTR)
                    continue;
                error_ = errno;
                return false;
            }
            text += done;
            n -= static_cast<std::size_t>(done);
        }
        return true;
    }

    int fd_;
    std::size_t capacity_;
    std::unique_ptr<char[]> buffer_;
    char* pos_;
    const char* target_;
    int error_ = 0;
#ifdef FUZZING
    static constexpr std::size_t fuzzing_output_limit = std::size_t{1} << 20;
    std::size_t written_ = 0;
#endif
};

}  // namespace common
