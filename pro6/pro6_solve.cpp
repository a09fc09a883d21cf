// pro6-solve: reads two non-decreasing integer sequences and a list of search
// values, prints the merged sequence on one line and then, for each search
// value, every 1-based position at which it stands in the merged sequence, or
// "Number Not Found". Timing traces on standard error mark the ends of the
// stages: reading, ordering and printing, answering.
//
// Three builds of this source:
//   pro6-solve    stable merge of the two sequences, binary search;
//   pro6-solve-b  (BUBBLE_SORT) both sequences in one store, ordered by a
//                 bubble sort, binary search; the sequences may be unsorted;
//   pro6-solve-c  (LINEAR_SEARCH) stable merge, linear scan.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/command_line.hpp"
#include "common/cpu_clock.hpp"
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

void trace(const char* stage)
{
    std::fprintf(stderr, ">>> %s: %d\n", stage, common::cpu_milliseconds());
}

// Reads "%d" values the way the program's input is defined: once a read
// fails (the input ended, or something other than a number stands next),
// every later read fails too and its target keeps what it held. A number
// outside the signed 32-bit range ends the program.
class ValueReader {
public:
    // False when the read failed; `value` is then unchanged.
    bool read(std::int32_t& value, const char* what, long index = 0)
    {
        if (status_ != common::ReadStatus::ok)
            return false;
        status_ = in_.read_int(value);
        if (status_ == common::ReadStatus::out_of_range) {
            if (index > 0)
                common::fail("value %ld of the %s is outside the signed 32-bit range", index, what);
            common::fail("the %s is outside the signed 32-bit range", what);
        }
        return status_ == common::ReadStatus::ok;
    }

    // Reads `count` values into `values`; slots after a failed read keep 0.
    // Numbers standing whole in the input buffer are parsed here in one
    // tight loop (twice as fast as one read_int call each); anything else (a
    // number that reaches the end of the buffer, a sign without digits, a
    // long or out-of-range number, the end of input) goes through read().
    void read_all(std::int32_t* values, std::int32_t count, const char* what)
    {
        for (std::int32_t i = 0; i < count; ++i) {
            i += parse_whole(values + i, count - i);
            if (i == count || !read(values[i], what, i + 1L))
                return;
        }
    }

    // Reads a length the stores must hold; any fault ends the program.
    std::int32_t read_length(const char* what, std::int32_t limit)
    {
        std::int32_t value = 0;
        if (!read(value, what)) {
            if (status_ == common::ReadStatus::no_number)
                common::fail("the %s is not a number", what);
            common::fail("the %s is missing: the input ended", what);
        }
        if (value < 0)
            common::fail("the %s %d is below 0", what, value);
        if (value > limit)
            common::fail("the %s %d is above %d", what, value, limit);
        return value;
    }

private:
    // Parses up to `count` numbers that stand whole in the buffer, each
    // followed by white space, with at most nine digits; stops before the
    // first that does not. Returns how many it stored.
    std::int32_t parse_whole(std::int32_t* values, std::int32_t count)
    {
        if (status_ != common::ReadStatus::ok || !in_.fill())
            return 0;
        const char* const start = in_.data();
        const char* const end = start + in_.available();
        const char* p = start;
        const char* consumed = start;
        std::int32_t stored = 0;
        while (stored < count) {
            while (p < end && common::is_space(static_cast<unsigned char>(*p)))
                ++p;
            const char* token = p;
            const bool negative = p < end && *p == '-';
            if (p < end && (*p == '-' || *p == '+'))
                ++p;
            const char* const digits = p;
            std::int32_t magnitude = 0;
            while (p < end && common::is_digit(static_cast<unsigned char>(*p)) && p - digits < 9)
                magnitude = magnitude * 10 + (*p++ - '0');
            if (p == digits || p == end || !common::is_space(static_cast<unsigned char>(*p))) {
                consumed = token;
                break;
            }
            values[stored++] = negative ? -magnitude : magnitude;
            consumed = p;
        }
        in_.advance(static_cast<std::size_t>(consumed - start));
        return stored;
    }

    common::Input in_;
    common::ReadStatus status_ = common::ReadStatus::ok;  // of the last read
};

// Writes the values with a blank between two of them, no newline. They are
// formatted into a local block, and a value equal to the one before it is
// copied rather than formatted again: ordered values repeat.
void write_values(common::Output& out, const std::int32_t* values, std::int32_t count)
{
    char block[1 << 16];
    char* p = block;
    const char* from = block + 1;  // the first value has no blank before it
    char text[16] = {' '};         // the last value formatted, behind its blank
    std::size_t length = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        if (i == 0 || values[i] != values[i - 1])
            length = static_cast<std::size_t>(std::to_chars(text + 1, text + sizeof text, values[i]).ptr - text);
        if (static_cast<std::size_t>(block + sizeof block - p) < sizeof text) {
            out.write(from, static_cast<std::size_t>(p - from));
            p = block;
            from = block;
        }
        std::memcpy(p, text, sizeof text);
        p += length;
    }
    if (count > 0)
        out.write(from, static_cast<std::size_t>(p - from));
}

#if !defined(BUBBLE_SORT)
// Stable merge: on equal values the first sequence's element goes first.
// The choice is computed rather than branched on, since random values
// mispredict about every other branch.
void merge(const std::int32_t* a, std::int32_t n, const std::int32_t* b, std::int32_t m, std::int32_t* to)
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

void write_answer(common::Output& out, Run run)
{
    if (run.first > run.last) {
        out.write("Number Not Found\n");
        return;
    }
    for (std::int32_t i = run.first; i <= run.last; ++i) {
        if (i > run.first)
            out.put(' ');
        out.number(i + 1);
    }
    out.put('\n');
}

// One answer line per search value. A search value that cannot be read
// repeats the previous answer; before any value was read, it is not found.
void answer_queries(ValueReader& reader, common::Output& out, const std::int32_t* values, std::int32_t total)
{
    std::int32_t count = 0;
    reader.read(count, "number of search values");
    Run run;
    std::int32_t x = 0;
    for (std::int32_t query = 1; query <= count; ++query) {
        if (reader.read(x, "search values", query))
            run = find(values, total, x);
        write_answer(out, run);
    }
}

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
    common::Output out;
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
    reader.read_all(first, n, "first sequence");
    reader.read_all(second, m, "second sequence");
    trace("stage 1 scanf complete");
    merge(first, n, second, m, merged);
    const std::int32_t* ordered = merged;
#endif
    write_values(out, ordered, total);
    trace("stage 1 printf complete");
    out.put('\n');
    answer_queries(reader, out, ordered, total);
    trace("exit");
    out.flush();
    return 0;
}
