// What pro2-validate checks of a PRO2 case, apart from the program so that
// tests can run it with small limits: the header line (its length, the mode
// and the width as pro2-solve reads them) and the body, streamed in blocks,
// with the counts pro2-solve keeps and the per-line facts the report shows.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/bits.hpp"
#include "common/input.hpp"
#include "common/validation.hpp"
#include "pro2/case_maker.hpp"
#include "pro2/converter.hpp"

namespace pro2 {

// What the format's signed 32-bit counters hold.
constexpr std::uint64_t counter_limit = std::numeric_limits<std::int32_t>::max();

// The longest header line the format allows, without its newline.
constexpr std::uint64_t longest_header = 31;

// The first violation met: where, what is wrong, and the text found there.
struct Violation {
    common::Place at;
    std::string what;
    std::string found;
};

// The header line, measured whole up to its newline but kept only in part:
// a valid one is kept whole.
struct HeaderLine {
    std::string text;
    std::uint64_t length = 0;  // without the newline
    bool input_empty = true;
    bool has_newline = false;
};

inline HeaderLine read_header_line(common::Input& in)
{
    constexpr std::size_t kept = 48;  // more than a valid header and than a message quotes
    HeaderLine line;
    line.input_empty = !in.fill();
    while (in.fill()) {
        const char* const begin = in.data();
        const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', in.available()));
        const auto part = newline != nullptr ? static_cast<std::size_t>(newline - begin) : in.available();
        if (line.text.size() < kept)
            line.text.append(begin, std::min(part, kept - line.text.size()));
        line.length += part;
        in.advance(part + (newline != nullptr ? 1 : 0));
        if (newline != nullptr) {
            line.has_newline = true;
            break;
        }
    }
    return line;
}

// What the header selects.
struct HeaderFacts {
    Mode mode = Mode::count_only;
    std::int32_t width = 0;
    bool width_is_number = true;  // false when a copying mode's width token begins with no number
    std::string width_token;
};

// Whether text is a number as "%d" writes it: an optional minus sign and
// digits, without leading zeros, and no "-0".
inline bool canonical(std::string_view text)
{
    if (!text.empty() && text[0] == '-') {
        text.remove_prefix(1);
        if (text == "0")
            return false;
    }
    if (text.empty() || (text[0] == '0' && text.size() > 1))
        return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return common::is_digit(static_cast<unsigned char>(c)); });
}

// Checks the header line and tells what it selects. The mode is its first
// character; in the copying modes the width is its second blank-separated
// token read as pro2-solve reads it (read_header): white space other than a
// blank, a sign, then digits, and 0 when no digit follows. With strict, the
// header must also be one the makers write.
inline std::optional<Violation> check_header(const HeaderLine& line, bool strict, HeaderFacts& facts)
{
    const std::string_view text = line.text;
    if (line.input_empty)
        return Violation{{1, 1}, "the input is empty: no header line selects a mode", ""};
    if (line.length > longest_header)
        return Violation{{1, 1}, "the header line has " + std::to_string(line.length) + " characters, more than 31",
                         line.text};
    const common::Place end_of_line{1, static_cast<std::int64_t>(text.size()) + 1};
    facts.mode = text.empty() ? Mode::count_only
                 : text[0] == 't' ? Mode::tabs_to_blanks
                 : text[0] == 'b' ? Mode::blanks_to_tabs
                                  : Mode::count_only;
    if (facts.mode != Mode::count_only) {
        std::size_t at = text.find(' ');
        at = at == std::string_view::npos ? text.size() : text.find_first_not_of(' ', at);
        if (at == std::string_view::npos || at == text.size())
            return Violation{end_of_line, "the header selects a copying mode but has no width (its second token)", ""};
        facts.width_token = text.substr(at, text.find(' ', at) - at);
        const std::string_view token = facts.width_token;
        std::size_t i = 0;
        while (i < token.size() && common::is_space(static_cast<unsigned char>(token[i])))
            ++i;
        const bool negative = i < token.size() && token[i] == '-';
        if (i < token.size() && (token[i] == '+' || token[i] == '-'))
            ++i;
        const std::uint64_t limit = negative ? counter_limit + 1 : counter_limit;
        std::uint64_t magnitude = 0;
        facts.width_is_number = i < token.size() && common::is_digit(static_cast<unsigned char>(token[i]));
        for (; i < token.size() && common::is_digit(static_cast<unsigned char>(token[i])); ++i) {
            magnitude = magnitude * 10 + static_cast<std::uint64_t>(token[i] - '0');
            if (magnitude > limit)
                return Violation{{1, static_cast<std::int64_t>(at) + 1},
                                 negative ? "the width is below -2147483648" : "the width is above 2147483647",
                                 facts.width_token};
        }
        facts.width = static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude)
                                                         : static_cast<std::int64_t>(magnitude));
    }
    if (!strict)
        return std::nullopt;
    if (text != "wc only") {
        if (text.substr(0, 4) != "t2b " && text.substr(0, 4) != "b2t ")
            return Violation{{1, 1}, "the header is not \"wc only\", \"t2b N\" or \"b2t N\"", line.text};
        const std::string_view width = text.substr(4);
        if (!canonical(width))
            return Violation{{1, 5}, "the width is not a number as \"%d\" writes it", std::string(width)};
        if (facts.width < min_width || facts.width > max_width)
            return Violation{{1, 5}, "the width is outside the makers' range -536870912..536870911", std::string(width)};
    }
    if (!line.has_newline)
        return Violation{end_of_line, "the header line does not end with a newline", ""};
    return std::nullopt;
}

