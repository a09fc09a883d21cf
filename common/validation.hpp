// What the validators share: where a byte of the input stands, the one line
// that reports the first violation, and the report of a valid case with the
// extremes of every bounded quantity beside its limits.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "common/fail.hpp"
#include "common/output.hpp"

namespace common {

// Where a byte stands: line and column, both counted from 1; a column counts
// bytes. The end of the input stands just after its last byte.
struct Place {
    std::int64_t line = 1;
    std::int64_t column = 1;
};

// How much of the offending token a message quotes.
constexpr std::size_t quoted_characters = 40;

// The token as a message quotes it: cut at 40 characters, with control
// characters, quotes and backslashes escaped so that the line stays one line.
inline std::string quoted(std::string_view token)
{
    std::string text;
    for (unsigned char c : token.substr(0, quoted_characters)) {
        if (c == '"' || c == '\\') {
            text += '\\';
            text += static_cast<char>(c);
        } else if (c < 32 || c == 127) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            text += escape;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

// Reports the first violation, "PROGRAM: line L, column C: what (found
// "token")", on standard error and exits with status 1. Nothing has been
// written to standard output: a validator writes its report only once the
// whole case has passed.
[[noreturn]] inline void invalid(Place at, const std::string& what, std::string_view found)
{
    fail("line %lld, column %lld: %s (found \"%s\")", static_cast<long long>(at.line),
         static_cast<long long>(at.column), what.c_str(), quoted(found).c_str());
}

// The smallest and largest value met of one quantity.
class Extremes {
public:
    void see(std::int64_t value)
    {
        smallest_ = seen_ ? std::min(smallest_, value) : value;
        largest_ = seen_ ? std::max(largest_, value) : value;
        seen_ = true;
    }

    bool seen() const { return seen_; }
    std::int64_t smallest() const { return smallest_; }
    std::int64_t largest() const { return largest_; }

private:
    bool seen_ = false;
    std::int64_t smallest_ = 0;
    std::int64_t largest_ = 0;
};

// The report of a valid case: facts ("label: value" lines), then one row per
// bounded quantity with the smallest and largest value met, its limits and
// which of them the case reaches ("lower", "upper", "both" or "-").
class Report {
public:
    void fact(const std::string& label, const std::string& value) { facts_.push_back(label + ": " + value + "\n"); }

    void bound(const std::string& quantity, const Extremes& met, std::int64_t lowest, std::int64_t highest)
    {
        Row row{quantity, "-", "-", std::to_string(lowest) + ".." + std::to_string(highest), "-"};
        if (met.seen()) {
            row.smallest = std::to_string(met.smallest());
            row.largest = std::to_string(met.largest());
            const bool lower = met.smallest() == lowest;
            const bool upper = met.largest() == highest;
            row.reaches = lower && upper ? "both" : lower ? "lower" : upper ? "upper" : "-";
        }
        rows_.push_back(row);
    }

    // Writes the report to standard output; a failed write ends the program.
    void print() const
    {
        Output out;
        for (const std::string& fact : facts_)
            out.write(fact);
        if (!rows_.empty()) {
            const Row heading{"quantity", "smallest", "largest", "limits", "reaches"};
            std::size_t width[4] = {heading.quantity.size(), heading.smallest.size(), heading.largest.size(),
                                    heading.limits.size()};
            for (const Row& row : rows_) {
                width[0] = std::max(width[0], row.quantity.size());
                width[1] = std::max(width[1], row.smallest.size());
                width[2] = std::max(width[2], row.largest.size());
                width[3] = std::max(width[3], row.limits.size());
            }
            out.put('\n');
            write_row(out, heading, width);
            for (const Row& row : rows_)
                write_row(out, row, width);
        }
        out.flush();
    }

private:
    struct Row {
        std::string quantity, smallest, largest, limits, reaches;
    };

    // Names left-aligned, numbers right-aligned, two blanks between columns.
    static void write_row(Output& out, const Row& row, const std::size_t* width)
    {
        out.write(row.quantity);
        out.repeat(' ', width[0] - row.quantity.size() + 2 + width[1] - row.smallest.size());
        out.write(row.smallest);
        out.repeat(' ', 2 + width[2] - row.largest.size());
        out.write(row.largest);
        out.repeat(' ', 2);
        out.write(row.limits);
        out.repeat(' ', width[3] - row.limits.size() + 2);
        out.write(row.reaches);
        out.put('\n');
    }

    std::vector<std::string> facts_;
    std::vector<Row> rows_;
};

}  // namespace common
