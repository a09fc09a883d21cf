// What the validators share: where a byte of the input stands, the one line
// that reports the first violation, and the report of a valid case with the
// extremes of every bounded quantity beside its limits and, on request, the
// features the case has.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
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

// A feature a case may have: something only a case with it can show of a
// solution's faults (a value repeated, a count of 0, a result printed as a
// sentence). Each validator lists its exercise's features in a fixed order.
struct Feature {
    const char* name;     // as the features table writes it
    const char* meaning;  // what it means, for --help
};

// The option that asks for the features table.
constexpr const char* features_option = "features";

// The paragraph of --help that lists the features: "  - name: meaning",
// wrapped at 79 columns, further lines indented by four blanks.
template <typename Features>
std::string features_help(const Features& features)
{
    constexpr std::size_t columns = 79;
    std::string text = "With --features, the report of a valid case ends with an empty line and a\n"
                       "table of these features, each \"yes\" when the case has it and \"no\" when not:\n";
    for (const Feature& feature : features) {
        std::string line = std::string("  - ") + feature.name + ":";
        const std::string_view meaning = feature.meaning;
        for (std::size_t at = 0; at < meaning.size();) {
            std::size_t end = meaning.find(' ', at);
            end = end == std::string_view::npos ? meaning.size() : end;
            const std::string_view word = meaning.substr(at, end - at);
            if (line.size() + 1 + word.size() > columns) {
                text += line + "\n";
                line = "   ";
            }
            line += ' ';
            line += word;
            at = end + 1;
        }
        text += line + "\n";
    }
    return text;
}

// The report of a valid case: facts ("label: value" lines), then one row per
// bounded quantity with the smallest and largest value met, its limits and
// which of them the case reaches ("lower", "upper", "both" or "-"); then,
// when asked for, one row per feature saying whether the case has it.
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

    // The features table: each feature of the list, whether the case has
    // it (present[i] for list[i]).
    template <typename List, typename Present>
    void features(const List& list, const Present& present)
    {
        for (std::size_t i = 0; i < std::size(list) && i < std::size(present); ++i)
            features_.push_back({list[i].name, static_cast<bool>(present[i])});
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
        if (!features_.empty())
            write_features(out);
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

    // After an empty line, "feature" and "present" over the names, left-
    // aligned, and "yes" or "no", two blanks between, as the quantity table.
    void write_features(Output& out) const
    {
        const std::string_view heading = "feature";
        std::size_t width = heading.size();
        for (const auto& [name, present] : features_)
            width = std::max(width, name.size());
        out.put('\n');
        out.write(heading);
        out.repeat(' ', width - heading.size() + 2);
        out.write("present\n");
        for (const auto& [name, present] : features_) {
            out.write(name);
            out.repeat(' ', width - name.size() + 2);
            out.write(present ? "yes\n" : "no\n");
        }
    }

    std::vector<std::string> facts_;
    std::vector<Row> rows_;
    std::vector<std::pair<std::string, bool>> features_;
};

}  // namespace common
