// pro6-solve: reads two non-decreasing integer sequences and a list of search
// values, prints the merged sequence on one line and then, for each search
// value, every 1-based position at which it stands in the merged sequence, or
// "Number Not Found". Timing traces on standard error mark the ends of the
// stages: reading, ordering and printing, answering.
//
// Three builds of this source:
//   pro6-solve    stable merge of the two sequences, binary search; when both
//                 are non-decreasing (as the exercise gives them) the merge
//                 is written straight from them and each is searched, with
//                 no merged copy stored;
//   pro6-solve-b  (BUBBLE_SORT) both sequences in one store, ordered by a
//                 bubble sort, binary search; the sequences may be unsorted;
//   pro6-solve-c  (LINEAR_SEARCH) stable merge, linear scan.

#include <sys/mman.h>

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "common/bits.hpp"
#include "common/command_line.hpp"
#include "common/cpu_clock.hpp"
#include "common/digit_words.hpp"
#include "common/fail.hpp"
#include "common/input.hpp"
#include "common/output.hpp"

namespace {

#if defined(BUBBLE_SORT)
constexpr const char* name = "pro6-solve-b";
#elif defined(LINEAR_SEARCH)
constexpr const char* name = "pro6-solve-c";
#else
constexpr const char* name = "pro6-solve";
#endif

#if defined(FUZZING) && (defined(BUBBLE_SORT) || defined(LINEAR_SEARCH))
// Fuzzing builds of the quadratic variants hold fewer values, so that every
// legitimate run ends within the fuzzer's timeout.
[[maybe_unused]] constexpr std::int32_t max_length = 10'000;
constexpr std::int32_t max_total = 20'000;
#else
[[maybe_unused]] constexpr std::int32_t max_length = 10'000'000;  // values per sequence
constexpr std::int32_t max_total = 20'000'000;   // values of both sequences
#endif

// The stores, zero at start; a slot the input does not reach stays 0. Pages
// the case does not touch are never mapped.
#if defined(BUBBLE_SORT)
std::int32_t store[max_total];  // first sequence, then the second; sorted in place
#else
std::int32_t first[max_length];
std::int32_t second[max_length];
std::int32_t merged[max_total];
#endif

// Asks for the pages of values[0] to values[count - 1] to be mapped 2 MB at
// a time rather than 4 KB: a store of 10,000,000 values then costs 20 page
// faults instead of about 10,000 (on two such stores, a tenth of a second of
// system time saved). Only whole aligned 2 MB stretches qualify; where the
// system declines, pages stay small and nothing else changes.
void ask_for_large_pages(std::int32_t* values, std::int32_t count)
{
    constexpr std::uintptr_t large = std::uintptr_t{1} << 21;
    const auto begin = reinterpret_cast<std::uintptr_t>(values);
    const std::uintptr_t from = (begin + large - 1) & ~(large - 1);
    const std::uintptr_t to = (begin + static_cast<std::uintptr_t>(count) * sizeof *values) & ~(large - 1);
    if (from < to)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

void trace(const char* stage)
{
    std::fprintf(stderr, ">>> %s: %d\n", stage, common::cpu_milliseconds());
}

// Reads "%d" values the way the program's input is defined: a read that
// fails leaves its target as it was. A sign without a digit behind it is
// consumed by the read that fails on it, and the next read goes on behind
// it; any other failure (the input ended, or something other than a number
// stands next) consumes nothing, so every later read fails too. A number
// outside the signed 32-bit range ends the program.
class ValueReader {
public:
    // False when the read failed; `value` is then unchanged. `what` and
    // `index` (from 1; 0 for a single value) name the value in a message.
    bool read(std::int32_t& value, const char* what, long index = 0)
    {
        const common::ReadStatus status = read_status(value);
        if (status == common::ReadStatus::out_of_range)
            fail_out_of_range(what, index);
        return status == common::ReadStatus::ok;
    }

    // As read(), but a number outside the range is reported rather than
    // ending the program, for callers with something to finish first.
    common::ReadStatus read_status(std::int32_t& value)
    {
        if (!stuck())
            status_ = in_.read_int(value);
        return status_;
    }

    [[noreturn]] static void fail_out_of_range(const char* what, long index)
    {
        if (index > 0)
            common::fail("value %ld of the %s is outside the signed 32-bit range", index, what);
        common::fail("the %s is outside the signed 32-bit range", what);
    }

    // Reads `count` values into `values`; a slot whose read fails keeps
    // what it held, and so do all after it unless the input goes on.
    // Numbers standing whole in the input buffer are parsed here in one
    // tight loop (far faster than one read_int call each); anything else (a
    // number that reaches the end of the buffer, a sign without digits, a
    // long or out-of-range number, the end of input) goes through read().
    // Returns whether the values now stored are non-decreasing, found out
    // on the way at the cost of one comparison each.
    bool read_all(std::int32_t* values, std::int32_t count, const char* what)
    {
        ask_for_large_pages(values, count);
        bool ascending = true;
        std::int32_t i = 0;
        while (i < count) {
            i += parse_whole(values, i, count, ascending);
            if (i == count)
                break;
            const bool stopped = !read(values[i], what, i + 1L) && stuck();
            ascending &= i == 0 || values[i - 1] <= values[i];
            if (stopped)
                break;  // slots i onward all hold what they held: 0
            ++i;
        }
        return ascending;
    }

    // Reads a length the stores must hold; any fault ends the program.
    std::int32_t read_length(const char* what, std::int32_t limit)
    {
        std::int32_t value = 0;
        if (!read(value, what)) {
            if (status_ == common::ReadStatus::end)
                common::fail("the %s is missing: the input ended", what);
            common::fail("the %s is not a number", what);
        }
        if (value < 0)
            common::fail("the %s %d is below 0", what, value);
        if (value > limit)
            common::fail("the %s %d is above %d", what, value, limit);
        return value;
    }

private:
    // True once a read failed without consuming anything: every read after
    // it would fail at the same place.
    bool stuck() const
    {
        return status_ == common::ReadStatus::end || status_ == common::ReadStatus::no_number;
    }

    // Parses numbers into values[from] up to values[count - 1] as long as
    // each stands whole in the buffer, followed by white space, with at most
    // nine digits; stops before the first that does not. Clears `ascending`
    // when a value is below the one before it. Returns how many it stored.
    //
    // Ordered values mostly have as many digits as the one before, so each
    // number is first taken to be that wide (common::DigitWidth): one 8-byte
    // load shows whether it is, and its digits are then converted together.
    // The guess lets the processor run ahead to the next number before this
    // one's bytes are in; a number of another width is read digit by digit
    // and sets the guess for the next. White space other than the one byte
    // behind a number, and signs, take branches that are predicted not
    // taken, for the same reason.
    std::int32_t parse_whole(std::int32_t* values, std::int32_t from, std::int32_t count, bool& ascending)
    {
        if (stuck() || !in_.fill())
            return 0;
        const char* const start = in_.data();
        const char* const end = start + in_.available();
        const char* p = start;  // behind the last number stored and the white space after it
        std::int32_t* next = values + from;
        std::int32_t* const last = values + count;
        std::int32_t previous = from > 0 ? values[from - 1] : INT32_MIN;
        bool descended = false;
        common::DigitWidth guess;
        while (next < last) {
            // Room for white space, a sign, the 8-byte load or nine digits,
            // and the white space behind; nearer the end read() takes over.
            if (end - p < 16)
                break;
            const char* q = p;
            if (static_cast<unsigned char>(*q) <= ' ') [[unlikely]] {
                while (q < end && common::is_space(static_cast<unsigned char>(*q)))
                    ++q;
                if (end - q < 16)
                    break;
            }
            bool negative = false;
            if (*q == '-' || *q == '+') [[unlikely]] {
                negative = *q == '-';
                ++q;
            }
            const std::uint64_t chunk = common::load_word(q);
            std::int32_t magnitude = 0;
            const char* after = q;
            if (guess.fits(chunk)) [[likely]] {
                magnitude = guess.value(chunk);
                after = q + guess.digits();
            } else {
                while (after - q < 9 && common::is_digit(static_cast<unsigned char>(*after)))
                    magnitude = magnitude * 10 + (*after++ - '0');
                if (after == q)
                    break;
                guess = common::DigitWidth(static_cast<int>(after - q));
            }
            if (!white_space[static_cast<unsigned char>(*after)])
                break;
            const std::int32_t value = negative ? -magnitude : magnitude;
            *next++ = value;
            descended |= value < previous;
            previous = value;
            p = after + 1;
        }
        in_.advance(static_cast<std::size_t>(p - start));
        ascending &= !descended;
        return static_cast<std::int32_t>(next - (values + from));
    }

    // common::is_space as a table: one load where the number's end is tested.
    static constexpr auto white_space = [] {
        std::array<bool, 256> table{};
        for (int c = 0; c < 256; ++c)
            table[static_cast<std::size_t>(c)] = common::is_space(c);
        return table;
    }();

    common::Input in_;
    common::ReadStatus status_ = common::ReadStatus::ok;  // of the last read
};

// Writes a line of values with a blank between two of them, no newline.
// They are formatted straight into the writer's buffer, and a value equal
// to the one before it is copied rather than formatted again: ordered
// values repeat.
class LineWriter {
public:
    explicit LineWriter(common::Output& out)
        : out_(out), p_(out.room_for(sizeof text_)), end_(out.room_end())
    {
    }
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    // Adds the value `times` times (at least once). The copies go through
    // locals, which the compiler keeps in registers.
    void add(std::int32_t value, std::int32_t times = 1)
    {
        if (value != last_) {
            length_ = static_cast<std::size_t>(std::to_chars(text_ + 1, text_ + sizeof text_, value).ptr - text_);
            last_ = value;
        }
        char* p = p_;
        const std::size_t length = length_;
        if (first_) [[unlikely]] {  // the line's first value has no blank before it
            first_ = false;
            std::memcpy(p, text_ + 1, sizeof text_ - 1);
            p += length - 1;
            --times;
        }
        for (; times > 0; --times) {
            if (static_cast<std::size_t>(end_ - p) < sizeof text_) {
                out_.filled_to(p);
                p = out_.room_for(sizeof text_);
                end_ = out_.room_end();
            }
            std::memcpy(p, text_, sizeof text_);
            p += length;
        }
        p_ = p;
    }

    // Hands what it wrote to the writer.
    void finish() { out_.filled_to(p_); }

private:
    common::Output& out_;
    char* p_;    // where the next value goes in the writer's buffer
    char* end_;  // the end of that buffer
    char text_[16] = {' ', '0'};  // the last value formatted, behind its blank
    std::size_t length_ = 2;
    std::int32_t last_ = 0;
    bool first_ = true;
};

void write_values(common::Output& out, const std::int32_t* values, std::int32_t count)
{
    LineWriter line(out);
    for (std::int32_t i = 0; i < count; ++i)
        line.add(values[i]);
    line.finish();
}

#if !defined(BUBBLE_SORT)
// Stable merge: on equal values the first sequence's element goes first.
// The choice is computed rather than branched on, since random values
// mispredict about every other branch.
void merge_into(const std::int32_t* a, std::int32_t n, const std::int32_t* b, std::int32_t m, std::int32_t* to)
{
    std::int32_t i = 0, j = 0, k = 0;
    while (i < n && j < m) {
        const bool from_a = a[i] <= b[j];
        to[k++] = from_a ? a[i] : b[j];
        i += from_a;
        j += !from_a;
    }
    while (i < n)
        to[k++] = a[i++];
    while (j < m)
        to[k++] = b[j++];
}

// The values the merged line and the answers come from. When both
// sequences are non-decreasing their merge is written straight from them
// and a search value is looked up in each, so no merged copy is stored:
// `merged` is then null. Otherwise the merge is stored and searched as it
// stands, out of order as it may be.
struct Ordered {
    const std::int32_t* merged;
    const std::int32_t* first;
    std::int32_t n;
    const std::int32_t* second;
    std::int32_t m;
};

Ordered merge(const std::int32_t* a, std::int32_t n, const std::int32_t* b, std::int32_t m, bool ascending)
{
#if defined(LINEAR_SEARCH)
    ascending = false;  // the scan walks the stored merge
#endif
    if (ascending)
        return {nullptr, a, n, b, m};
    ask_for_large_pages(merged, n + m);
    merge_into(a, n, b, m, merged);
    return {merged, a, n, b, m};
}

void write_values(common::Output& out, const Ordered& ordered, std::int32_t total)
{
    if (ordered.merged != nullptr) {
        write_values(out, ordered.merged, total);
        return;
    }
    // The stable merge, run by run: a run of equal values is found by a scan
    // whose branch the processor predicts well (the choice between the
    // sequences, a coin toss, is then made once a run rather than once a
    // value), and its text is formatted once and copied.
    const std::int32_t *a = ordered.first, *b = ordered.second;
    const std::int32_t n = ordered.n, m = ordered.m;
    LineWriter line(out);
    std::int32_t i = 0, j = 0;
    while (i < n && j < m) {
        if (a[i] <= b[j]) {
            const std::int32_t value = a[i], start = i;
            while (++i < n && a[i] == value) {
            }
            line.add(value, i - start);
        } else {
            const std::int32_t value = b[j], start = j;
            while (++j < m && b[j] == value) {
            }
            line.add(value, j - start);
        }
    }
    for (; i < n; ++i)
        line.add(a[i]);
    for (; j < m; ++j)
        line.add(b[j]);
    line.finish();
}
#else
// Bubble sort over the whole store on every pass, until a pass swaps nothing
// or after total - 1 passes. Equal neighbours are never swapped. The exchange
// is written with min and max so that it compiles without a branch: the same
// comparisons, the same order after each pass.
void bubble_sort(std::int32_t* values, std::int32_t total)
{
    const std::int32_t last = total - 1;
    bool swapped = true;
    for (std::int32_t pass = 1; pass <= last && swapped; ++pass) {
        swapped = false;
        for (std::int32_t j = 0; j < last; ++j) {
            const std::int32_t left = values[j], right = values[j + 1];
            values[j] = left < right ? left : right;
            values[j + 1] = left < right ? right : left;
            swapped |= left > right;
        }
    }
}
#endif

// The indexes of the run of x in the ordered values: first > last when x is
// not there.
struct Run {
    std::int32_t first = 1;
    std::int32_t last = 0;
};

Run find(const std::int32_t* values, std::int32_t total, std::int32_t x)
{
    std::int32_t hit = -1;
#if defined(LINEAR_SEARCH)
    for (std::int32_t i = 0; i < total; ++i) {
        if (values[i] == x) {
            hit = i;
            break;
        }
    }
#else
    std::int32_t lo = 0, hi = total - 1;
    while (lo <= hi) {
        const std::int32_t mid = (lo + hi) / 2;
        if (values[mid] == x) {
            hit = mid;
            break;
        }
        if (x < values[mid])
            hi = mid - 1;
        else
            lo = mid + 1;
    }
#endif
    if (hit < 0)
        return {};
    Run run{hit, hit};
    while (run.first > 0 && values[run.first - 1] == x)
        --run.first;
    while (run.last + 1 < total && values[run.last + 1] == x)
        ++run.last;
    return run;
}

// Search values are read and looked up a batch at a time.
constexpr std::int32_t batch = 64;

#if !defined(BUBBLE_SORT)
// For each of xs[0] to xs[size - 1], how many of the non-decreasing values
// are below it, by bisection: the answer lies in lo to lo + length. The
// searches of a batch step side by side and each step's choice is a
// conditional move (written so that the compiler makes it one), not a
// branch: the loads of all the searches are then under way at once
// instead of each waiting for the one before, most of them far out of
// the cache.
void count_below(const std::int32_t* values, std::int32_t count, const std::int32_t* xs, std::int32_t size,
                 std::int32_t* below)
{
    std::int32_t lo[batch] = {};
    for (std::int32_t length = count; length > 1;) {
        const std::int32_t half = length / 2;
        for (std::int32_t i = 0; i < size; ++i)
            lo[i] += values[lo[i] + half - 1] < xs[i] ? half : 0;
        length -= half;
    }
    for (std::int32_t i = 0; i < size; ++i)
        below[i] = count == 0 ? 0 : lo[i] + (values[lo[i]] < xs[i]);
}

// The runs of xs[0] to xs[size - 1] in the stable merge of two
// non-decreasing sequences: the values below x in both come first, then
// the first sequence's x, then the second's. Each run is walked to its
// end, as the merged search widens.
void find_runs(const Ordered& ordered, const std::int32_t* xs, std::int32_t size, Run* runs)
{
    std::int32_t a[batch], b[batch];
    count_below(ordered.first, ordered.n, xs, size, a);
    count_below(ordered.second, ordered.m, xs, size, b);
    for (std::int32_t i = 0; i < size; ++i) {
        const std::int32_t below = a[i] + b[i];
        while (a[i] < ordered.n && ordered.first[a[i]] == xs[i])
            ++a[i];
        while (b[i] < ordered.m && ordered.second[b[i]] == xs[i])
            ++b[i];
        runs[i] = {below, a[i] + b[i] - 1};
    }
}
#endif

// A position as text: its digits (at most eight, as positions stay within
// 20,000,000) held in one word, the first digit in the low byte, so that
// counting up is one addition to the last digit's byte unless that digit
// is a 9, and writing is one store. Kept in a local array instead, the
// text was read back right after each change, before the processor could
// hand the change on, and that wait took most of the time of the answers.
class PositionText {
    static_assert(max_total <= 99'999'999);

public:
    explicit PositionText(std::int32_t position) { set(position); }

    // To `next`, the position after the one held.
    void count_up(std::int32_t next)
    {
        if (((word_ >> last_digit_) & 0xFF) != '9')
            word_ += std::uint64_t{1} << last_digit_;
        else
            set(next);  // a carry: formatted anew
    }

    // Writes the digits at `to`, eight bytes in all; returns the end of the
    // digits.
    char* put(char* to) const
    {
        std::memcpy(to, &word_, sizeof word_);
        return to + length_;
    }

private:
    void set(std::int32_t position)
    {
        char digits[sizeof word_] = {};
        length_ = static_cast<int>(std::to_chars(digits, std::end(digits), position).ptr - digits);
        std::memcpy(&word_, digits, sizeof word_);
        last_digit_ = 8 * (length_ - 1);
    }

    std::uint64_t word_ = 0;
    int length_ = 0;
    int last_digit_ = 0;  // the shift to the last digit's byte
};

// Writes the positions run.first + 1 to run.last + 1 with a blank between
// two, or "Number Not Found". A run's positions are consecutive: each is
// the one before counted up (PositionText), not formatted from its value.
void write_answer(common::Output& out, Run run)
{
    if (run.first > run.last) {
        out.write("Number Not Found\n");
        return;
    }
    if constexpr (common::endian::native != common::endian::little) {
        for (std::int32_t i = run.first; i <= run.last; ++i) {
            if (i > run.first)
                out.put(' ');
            out.number(i + 1);
        }
    } else {
        PositionText text(run.first + 1);
        out.write_in_place<16>([&](char* p) { return text.put(p); });
        for (std::int32_t i = run.first + 1; i <= run.last; ++i) {
            text.count_up(i + 1);
            out.write_in_place<16>([&](char* p) {
                *p = ' ';
                return text.put(p + 1);
            });
        }
    }
    out.put('\n');
}

// One answer line per search value. A search value that cannot be read
// repeats the previous answer; before any value was read, it is not found.
// The values of a batch are read first and their runs found together by
// find_runs(xs, size, runs); one outside the range ends the program after
// the answers before it, as if each were answered as it is read.
template <class FindRuns>
void answer_each(ValueReader& reader, common::Output& out, FindRuns find_runs)
{
    std::int32_t count = 0;
    reader.read(count, "number of search values");
    Run run;
    for (std::int32_t done = 0; done < count;) {
        const std::int32_t size = count - done < batch ? count - done : batch;
        std::int32_t xs[batch];
        bool was_read[batch];
        std::int32_t slots = 0, values = 0;
        common::ReadStatus status = common::ReadStatus::ok;
        for (; slots < size; ++slots) {
            status = reader.read_status(xs[values]);
            if (status == common::ReadStatus::out_of_range)
                break;
            was_read[slots] = status == common::ReadStatus::ok;
            values += was_read[slots];
        }
        Run runs[batch];
        find_runs(xs, values, runs);
        for (std::int32_t i = 0, next = 0; i < slots; ++i) {
            if (was_read[i])
                run = runs[next++];
            write_answer(out, run);
        }
        done += slots;
        if (status == common::ReadStatus::out_of_range)
            ValueReader::fail_out_of_range("search values", done + 1L);
    }
}

void answer_queries(ValueReader& reader, common::Output& out, const std::int32_t* values, std::int32_t total)
{
    answer_each(reader, out, [&](const std::int32_t* xs, std::int32_t size, Run* runs) {
        for (std::int32_t i = 0; i < size; ++i)
            runs[i] = find(values, total, xs[i]);
    });
}

#if !defined(BUBBLE_SORT)
void answer_queries(ValueReader& reader, common::Output& out, const Ordered& ordered, std::int32_t total)
{
    if (ordered.merged != nullptr)
        answer_queries(reader, out, ordered.merged, total);
    else
        answer_each(reader, out, [&](const std::int32_t* xs, std::int32_t size, Run* runs) {
            find_runs(ordered, xs, size, runs);
        });
}
#endif

// What --help shows; FILE stands in for standard input.
const common::Usage usage{
    "[FILE]",
    R"(Reads a PRO6 case from FILE (standard input when FILE is missing or -): the
lengths n and m, n values of the first sequence, m of the second, a count q and
q search values, all decimal integers separated by white space. Prints the two
sequences merged on one line, then for each search value every 1-based position
at which it stands in the merged sequence, or "Number Not Found". Timing traces
(processor milliseconds) go to standard error.
)"
#if defined(BUBBLE_SORT)
    R"(This build sorts both sequences together with a bubble sort, so they may come
in any order, and searches by bisection.
)"
#elif defined(LINEAR_SEARCH)
    R"(This build merges the two non-decreasing sequences and searches by scanning
from the start.
)"
#else
    R"(This build merges the two non-decreasing sequences and searches by bisection.
)"
#endif
    R"(Exit status: 0; 1 when a length is missing, negative or too large, a number is
