// The PRO2 header and body conversions, shared by pro2-solve and its tests.
// The body streams through in the reader's blocks: a vectorised tally counts
// what was read; bit masks over 64-byte stretches find each line's leading
// whitespace, the only place where a conversion changes anything; and
// everything between those places is copied in one write.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/bits.hpp"
#include "common/fail.hpp"
#include "common/input.hpp"
#include "common/output.hpp"

namespace pro2 {

enum class Mode { count_only, tabs_to_blanks, blanks_to_tabs };

struct Header {
    Mode mode = Mode::count_only;
    std::int32_t width = 0;  // blanks per tab
};

// Newlines, blanks and all characters of one side of the conversion.
struct Counts {
    std::uint64_t lines = 0;
    std::uint64_t blanks = 0;
    std::uint64_t characters = 0;
};

struct Totals {
    Counts read;
    Counts written;
};

namespace detail {

// Skips the rest of the current line, its newline included.
inline void skip_line(common::Input& in)
{
    while (in.fill()) {
        const auto* newline = static_cast<const char*>(std::memchr(in.data(), '\n', in.available()));
        if (newline != nullptr) {
            in.advance(static_cast<std::size_t>(newline - in.data()) + 1);
            return;
        }
        in.advance(in.available());
    }
}

// The end of a header token: a blank, the newline or the end of input.
inline bool ends_token(int c)
{
    return c == ' ' || c == '\n' || c == common::Input::eof;
}

// Reads the width token as "%d" reads a string: white space, an optional
// sign, then digits up to the first non-digit; 0 when no number begins it.
// Consumes the token's leading part only; the caller skips the rest.
inline std::int32_t read_width(common::Input& in)
{
    while (!ends_token(in.peek()) && common::is_space(in.peek()))
        in.get();
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.get() == '-';
    }
    const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
    std::uint64_t magnitude = 0;
    while (common::is_digit(in.peek())) {
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(in.get() - '0');
        if (magnitude > limit)
            common::fail("the width in the header is outside the signed 32-bit range");
    }
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude)
                                              : static_cast<std::int64_t>(magnitude));
}

// Where the newlines, blanks and tabs stand in a stretch of up to 64 bytes:
// bit i for byte i.
struct Classes {
    std::uint64_t newlines = 0;
    std::uint64_t blanks = 0;
    std::uint64_t tabs = 0;
};

constexpr std::size_t stretch = 64;

inline Classes classify(const char* p, std::size_t n)
{
    Classes c;
#if defined(__SSE2__)
    // Four 16-byte compares per class instead of 64 byte tests: the
    // conversions look at every byte, and this is what keeps them several
    // times faster than a byte loop on bodies of short lines.
    if (n == stretch) {
        const __m128i newline = _mm_set1_epi8('\n');
        const __m128i blank = _mm_set1_epi8(' ');
        const __m128i tab = _mm_set1_epi8('\t');
        for (int part = 0; part < 4; ++part) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
            const auto bits = [&](__m128i wanted) {
                return std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)))}
                       << (16 * part);
            };
            c.newlines |= bits(newline);
            c.blanks |= bits(blank);
            c.tabs |= bits(tab);
        }
        return c;
    }
#endif
    for (std::size_t i = 0; i < n; ++i) {
        c.newlines |= std::uint64_t{p[i] == '\n'} << i;
        c.blanks |= std::uint64_t{p[i] == ' '} << i;
        c.tabs |= std::uint64_t{p[i] == '\t'} << i;
    }
    return c;
}

// The bytes of a stretch that belong to a line's leading whitespace: the
// blanks, tabs and newlines between a line's start (the stretch's start
// when `leading`, or just after a newline) and its first ordinary
// character. Adding a start bit to the whitespace bits carries it through
// the run of whitespace it stands in; the bits the carry cleared, and the
// starts themselves, are the leading ones.
inline std::uint64_t leading_bits(const Classes& c, bool leading)
{
    const std::uint64_t space = c.newlines | c.blanks | c.tabs;
    const std::uint64_t starts = ((c.newlines << 1) | std::uint64_t{leading}) & space;
    return (((space + starts) ^ space) | starts) & space;
}

// Whether the byte after a stretch of n bytes starts inside leading
// whitespace: the stretch ended in leading whitespace or with a newline.
inline bool leading_after(const Classes& c, std::uint64_t leading, std::size_t n)
{
    return (((leading | c.newlines) >> (n - 1)) & 1) != 0;
}

// Writes the bytes from `from` up to `to`, which lie in a block of readable
// bytes that ends at `end`. Most runs between two lines' leading whitespace
// are short: those go out as one fixed-size block, which with the same for
// short leading runs below took blank-to-tab mode on 200 MB of short lines
// from 0.18 s to 0.13 s.
inline void copy(common::Output& out, const char* from, const char* to, const char* end)
{
    if (to - from <= 64 && end - from >= 64)
        out.write_from_block<64>(from, static_cast<std::size_t>(to - from));
    else if (to != from)
        out.write(from, static_cast<std::size_t>(to - from));
}