// The smallest and largest of a per-line quantity, in plain variables for
// the loop over lines.
struct Range {
    std::uint64_t smallest = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t largest = 0;

    void see(std::uint64_t value)
    {
        if (value < smallest)
            smallest = value;
        if (value > largest)
            largest = value;
    }

    common::Extremes extremes() const
    {
        common::Extremes met;
        if (smallest <= largest) {
            met.see(static_cast<std::int64_t>(smallest));
            met.see(static_cast<std::int64_t>(largest));
        }
        return met;
    }
};

// What the body holds.
struct BodyFacts {
    Counts read;
    Counts written;                 // the copying modes: what pro2-solve writes
    bool last_line_without_newline = false;
    Range line_length;              // without the newline
    Range leading_blanks;           // per line, in its leading whitespace
    Range leading_tabs;
    Range leading_whitespace;
};

// Checks the body block by block, in one pass over each: its newlines are
// found and its blanks counted 64 bytes at a time, and at each line's start
// the run of blanks and tabs is measured 16 bytes at a time. Leading
// whitespace is short and lines are few next to bytes, so this takes about
// half the instructions of classifying every byte into the converter's
// stretch masks (measured on a body of short lines, where it is also the
// faster by a quarter). A block that holds a fault (a count passing its
// limit, or with strict a byte outside the makers' characters) is walked
// byte by byte to find the first.
class BodyCheck {
public:
    BodyCheck(const HeaderFacts& header, bool strict, std::uint64_t limit = counter_limit)
        : mode_(header.mode),
          width_(header.width > 0 ? static_cast<std::uint64_t>(header.width) : 0),
          strict_(strict),
          limit_(limit)
    {
        if (mode_ == Mode::blanks_to_tabs)
            state_.group = width_;
    }

    // The next bytes of the body; the first violation among them, if any.
    std::optional<Violation> check(const char* begin, const char* end)
    {
        if ((strict_ && has_foreign_byte(begin, end)) ||
            state_.read.characters + static_cast<std::uint64_t>(end - begin) > limit_) {
            if (auto fault = locate(begin, end))
                return fault;
        }
        // The scan runs on a copy of the state, taken over once the block
        // has passed.
        State s = state_;
        scan(s, begin, end);
        if (mode_ == Mode::tabs_to_blanks && written(s) > limit_) {
            if (auto fault = locate(begin, end))
                return fault;
        }
        state_ = s;
        return std::nullopt;
    }

    // The end of the body: its last line, and what pro2-solve writes.
    std::optional<Violation> finish()
    {
        State& s = state_;
        if (s.line_length > 0) {
            if (strict_)
                return Violation{here(s), "the body does not end with a newline", ""};
            facts_.last_line_without_newline = true;
            // Blank-to-tab holds back the blanks of an unfinished group
            // until the line's first other character; none comes.
            if (s.leading)
                s.dropped = width_ > 0 ? s.line_blanks % width_ : s.line_blanks;
            end_line(s);
        }
        facts_.read = s.read;
        facts_.line_length = s.line_length_met;
        facts_.leading_blanks = s.blanks_met;
        facts_.leading_tabs = s.tabs_met;
        facts_.leading_whitespace = s.whitespace_met;
        facts_.written.lines = s.read.lines;
        if (mode_ == Mode::tabs_to_blanks) {
            facts_.written.characters = written(s);
            facts_.written.blanks = s.read.blanks + s.leading_tabs * width_;
        } else if (mode_ == Mode::blanks_to_tabs) {
            facts_.written.characters = s.read.characters - s.groups * width_ + s.groups - s.dropped;
            facts_.written.blanks = s.read.blanks - s.groups * width_ - s.dropped;
        }
        return std::nullopt;
    }