outside the signed 32-bit range, or on a read or write error.
)",
    {},
#if defined(BUBBLE_SORT)
    R"(  printf '2 1\n3 1\n2\n1\n3\n' | pro6-solve-b
)",
#elif defined(LINEAR_SEARCH)
    R"(  printf '2 2\n1 3\n3 5\n2\n3\n4\n' | pro6-solve-c
)",
#else
    R"(  printf '2 2\n1 3\n3 5\n2\n3\n4\n' | pro6-solve
)",
#endif
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = name;
    const common::Arguments args(usage, argc, argv);
    args.open_file_as_input();
    ValueReader reader;
    // Blocks of 1 MB: the merged line of a full case is 140 MB, and written
    // to a file in blocks of 128 KB the system's side of the writes took a
    // third more time.
    common::Output out(1, std::size_t{1} << 20);
#if defined(BUBBLE_SORT)
    const std::int32_t n = reader.read_length("first length", max_total);
    const std::int32_t m = reader.read_length("second length", max_total);
    if (n > max_total - m)
        common::fail("the lengths add up to %lld, above %d", static_cast<long long>(n) + m, max_total);
    const std::int32_t total = n + m;
    reader.read_all(store, n, "first sequence");
    reader.read_all(store + n, m, "second sequence");
    trace("stage 1 scanf complete");
    bubble_sort(store, total);
    const std::int32_t* ordered = store;
#else
    const std::int32_t n = reader.read_length("first length", max_length);
    const std::int32_t m = reader.read_length("second length", max_length);
    const std::int32_t total = n + m;
    const bool first_ascends = reader.read_all(first, n, "first sequence");
    const bool second_ascends = reader.read_all(second, m, "second sequence");
    trace("stage 1 scanf complete");
    const Ordered ordered = merge(first, n, second, m, first_ascends && second_ascends);
#endif
    write_values(out, ordered, total);
    trace("stage 1 printf complete");
    out.put('\n');
    answer_queries(reader, out, ordered, total);
    trace("exit");
    out.flush();
    return 0;
}
