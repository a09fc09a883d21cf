// pro6-validate: reads one PRO6 case and tells whether it lies within every
// limit of the format: the lengths n and m within 0..10000000, then n and m
// values in signed 32 bits, each sequence non-decreasing, a count q of at
// least 0 and q search values in signed 32 bits, nothing after them. A valid
// case gets a report on standard output: its sizes, the extremes of every
// bounded quantity beside its limits, how many distinct values each sequence
// holds and how many search values occur in the sequences. The first
// violation gets one line on standard error, with its place, and status 1.
// --strict also requires the exact layout pro6-maketest writes.

#include <algorithm>
#include <cstdint>
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

// What --help shows; FILE stands in for standard input.
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
    },
    R"(  printf '10 10\n5\n3\n' | pro6-maketest --seed 7 | pro6-validate --strict
)",
    R"(Checks, in input order (every token a whole decimal integer: an optional sign
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
Exit status: 0 for a valid case; 1 for an invalid one, or on a read or write
error; 2 for a usage error.
)",
};

// One sequence as read: its length, its smallest and largest value, and its
// distinct values ascending (enough to tell whether a value occurs).
struct Sequence {
    const char* name;  // "first" or "second"
    std::int32_t length = 0;
    common::Extremes extremes;
    std::unique_ptr<std::int32_t[]> distinct_values;
    std::int64_t distinct = 0;
};

// Reads up to `count` values of a sequence straight from the input block
// while each is plain (a number as "%d" writes it, of at most nine digits,
// behind a single blank, with white space behind it in the block) and not
// below `last`, the value before it; updates `last` and appends each value
// that differs from the one before it to `distinct` at `stored`. Returns how
// many it read; it stops before any other token (a longer number, other
// white space, a descent, the end of the block), for the token reader to
// read and judge. The loop that carries a sequence's tens of millions of
// values: one pass over their bytes, nothing kept per token. Each number is
// first taken to be as wide as the one before, which one word shows and
// converts at once (common/digit_words.hpp); the processor then runs ahead
// to the next number before this one's digits are in. Another width is
// counted from the word, and from a second one past eight digits.
std::int32_t read_ascending_run(common::NumberTokens& tokens, std::int32_t count, std::int32_t& last,
                                std::int32_t* distinct, std::int64_t& stored)
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
        // Stored always, kept only when new: no branch to mispredict.
        distinct[kept] = value;
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
    CaseChecker(common::Input& in, bool strict) : tokens_(in), strict_(strict)
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
                read_sequence(sequence, breaks[lines_on]);
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

    void read_sequence(Sequence& sequence, std::string_view first_layout)
    {
        const std::int32_t length = sequence.length;
        sequence.distinct_values.reset(new std::int32_t[static_cast<std::size_t>(length)]);
        std::int32_t* const distinct = sequence.distinct_values.get();
        std::int64_t count = 0;
        std::int32_t last = 0;
        for (std::int32_t i = 0; i < length; ++i) {
            // The plain values run fast; whatever stops the run (the end
            // of a block, another kind of token, a fault) comes here.
            if (i > 0) {
                i += read_ascending_run(tokens_, length - i, last, distinct, count);
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
            if (i == 0 || value != last)
                distinct[count++] = value;
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
    // and empties it.
    void count_found(std::vector<std::int32_t>& batch)
    {
        std::sort(batch.begin(), batch.end());
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
        }
        batch.clear();
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
    Sequence sequences_[2];
    std::int64_t searched_ = 0;
    std::int64_t found_ = 0;
    common::Extremes search_extremes_;
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "pro6-validate";
    const common::Arguments args(usage, argc, argv);
    args.open_file_as_input();
    common::Input in;
    CaseChecker checker(in, args.flag("strict"));
    checker.check();
    checker.report();
    return 0;
}