    const BodyFacts& facts() const { return facts_; }

private:
    // What is carried from block to block.
    struct State {
        Counts read;
        bool leading = true;  // the next byte stands in its line's leading whitespace
        std::uint64_t line_length = 0;
        std::uint64_t line_blanks = 0;   // in the line's leading whitespace
        std::uint64_t line_tabs = 0;
        std::uint64_t leading_tabs = 0;  // in all lines: what tab-to-blank writes as `width` blanks
        std::uint64_t group = 0;         // blank-to-tab: the width when a group can form, else 0
        std::uint64_t groups = 0;        // blank-to-tab: groups written as tabs
        std::uint64_t dropped = 0;       // blank-to-tab: blanks held back at the end of input
        Range line_length_met, blanks_met, tabs_met, whitespace_met;
    };

    // What tab-to-blank writes: each leading tab as `width` blanks.
    std::uint64_t written(const State& s) const
    {
        return s.read.characters - s.leading_tabs + s.leading_tabs * width_;
    }

    // Whether a byte is one the makers never write: all but blank, tab,
    // newline and the printable characters 33 to 126.
    static bool foreign(unsigned char c) { return (c < 33 || c > 126) && c != ' ' && c != '\t' && c != '\n'; }

    // Whether a block holds such a byte. Written without branches on bytes
    // of one width, so that the compiler turns it into wide compares.
    static bool has_foreign_byte(const char* p, const char* end)
    {
        unsigned char any = 0;
        for (; p < end; ++p) {
            const auto c = static_cast<unsigned char>(*p);
            any |= static_cast<unsigned char>((static_cast<unsigned char>(c - 33) > 93) & (c != ' ') & (c != '\t') &
                                              (c != '\n'));
        }
        return any != 0;
    }

    // Where the next unread byte stands; the body begins on line 2.
    static common::Place here(const State& s)
    {
        return {static_cast<std::int64_t>(s.read.lines) + 2, static_cast<std::int64_t>(s.line_length) + 1};
    }

    // The first fault in a block, walked byte by byte from the state at its
    // start, in the order of the checks.
    std::optional<Violation> locate(const char* begin, const char* end) const
    {
        common::Place at = here(state_);
        bool leading = state_.leading;
        std::uint64_t read = state_.read.characters;
        std::uint64_t written = this->written(state_);
        const std::string limit = std::to_string(limit_);
        for (const char* p = begin; p < end; ++p) {
            const auto c = static_cast<unsigned char>(*p);
            const std::string found(1, static_cast<char>(c));
            if (strict_ && foreign(c))
                return Violation{at, "a byte other than blank, tab, newline and the printable characters 33..126", found};
            if (++read > limit_)
                return Violation{at, "the body passes " + limit + " characters here", found};
            if (mode_ == Mode::tabs_to_blanks) {
                written += leading && c == '\t' ? width_ : 1;
                if (written > limit_)
                    return Violation{at, "what tab-to-blank writes passes " + limit + " characters here", found};
            }
            if (c == '\n') {
                ++at.line;
                at.column = 1;
                leading = true;
            } else {
                ++at.column;
                leading = leading && (c == ' ' || c == '\t');
            }
        }
        return std::nullopt;
    }

    // Counts a block and follows its lines: each newline ends a line, and
    // the next one's leading whitespace is measured where it begins.
    static void scan(State& s, const char* begin, const char* end)
    {
        const char* line = begin;  // where the current line's part in the block begins
        if (s.leading)
            leading_run(s, begin, end);
        BlankCount blanks;
        for (const char* p = begin; p < end; p += detail::stretch) {
            const auto n = static_cast<unsigned>(std::min(detail::stretch, static_cast<std::size_t>(end - p)));
            for (std::uint64_t newlines = blanks.newline_bits(p, n); newlines != 0; newlines &= newlines - 1) {
                const char* const at = p + detail::lowest(newlines);
                s.line_length += static_cast<std::uint64_t>(at - line);
                ++s.read.lines;
                end_line(s);
                line = at + 1;
                leading_run(s, line, end);
            }
        }
        s.line_length += static_cast<std::uint64_t>(end - line);
        s.read.blanks += blanks.total();
        s.read.characters += static_cast<std::uint64_t>(end - begin);
    }

