// pro6-validate: reads one PRO6 case and tells whether it lies within every
// limit of the format: the lengths n and m within 0..10000000, then n and m
// values in signed 32 bits, each sequence non-decreasing, a count q of at
// least 0 and q search values in signed 32 bits, nothing after them. A valid
// case gets a report on standard output: its sizes, the extremes of every
// bounded quantity beside its limits, how many distinct values each sequence
// holds and how many search values occur in the sequences. The first
// violation gets one line on standard error, with its place, and status 1.
// --strict also requires the exact layout pro6-maketest writes; --features
// adds which of the features that show a solution's faults the case has.

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/command_line.hpp"
#include "common/digit_words.hpp"
#include "common/input.hpp"
#include "common/number_tokens.hpp"
#include "common/validation.hpp"

namespace {

constexpr std::int64_t max_length = 10'000'000;  // values per sequence
constexpr std::int64_t int32_lowest = INT32_MIN;
constexpr std::int64_t int32_highest = INT32_MAX;

// Search values are looked up in sorted batches of this many: each batch
// then walks the sequences once from the front instead of bisecting them
// from the top for every value, which on 10,000,000 values misses the cache
// at almost every step.
constexpr std::size_t batch_size = std::size_t{1} << 16;

// The white space the maker writes: between two numbers on a line, and
// before a number one, two or three lines further on (the lines of empty
// sequences stay empty).
constexpr std::string_view blank = " ";
constexpr std::string_view breaks[] = {"", "\n", "\n\n", "\n\n\n"};

// The features --features reports, in the order of its table.
enum FeatureIndex {
    negative_value,
    repeated_value,
    value_in_both,
    empty_sequence,
    no_search_values,
    found_first,
    found_last,
    below_every_value,
    absent_between,
    above_every_value,
    found_more_than_once,
    all_values_equal,
    extreme_value,
    feature_count
};
constexpr common::Feature features[] = {
    {"negative value", "a value below 0 in either sequence or among the search values"},
    {"repeated value", "a value that stands twice or more in one sequence"},
    {"value in both sequences", "a value that stands in the first sequence and in the second"},
    {"empty sequence", "n = 0 or m = 0"},
    {"no search values", "q = 0"},
    {"found at first position", "a search value at position 1 of the merged sequence"},
    {"found at last position", "a search value at position n + m of the merged sequence"},
    {"below every value", "a search value below the smallest value of the sequences"},
    {"absent between values",
     "a search value between the smallest and the largest value of the sequences that neither holds"},
    {"above every value", "a search value above the largest value of the sequences"},
    {"found more than once", "a search value at two or more positions of the merged sequence"},
    {"all values equal", "the merged sequence holds two values or more, all equal"},
    {"32-bit extreme", "-2147483648 or 2147483647 in either sequence or among the search values"},
};
static_assert(std::size(features) == feature_count);

// What --help shows after the options; FILE stands in for standard input.
const std::string more_help = std::string(R"(Checks, in input order (every token a whole decimal integer: an optional sign
and digits):
  - the first length n and the second length m, each within 0..10000000;
  - n values of the first sequence, then m of the second, each within
    -2147483648..2147483647 and none below the one before it;
  - the number of search values q, within 0..2147483647, then q search values
    within -2147483648..2147483647;
  - nothing but white space after the last search value.
Input that ends early is reported at its end.
With --strict, also the layout pro6-maketest writes: "n m" on the first line
with one blank between, each sequence on a line of its own with single blanks
between its values (an empty line for an empty sequence), q alone on the
fourth line, each search value alone on a line, a final line break and nothing
after it; numbers as printf's "%d" writes them (no plus sign, no leading zero,
no minus zero).
)") + common::features_help(features) + R"(Exit status: 0 for a valid case; 1 for an invalid one, or on a read or write
error; 2 for a usage error.
)";

const common::Usage usage{
    "[FILE]",
    R"(Reads one PRO6 case from FILE (standard input when FILE is missing or -) and
checks it against the limits of the format. A valid case gets a report on
standard output: the lengths, the number of search values, the distinct values
of each sequence, how many search values occur in the sequences, and the
smallest and largest value of every bounded quantity beside its limits, marking
the limits the case reaches. The first violation gets one line on standard
error, with its place and the token found there.
)",
    {
        {"strict", 0, nullptr, "also require the layout pro6-maketest writes"},
        {common::features_option, 0, nullptr, "also report the features the case has (listed below)"},
    },
    R"(  printf '10 10\n5\n3\n' | pro6-maketest --seed 7 | pro6-validate --strict
  pro6-validate --features case.txt
)",
    more_help.c_str(),
};

