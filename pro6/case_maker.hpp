// Random PRO6 cases in the order of draws the cases are defined by, shared
// by pro6-maketest, pro6-maketest-b and their tests.
#pragma once

#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>

#include "common/draws.hpp"
#include "common/output.hpp"

namespace pro6 {

// The user's answers: the two lengths, the number of search values, and how
// many of them must be found.
struct Answers {
    std::int32_t n = 0;
    std::int32_t m = 0;
    std::int32_t k = 0;
    std::int32_t f = 0;
};

// The stage names of the nine traces, in the order they are reached.
constexpr const char* stages[] = {"start",       "memset", "left",      "qsort left", "right",
                                  "qsort right", "must",   "must done", "complete"};

// Writes `wanted` lines, each a value of `distinct` (ascending, `count` of
// them): every stride-th value, going round again from the smallest after
// the largest with the count carried over, as a scan of the presence table
// counting the present values it passes would write them. So the t-th line
// is the ((t * stride - 1) mod count)-th value, reached without the scan's
// sweeps. Nothing when there are no values.
inline void write_picked(common::Output& out, const std::int32_t* distinct, std::int32_t count,
                         std::int32_t wanted, int stride)
{
    if (count == 0)
        return;
    std::int32_t index = (stride - 1) % count;
    for (std::int32_t written = 0; written < wanted; ++written) {
        out.number(distinct[index]);
        out.put('\n');
        index = (index + stride) % count;
    }
}

// Values lie in 0..Range-1: 1,000,000 for pro6-maketest, 10,000,000 for
// pro6-maketest-b.
template <std::int32_t Range>
class CaseMaker {
public:
    // One value from two draws: their product's remainder by the range. The
    // product of two draws (at most 32767 each) fits 32 bits and is never
    // negative, so the remainder needs no sign fix.
    static std::int32_t value(common::Draws& draws)
    {
        const std::int32_t a = draws.next();
        const std::int32_t b = draws.next();
        return a * b % Range;
    }

    // Writes one case for the answers to `out`, calling trace(stage) at each
    // stage boundary. The answers are the caller's to check: lengths of 0 to
    // 25,000,000, and values to find only when some value exists.
    template <class Trace>
    static void write(common::Draws& draws, const Answers& answers, common::Output& out, Trace trace)
    {
        trace(stages[0]);
        // The presence table starts zero and every case leaves it zero, so
        // there is nothing to clear here.
        out.number(answers.n);
        out.put(' ');
        out.number(answers.m);
        out.put('\n');
        trace(stages[1]);
        // Each sequence is sorted by counting its values as they are drawn:
        // with the values bounded by the range, the counts give exactly the
        // array an ascending comparison sort gives, in linear time. The
        // "sort" stage then has nothing left to do.
        Span drawn = count(draws, answers.n);
        trace(stages[2]);
        trace(stages[3]);
        write_counted(out, drawn);
        drawn = count(draws, answers.m);
        trace(stages[4]);
        trace(stages[5]);
        write_counted(out, drawn);
        out.number(answers.k);
        out.put('\n');
        int stride = draws.next() % 10;
        if (stride == 0)
            stride = 10;  // a stride of 0 would never pick anything
        trace(stages[6]);
        write_found(out, answers.f, stride);
        trace(stages[7]);
        for (std::int64_t i = answers.f; i < answers.k; ++i) {
            out.number(value(draws));
            out.put('\n');
        }
        trace(stages[8]);
    }

private:
    // The smallest and largest value drawn for a sequence; empty when
    // lowest > highest.
    struct Span {
        std::int32_t lowest = Range;
        std::int32_t highest = -1;
    };

    // Draws `length` values and counts them by value.
    static Span count(common::Draws& draws, std::int32_t length)
    {
        Span span;
        for (std::int32_t i = 0; i < length; ++i) {
            const std::int32_t v = value(draws);
            ++counts_[v];
            span.lowest = v < span.lowest ? v : span.lowest;
            span.highest = v > span.highest ? v : span.highest;
        }
        return span;
    }

    // Writes the counted values ascending on one line, marks them present and
    // sets their counts back to 0 for the next sequence. Each distinct value
    // is formatted once and copied for its repeats.
    static void write_counted(common::Output& out, Span span)
    {
        bool first = true;
        for (std::int32_t v = span.lowest; v <= span.highest; ++v) {
            std::uint32_t repeats = counts_[v];
            if (repeats == 0)
                continue;
            counts_[v] = 0;
            present_[v / 64] |= std::uint64_t{1} << (v % 64);
            char text[16] = {' '};
            const auto length = static_cast<std::size_t>(std::to_chars(text + 1, text + sizeof text, v).ptr - text);
            if (first) {
                out.write(text + 1, length - 1);
                --repeats;
                first = false;
            }
            for (; repeats > 0; --repeats)
                out.write(text, length);
        }
        out.put('\n');
    }

    // Writes `wanted` values that occur in the sequences, picked from the
    // distinct values the presence table holds; leaves the table zero.
    static void write_found(common::Output& out, std::int32_t wanted, int stride)
    {
        std::int32_t distinct = 0;
        for (std::int32_t word = 0; word < words; ++word) {
            if (present_[word] == 0)
                continue;
            for (std::uint64_t bits = present_[word]; bits != 0; bits &= bits - 1)
                distinct_[distinct++] = word * 64 + std::countr_zero(bits);
            present_[word] = 0;
        }
        write_picked(out, distinct_, distinct, wanted, stride);
    }

    static constexpr std::int32_t words = (Range + 63) / 64;

    // How many values of the sequence being drawn equal the index.
    inline static std::uint32_t counts_[Range];
    // The presence table: a bit per value, set when it occurs in either
    // sequence (whether it occurs is all the picking asks).
    inline static std::uint64_t present_[words];
    // The distinct present values, ascending, while the found values are picked.
    inline static std::int32_t distinct_[Range];
};

}  // namespace pro6