    // Finds the newlines of a block's stretches and counts its blanks on
    // the way, in one pass over the bytes.
    class BlankCount {
    public:
        // Where the newlines stand in a stretch of up to 64 bytes: bit i
        // for byte i. Its blanks are counted.
        std::uint64_t newline_bits(const char* p, unsigned n)
        {
#if defined(__SSE2__)
            if (n == detail::stretch) {
                std::uint64_t bits = 0;
                for (int part = 0; part < 4; ++part) {
                    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
                    const auto newline_mask = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')));
                    bits |= std::uint64_t{static_cast<std::uint16_t>(newline_mask)} << (16 * part);
                    lanes_ = _mm_sub_epi8(lanes_, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')));
                }
                if (++stretches_ == most_stretches)
                    empty_lanes();
                return bits;
            }
#endif
            const detail::Classes classes = detail::classify(p, n);
            total_ += detail::count_bits(classes.blanks);
            return classes.newlines;
        }

        std::uint64_t total()
        {
#if defined(__SSE2__)
            empty_lanes();
#endif
            return total_;
        }

    private:
        std::uint64_t total_ = 0;
#if defined(__SSE2__)
        // The blanks of each byte lane: four a stretch at most, so they
        // are added up before 63 stretches can fill a byte.
        static constexpr unsigned most_stretches = 63;

        void empty_lanes()
        {
            const __m128i sums = _mm_sad_epu8(lanes_, _mm_setzero_si128());
            total_ += static_cast<std::uint64_t>(_mm_extract_epi16(sums, 0) + _mm_extract_epi16(sums, 4));
            lanes_ = _mm_setzero_si128();
            stretches_ = 0;
        }

        __m128i lanes_ = _mm_setzero_si128();
        unsigned stretches_ = 0;
#endif
    };

    // The set bits of each byte value: two look-ups count the blanks of a
    // leading run, much cheaper than counting bits by arithmetic.
    static constexpr auto byte_bits = [] {
        std::array<std::uint8_t, 256> bits{};
        for (unsigned value = 0; value < bits.size(); ++value)
            bits[value] = static_cast<std::uint8_t>(common::popcount(value));
        return bits;
    }();

    // Adds the run of blanks and tabs at p (a line's start, or where its
    // leading whitespace goes on from the block before) to the line's
    // leading whitespace. The run ends at a newline or other character;
    // when it reaches the end of the block, the next block goes on with it.
    static void leading_run(State& s, const char* p, const char* end)
    {
#if defined(__SSE2__)
        constexpr std::ptrdiff_t width = 16;
        for (; end - p >= width; p += width) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i blank_bytes = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '));
            const __m128i tab_bytes = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t'));
            const auto white = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(blank_bytes, tab_bytes)));
            const auto run = static_cast<unsigned>(common::countr_one(white));  // bits 16 and up are 0
            const unsigned blank_bits = static_cast<unsigned>(_mm_movemask_epi8(blank_bytes)) & ((1u << run) - 1);
            const unsigned blanks = byte_bits[blank_bits & 0xFF] + byte_bits[blank_bits >> 8];
            s.line_blanks += blanks;
            s.line_tabs += run - blanks;
            s.leading_tabs += run - blanks;
            if (run < width) {
                s.leading = false;
                return;
            }
        }
#endif
        for (; p < end; ++p) {
            if (*p == ' ') {
                ++s.line_blanks;
            } else if (*p == '\t') {
                ++s.line_tabs;
                ++s.leading_tabs;
            } else {
                s.leading = false;
                return;
            }
        }
        s.leading = true;
    }

    static void end_line(State& s)
    {
        s.line_length_met.see(s.line_length);
        s.blanks_met.see(s.line_blanks);
        s.tabs_met.see(s.line_tabs);
        s.whitespace_met.see(s.line_blanks + s.line_tabs);
        // Blank-to-tab writes a tab for each complete group of leading
        // blanks; tabs between them do not break a group.
        if (s.group != 0 && s.line_blanks >= s.group)
            s.groups += s.line_blanks / s.group;
        s.line_length = 0;
        s.line_blanks = 0;
        s.line_tabs = 0;
    }

    Mode mode_;
    std::uint64_t width_;  // 0 for a width of 0 or less: no blanks per tab, no groups
    bool strict_;
    std::uint64_t limit_;
    State state_;
    BodyFacts facts_;
};

}  // namespace pro2