// One sequence as read: its length, its smallest and largest value, and its
// distinct values ascending (enough to tell whether a value occurs); for
// --features also whether each stands more than once.
struct Sequence {
    const char* name;  // "first" or "second"
    std::int32_t length = 0;
    common::Extremes extremes;
    std::unique_ptr<std::int32_t[]> distinct_values;
    std::unique_ptr<std::uint8_t[]> repeated;  // 1 for a distinct value that stands twice or more
    std::int64_t distinct = 0;
};

// Reads up to `count` values of a sequence straight from the input block
// while each is plain (a number as "%d" writes it, of at most nine digits,
// behind a single blank, with white space behind it in the block) and not
// below `last`, the value before it; updates `last` and appends each value
// that differs from the one before it to `distinct` at `stored` (with
// mark_repeats, marking in `repeated` each that stands again). Returns how
// many it read; it stops before any other token (a longer number, other
// white space, a descent, the end of the block), for the token reader to
// read and judge. The loop that carries a sequence's tens of millions of
// values: one pass over their bytes, nothing kept per token. Each number is
// first taken to be as wide as the one before, which one word shows and
// converts at once (common/digit_words.hpp); the processor then runs ahead
// to the next number before this one's digits are in. Another width is
// counted from the word, and from a second one past eight digits.
template <bool mark_repeats>
std::int32_t read_ascending_run(common::NumberTokens& tokens, std::int32_t count, std::int32_t& last,
                                std::int32_t* distinct, std::uint8_t* repeated, std::int64_t& stored)
{
    // A blank and a sign, then two words of eight bytes for the digits and
    // the byte behind them.
    constexpr std::size_t reach = 2 + 16;
    const std::string_view block = tokens.unread();
    if (block.size() < reach)
        return 0;
    const char* const last_start = block.data() + (block.size() - reach);
    const char* p = block.data();
    std::int32_t done = 0;
    std::int32_t previous = last;
    std::int64_t kept = stored;
    common::DigitWidth guess;
    while (done < count && p <= last_start && *p == ' ') {
        // A branch rather than arithmetic on the sign: predicted, it keeps
        // the next number's place from waiting on this one's bytes.
        const char* q = p + 1;
        bool negative = false;
        if (*q == '-') [[unlikely]] {
            negative = true;
            ++q;
        }
        const std::uint64_t word = common::load_word(q);
        int length = guess.digits();
        std::int64_t magnitude = 0;
        if (guess.fits(word)) [[likely]] {
            magnitude = guess.value(word);
        } else {
            length = common::leading_digits(word);
            magnitude = static_cast<std::int64_t>(common::digits_value(word, length));
            if (length == 8) {
                const std::uint64_t second = common::load_word(q + 8);
                const int more = common::leading_digits(second);
                length += more;
                magnitude = magnitude * static_cast<std::int64_t>(common::powers_of_ten[more]) +
                            static_cast<std::int64_t>(common::digits_value(second, more));
            }
            guess = common::DigitWidth(length);
        }
        if (length == 0 || length > 9 || !common::is_space(static_cast<unsigned char>(q[length])) ||
            (*q == '0' && (length > 1 || negative)))
            break;
        const auto value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
        if (value < previous)
            break;
        // Stored always, kept only when new: no branch to mispredict. A
        // new value's mark starts at 0 in the same way; the run has a
        // value before it, so kept is at least 1.
        distinct[kept] = value;
        if constexpr (mark_repeats) {
            repeated[kept] = 0;
            repeated[kept - 1] |= static_cast<std::uint8_t>(value == previous);
        }
        kept += value != previous;
        previous = value;
        p = q + length;
        ++done;
    }
    last = previous;
    stored = kept;
    tokens.consume_within_line(static_cast<std::size_t>(p - block.data()));
    return done;
}