// Writes `tabs` tabs, then `blanks` blanks. A few of each (what a line
// mostly has) go out in one write from a fixed text: much cheaper than
// filling them one at a time or with two fills; up to 16 in all, as one
// fixed-size block of it.
inline void tabs_then_blanks(common::Output& out, std::uint64_t tabs, std::uint64_t blanks)
{
    constexpr std::uint64_t most = 64;
    static constexpr auto text = [] {
        std::array<char, 2 * most> t{};
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = i < most ? '\t' : ' ';
        return t;
    }();
    if (tabs + blanks <= 16) {
        out.write_from_block<16>(text.data() + most - tabs, tabs + blanks);
    } else if (tabs <= most && blanks <= most) {
        out.write(text.data() + most - tabs, tabs + blanks);
    } else {
        out.repeat('\t', tabs);
        out.repeat(' ', blanks);
    }
}

// The bits below bit n, for n from 0 to 64.
inline std::uint64_t low_bits(unsigned n)
{
    return n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
}

// The number of set bits. Without the processor's own instruction in the
// baseline instruction set, std::popcount is a library call; this is not.
inline unsigned count_bits(std::uint64_t x)
{
    x = x - ((x >> 1) & 0x5555555555555555u);
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0fu;
    return static_cast<unsigned>((x * 0x0101010101010101u) >> 56);
}

// The index of the lowest set bit.
inline unsigned lowest(std::uint64_t bits)
{
    return static_cast<unsigned>(common::countr_zero(bits));
}

}  // namespace detail

// Reads the header line, whatever its length, without keeping it: the mode
// from its first character ("t" or "b", anything else counts only) and, for
// the two copying modes, the width from its second blank-separated token.
// An input without any header line counts only.
inline Header read_header(common::Input& in)
{
    Header header;
    const int first = in.peek();
    if (first == 't')
        header.mode = Mode::tabs_to_blanks;
    else if (first == 'b')
        header.mode = Mode::blanks_to_tabs;
    if (header.mode != Mode::count_only) {
        while (!detail::ends_token(in.peek()))  // the first token
            in.get();
        while (in.peek() == ' ')
            in.get();
        if (!detail::ends_token(in.peek()))
            header.width = detail::read_width(in);
    }
    detail::skip_line(in);
    return header;
}

// Adds the newlines, blanks and length of [p, end) to counts. Tallies with
// 8-bit counters over stretches of 255 bytes, a loop the compiler turns into
// wide compares; std::count or wider counters measured 4 to 25 times slower.
inline void tally(const char* p, const char* end, Counts& counts)
{
    counts.characters += static_cast<std::uint64_t>(end - p);
    while (p < end) {
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(end - p), 255);
        std::uint8_t lines = 0;
        std::uint8_t blanks = 0;
        for (std::size_t i = 0; i < n; ++i) {
            lines += p[i] == '\n';
            blanks += p[i] == ' ';
        }
        counts.lines += lines;
        counts.blanks += blanks;
        p += n;
    }
}

// The counts of the whole input; nothing is written.
inline void count_only(common::Input& in, Totals& totals)
{
    while (in.fill()) {
        tally(in.data(), in.data() + in.available(), totals.read);
        in.advance(in.available());
    }
}

// Copies the input, each tab in a line's leading whitespace written as
// `width` blanks (none for a width of 0 or less). What is written differs
// from what is read only at those tabs, so everything between them goes out
// in one write, and the written counts are the read ones plus what the tabs
// changed.
inline void tabs_to_blanks(common::Input& in, common::Output& out, std::int32_t width, Totals& totals)
{
    const std::uint64_t blanks_per_tab = width > 0 ? static_cast<std::uint64_t>(width) : 0;
    std::uint64_t tabs = 0;  // leading tabs replaced
    bool leading = true;
    while (in.fill()) {
        const char* const begin = in.data();
        const char* const end = begin + in.available();
        tally(begin, end, totals.read);
        const char* unwritten = begin;
        for (const char* p = begin; p < end; p += detail::stretch) {
            const std::size_t n = std::min(detail::stretch, static_cast<std::size_t>(end - p));
            const detail::Classes classes = detail::classify(p, n);
            const std::uint64_t leading_space = detail::leading_bits(classes, leading);
            std::uint64_t leading_tabs = leading_space & classes.tabs;
            while (leading_tabs != 0) {
                const unsigned at = detail::lowest(leading_tabs);
                const auto run = static_cast<unsigned>(common::countr_one(leading_tabs >> at));
                detail::copy(out, unwritten, p + at, end);
                detail::tabs_then_blanks(out, 0, run * blanks_per_tab);
                unwritten = p + at + run;
                tabs += run;
                leading_tabs &= ~detail::low_bits(at + run);
            }
            leading = detail::leading_after(classes, leading_space, n);
        }
        out.write(unwritten, static_cast<std::size_t>(end - unwritten));
        in.advance(static_cast<std::size_t>(end - begin));
    }
    totals.written.lines = totals.read.lines;
    totals.written.blanks = totals.read.blanks + tabs * blanks_per_tab;
    totals.written.characters = totals.read.characters - tabs + tabs * blanks_per_tab;
}