// A count and its noun: "1 order", "2 orders".
std::string counted(std::int64_t count, const std::string& noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// Where the first value not below x stands, looking from `from` on, where
// every value before is below x: steps that double until one reaches x, then
// bisection of the last step. Values near `from` are near in memory too.
std::int64_t lower_bound_from(const std::int32_t* values, std::int64_t length, std::int64_t from, std::int32_t x)
{
    if (from >= length || values[from] >= x)
        return from;
    std::int64_t below = from;  // values[below] < x
    std::int64_t step = 1;
    while (below + step < length && values[below + step] < x) {
        below += step;
        step *= 2;
    }
    const std::int64_t limit = std::min(below + step, length);
    return std::lower_bound(values + below + 1, values + limit, x) - values;
}

class CaseChecker {
public:
    CaseChecker(common::Input& in, bool strict, bool features) : tokens_(in), strict_(strict), features_(features)
    {
        sequences_[0].name = "first";
        sequences_[1].name = "second";
    }

    // Reads the whole case; the first violation ends the program.
    void check()
    {
        sequences_[0].length = read_length("the first length", breaks[0]);
        sequences_[1].length = read_length("the second length", blank);
        // Line 2 holds the first sequence, line 3 the second, line 4 q: the
        // white space before each first number skips the empty lines.
        int lines_on = 1;
        for (Sequence& sequence : sequences_) {
            if (sequence.length > 0) {
                if (features_)
                    read_sequence<true>(sequence, breaks[lines_on]);
                else
                    read_sequence<false>(sequence, breaks[lines_on]);
                lines_on = 0;
            }
            ++lines_on;
        }
        read_search_values(breaks[lines_on]);
        check_end();
    }

    void report() const
    {
        common::Report report;
        report.fact("first length n", std::to_string(sequences_[0].length));
        report.fact("second length m", std::to_string(sequences_[1].length));
        report.fact("search values q", std::to_string(searched_));
        report.fact("lines", std::to_string(tokens_.lines()));
        for (const Sequence& sequence : sequences_)
            report.fact(std::string("distinct values in the ") + sequence.name + " sequence",
                        std::to_string(sequence.distinct));
        report.fact("search values found in the sequences", std::to_string(found_));
        report.fact("search values not found", std::to_string(searched_ - found_));
        for (const Sequence& sequence : sequences_) {
            common::Extremes length;
            length.see(sequence.length);
            report.bound(std::string(sequence.name) + " length", length, 0, max_length);
        }
        for (const Sequence& sequence : sequences_)
            report.bound(std::string(sequence.name) + " sequence values", sequence.extremes, int32_lowest,
                         int32_highest);
        report.bound("search values", search_extremes_, int32_lowest, int32_highest);
        if (features_) {
            const std::array<bool, feature_count> has = features_found();
            report.features(features, has);
        }
        report.print();
    }

private:
    // The next token, which must be a whole decimal integer within
    // lowest..highest, after the white space `layout` in strict mode. `what`
    // names it in messages, `ended` says what the input lacks when it ends
    // first; both are only called on a violation.
    template <class What, class Ended>
    std::int64_t read_number(What what, Ended ended, std::string_view layout, std::int64_t lowest,
                             std::int64_t highest)
    {
        if (!tokens_.next())
            common::invalid(tokens_.place(), ended(), "");
        if (strict_ && !tokens_.gap_is(layout))
            violation(what() + " must " + layout_rule(layout) + " " + tokens_.shown_gap());
        if (!tokens_.is_number())
            violation(what() + " is not a whole decimal integer");
        const std::int64_t value = tokens_.value();
        if (value < lowest)
            violation(what() + " is below " + std::to_string(lowest));
        if (value > highest)
            violation(what() + " is above " + std::to_string(highest));
        if (strict_ && !tokens_.is_canonical())
            violation(what() + " is not written as printf's \"%d\" writes it: no plus sign, leading zero or minus zero");
        return value;
    }

    std::int32_t read_length(const char* what, std::string_view layout)
    {
        const auto named = [&] { return std::string(what); };
        const auto ended = [&] { return "the input ends before " + std::string(what); };
        return static_cast<std::int32_t>(read_number(named, ended, layout, 0, max_length));
    }

    // Reads the values of a sequence, keeping the distinct ones and, with
    // mark_repeats, which of them stand more than once. The marks are set
    // as the values come, so that only as many of their bytes are touched
    // as there are distinct values.
    template <bool mark_repeats>
    void read_sequence(Sequence& sequence, std::string_view first_layout)
    {
        const std::int32_t length = sequence.length;
        sequence.distinct_values.reset(new std::int32_t[static_cast<std::size_t>(length)]);
        std::int32_t* const distinct = sequence.distinct_values.get();
        if (mark_repeats)
            sequence.repeated.reset(new std::uint8_t[static_cast<std::size_t>(length)]);
        std::uint8_t* const repeated = sequence.repeated.get();
        std::int64_t count = 0;
        std::int32_t last = 0;
        for (std::int32_t i = 0; i < length; ++i) {
            // The plain values run fast; whatever stops the run (the end
            // of a block, another kind of token, a fault) comes here.
            if (i > 0) {
                i += read_ascending_run<mark_repeats>(tokens_, length - i, last, distinct, repeated, count);
                if (i == length)
                    break;
            }
            const auto what = [&] {
                return "value " + std::to_string(i + 1) + " of the " + sequence.name + " sequence";
            };
            const auto ended = [&] {
                return "the input ends after " + std::to_string(i) + " of the " + counted(length, "value") +
                       " of the " + sequence.name + " sequence";
            };
            const auto value = static_cast<std::int32_t>(
                read_number(what, ended, i == 0 ? first_layout : blank, int32_lowest, int32_highest));
            if (i > 0 && value < last)
                violation(what() + " is below the one before it");
            if (i == 0 || value != last) {
                if (mark_repeats)
                    repeated[count] = 0;
                distinct[count++] = value;
            } else if (mark_repeats) {
                repeated[count - 1] = 1;
            }
            last = value;
        }
        sequence.distinct = count;
        if (length > 0) {
            sequence.extremes.see(distinct[0]);
            sequence.extremes.see(last);
        }
    }

    void read_search_values(std::string_view count_layout)
    {
        const auto count_named = [] { return std::string("the number of search values"); };
        const auto count_ended = [] { return std::string("the input ends before the number of search values"); };
        searched_ = read_number(count_named, count_ended, count_layout, 0, int32_highest);
        std::vector<std::int32_t> batch;
        batch.reserve(std::min<std::size_t>(batch_size, static_cast<std::size_t>(searched_)));
        for (std::int64_t i = 0; i < searched_; ++i) {
            const auto what = [&] { return "search value " + std::to_string(i + 1); };
            const auto ended = [&] {
                return "the input ends after " + std::to_string(i) + " of the " + counted(searched_, "search value");
            };
            const auto value =
                static_cast<std::int32_t>(read_number(what, ended, breaks[1], int32_lowest, int32_highest));
            search_extremes_.see(value);
            batch.push_back(value);
            if (batch.size() == batch_size)
                count_found(batch);
        }
        count_found(batch);
    }

    // Adds to found_ how many values of the batch occur in either sequence,
    // and empties it; with --features, notes where each stands.
    void count_found(std::vector<std::int32_t>& batch)
    {
        std::sort(batch.begin(), batch.end());
        const Range range = merged_range();
        std::int64_t at[2] = {0, 0};
        for (const std::int32_t x : batch) {
            bool present = false;
            for (int s = 0; s < 2; ++s) {
                const Sequence& sequence = sequences_[s];
                const std::int32_t* const values = sequence.distinct_values.get();
                at[s] = lower_bound_from(values, sequence.distinct, at[s], x);
                present = present || (at[s] < sequence.distinct && values[at[s]] == x);
            }
            found_ += present;
            if (features_ && range.any)
                note_search_value(x, present, range, at);
        }
        batch.clear();
    }

    // The smallest and largest value of the merged sequence, if it holds any.
    struct Range {
        bool any = false;
        std::int64_t smallest = int32_highest;
        std::int64_t largest = int32_lowest;
    };

    Range merged_range() const
    {
        Range range;
        for (const Sequence& sequence : sequences_) {
            if (!sequence.extremes.seen())
                continue;
            range.any = true;
            range.smallest = std::min(range.smallest, sequence.extremes.smallest());
            range.largest = std::max(range.largest, sequence.extremes.largest());
        }
        return range;
    }

    // The features of search value x, given whether it is present, the
    // merged sequence's range (not empty) and, in each sequence, where the
    // first distinct value not below x stands.
    void note_search_value(std::int32_t x, bool present, const Range& range, const std::int64_t* at)
    {
        if (!present) {
            has_[x < range.smallest ? below_every_value : x > range.largest ? above_every_value : absent_between] = true;
            return;
        }
        has_[found_first] = has_[found_first] || x == range.smallest;
        has_[found_last] = has_[found_last] || x == range.largest;
        int positions = 0;  // 2 stands for two or more
        for (int s = 0; s < 2; ++s) {
            const Sequence& sequence = sequences_[s];
            if (at[s] < sequence.distinct && sequence.distinct_values[at[s]] == x)
                positions += 1 + sequence.repeated[at[s]];
        }
        has_[found_more_than_once] = has_[found_more_than_once] || positions > 1;
    }

    // The features of the whole case, the search values' noted on the way.
    std::array<bool, feature_count> features_found() const
    {
        std::array<bool, feature_count> has = has_;
        const Sequence& first = sequences_[0];
        const Sequence& second = sequences_[1];
        const auto any = [&](auto test) {
            return test(first.extremes) || test(second.extremes) || test(search_extremes_);
        };
        has[negative_value] = any([](const common::Extremes& met) { return met.seen() && met.smallest() < 0; });
        has[extreme_value] = any([](const common::Extremes& met) {
            return met.seen() && (met.smallest() == int32_lowest || met.largest() == int32_highest);
        });
        has[repeated_value] = first.distinct < first.length || second.distinct < second.length;
        has[value_in_both] = shared_value();
        has[empty_sequence] = first.length == 0 || second.length == 0;
        has[no_search_values] = searched_ == 0;
        const Range range = merged_range();
        has[all_values_equal] = std::int64_t{first.length} + second.length >= 2 && range.smallest == range.largest;
        return has;
    }

    // Whether a value stands in both sequences: each value of the shorter
    // looked up in the longer, from where the one before was found.
    bool shared_value() const
    {
        const bool first_shorter = sequences_[0].distinct <= sequences_[1].distinct;
        const Sequence& shorter = sequences_[first_shorter ? 0 : 1];
        const Sequence& longer = sequences_[first_shorter ? 1 : 0];
        const std::int32_t* const values = longer.distinct_values.get();
        std::int64_t at = 0;
        for (std::int64_t i = 0; i < shorter.distinct && at < longer.distinct; ++i) {
            const std::int32_t x = shorter.distinct_values[i];
            at = lower_bound_from(values, longer.distinct, at, x);
            if (at < longer.distinct && values[at] == x)
                return true;
        }
        return false;
    }

    void check_end()
    {
        if (tokens_.next()) {
            violation(searched_ > 0
                          ? "text after the last search value (the case holds " + std::to_string(searched_) + ")"
                          : std::string("text after the number of search values (the case holds none)"));
        }
        if (strict_ && !tokens_.gap_is(breaks[1]))
            common::invalid(tokens_.place(),
                            tokens_.gap_length() == 0 ? std::string("the last line does not end with a line break")
                                                      : "the case must end with a single line break, not " +
                                                            tokens_.shown_gap(),
                            "");
    }

    // The layout rule the white space `layout` stands for, leading to the
    // white space found instead.
    static std::string layout_rule(std::string_view layout)
    {
        if (layout.empty())
            return "start the input, not follow";
        if (layout == blank)
            return "follow a single blank, not";
        if (layout.size() == 1)
            return "follow a single line break, not";
        return "follow a line break and " +
               (layout.size() == 2 ? std::string("an empty line") : std::to_string(layout.size() - 1) + " empty lines") +
               ", not";
    }

    [[noreturn]] void violation(const std::string& what) const
    {
        common::invalid(tokens_.place(), what, tokens_.text());
    }

    common::NumberTokens tokens_;
    bool strict_;
    bool features_;
    Sequence sequences_[2];
    std::int64_t searched_ = 0;
    std::int64_t found_ = 0;
    common::Extremes search_extremes_;
    std::array<bool, feature_count> has_{};  // the search values' features, noted as they are looked up
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "pro6-validate";
    const common::Arguments args(usage, argc, argv);
    args.open_file_as_input();
    common::Input in;
    CaseChecker checker(in, args.flag("strict"), args.flag(common::features_option));
    checker.check();
    checker.report();
    return 0;
}