// Copies the input, each group of `width` blanks in a line's leading
// whitespace written as one tab. Leading blanks are held back until a group
// is complete, or written before the line's newline or first ordinary
// character; tabs are written at once; blanks still held at the end of input
// are dropped. As every tab goes out at once and blanks only at the end, the
// leading whitespace from its first blank on comes out as its tabs and
// complete groups, then the blanks left over: so it is counted rather than
// walked, and everything else goes out as it stands. The written counts are
// the read ones less what the groups and the dropped blanks took away.
inline void blanks_to_tabs(common::Input& in, common::Output& out, std::int32_t width, Totals& totals)
{
    const std::uint64_t group = width > 0 ? static_cast<std::uint64_t>(width) : 0;
    std::uint64_t groups = 0;   // groups of blanks written as a tab
    std::uint64_t pending = 0;  // leading blanks held back
    bool leading = true;
    bool holding = false;  // between a line's first leading blank and the end of its leading whitespace
    // The whole groups in a count of held blanks. Held blanks stay under a
    // group and a stretch adds at most 64, so a count is below 128 for a
    // group under 64, and holds one group at most for a larger one: a table
    // lookup instead of a division on every line.
    std::array<std::uint8_t, 128> whole_groups{};
    for (std::size_t i = 0; group != 0 && group < 64 && i < whole_groups.size(); ++i)
        whole_groups[i] = static_cast<std::uint8_t>(i / group);
    while (in.fill()) {
        const char* const begin = in.data();
        const char* const end = begin + in.available();
        tally(begin, end, totals.read);
        const char* unwritten = begin;
        for (const char* p = begin; p < end; p += detail::stretch) {
            const auto n = static_cast<unsigned>(std::min(detail::stretch, static_cast<std::size_t>(end - p)));
            const detail::Classes classes = detail::classify(p, n);
            const std::uint64_t leading_space = detail::leading_bits(classes, leading);
            const std::uint64_t held = leading_space & classes.blanks;
            // Newlines and ordinary characters met while leading: where the
            // leading whitespace ends and held blanks come out.
            const std::uint64_t leading_before = ((leading_space | classes.newlines) << 1) | std::uint64_t{leading};
            const std::uint64_t ends = leading_before & ~(classes.blanks | classes.tabs) & detail::low_bits(n);
            unsigned from = 0;
            for (;;) {
                if (!holding) {
                    const std::uint64_t first = held & ~detail::low_bits(from);
                    if (first == 0)
                        break;
                    from = detail::lowest(first);
                    detail::copy(out, unwritten, p + from, end);
                    holding = true;
                }
                const std::uint64_t next_end = ends & ~detail::low_bits(from);
                const unsigned to = next_end == 0 ? n : detail::lowest(next_end);
                const unsigned blanks = detail::count_bits(classes.blanks & detail::low_bits(to) & ~detail::low_bits(from));
                std::uint64_t tabs = to - from - blanks;
                pending += blanks;
                if (group != 0 && pending >= group) {
                    const std::uint64_t whole = group < 64 ? whole_groups[pending] : 1;
                    tabs += whole;
                    groups += whole;
                    pending -= whole * group;
                }
                unwritten = p + to;
                if (next_end == 0) {
                    detail::tabs_then_blanks(out, tabs, 0);
                    break;  // the leading whitespace goes on in the next stretch
                }
                detail::tabs_then_blanks(out, tabs, pending);
                pending = 0;
                holding = false;
                from = to + 1;
            }
            leading = detail::leading_after(classes, leading_space, n);
        }
        detail::copy(out, unwritten, end, end);
        in.advance(static_cast<std::size_t>(end - begin));
    }
    totals.written.lines = totals.read.lines;
    totals.written.blanks = totals.read.blanks - groups * group - pending;
    totals.written.characters = totals.read.characters - groups * group + groups - pending;
}

namespace detail {

// One count line: lines, blanks, characters.
inline void print_counts(common::Output& out, const Counts& counts)
{
    out.number(counts.lines);
    out.put(' ');
    out.number(counts.blanks);
    out.put(' ');
    out.number(counts.characters);
    out.put('\n');
}

}  // namespace detail

// Answers one case: the header, the body converted (or only counted), then
// the counts of what was read and, when copying, of what was written.
inline void solve(common::Input& in, common::Output& out)
{
    const Header header = read_header(in);
    Totals totals;
    switch (header.mode) {
    case Mode::count_only: count_only(in, totals); break;
    case Mode::tabs_to_blanks: tabs_to_blanks(in, out, header.width, totals); break;
    case Mode::blanks_to_tabs: blanks_to_tabs(in, out, header.width, totals); break;
    }
    detail::print_counts(out, totals.read);
    if (header.mode != Mode::count_only)
        detail::print_counts(out, totals.written);
}

}  // namespace pro2
