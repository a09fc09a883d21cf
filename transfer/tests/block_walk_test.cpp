// The walk within one block against the byte-stream walk it stands in for:
// where it stops for a record the block cuts short, what it writes for the
// records it walks, and the same summary from both walks on generated logs
// holding every kind of line the block walk tells apart, with block ends
// falling everywhere in them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tests/support/files.hpp"
#include "transfer/block_walk.hpp"

namespace {

using testing_support::captured;
using testing_support::TempFile;

// The summary the byte-stream walk alone writes.
std::string plain_walk(const std::string& log, std::size_t capacity = std::size_t{1} << 16)
{
    TempFile file(log);
    common::Input in(file.fd(), capacity);
    return captured([&](common::Output& out) {
        while (in.fill() && transfer::summarise_record(in, out)) {
        }
    });
}

// The summary transfer-summary writes: whole records walked in the block.
std::string walk(const std::string& log, std::size_t capacity = std::size_t{1} << 16)
{
    TempFile file(log);
    common::Input in(file.fd(), capacity);
    return captured([&](common::Output& out) { transfer::summarise(in, out); });
}

// Where each complete record ends, as the byte-stream walk reads them:
// the log in one block, the reader's place noted after each record.
std::vector<std::size_t> record_ends(const std::string& log)
{
    TempFile file(log);
    common::Input in(file.fd(), log.size() + 1);
    std::vector<std::size_t> ends;
    if (!in.fill())
        return ends;
    const char* const start = in.data();
    captured([&](common::Output& out) {
        while (in.fill() && transfer::summarise_record(in, out))
            ends.push_back(static_cast<std::size_t>(in.data() - start));
    });
    return ends;
}

std::size_t lines_in(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A log whose records reach every branch of the block walk: first lines of
// any length (quotes in them too), lines before the name line, name lines
// with one span or several, closed or not, shorter or longer than a
// fixed-size copy, lines that look like a begin line but are none, first
// fields of several kinds, fields behind any number of blanks, numbers of
// no digit up to 25, signed or not, with or without text behind them.
std::string generated_log(unsigned seed, int records)
{
    std::mt19937 random(seed);
    const auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto pick = [&](std::initializer_list<const char*> choices) {
        return std::string(choices.begin()[below(static_cast<int>(choices.size()))]);
    };
    const auto text = [&](int n, const std::string& letters) {
        std::string drawn;
        for (int i = 0; i < n; ++i)
            drawn += letters[static_cast<std::size_t>(below(static_cast<int>(letters.size())))];
        return drawn;
    };
    const auto blanks = [&] { return std::string(static_cast<std::size_t>(below(4) == 0 ? below(4) : 1), ' '); };
    // Numbers: times mostly of ten digits, as in a log; sizes of any width.
    const auto time = [&] { return text(below(3) == 0 ? below(26) : 10, "0123456789"); };
    const auto size = [&] { return pick({"", "", "", "-", "+"}) + text(below(26), "0123456789"); };
    const auto tail = [&] { return (below(4) == 0 ? text(below(20), " x9") : "") + "\n"; };
    std::string log;
    for (int k = 0; k < records; ++k) {
        log += text(below(90), "ab `'") + "\n";
        for (int i = below(3) == 0 ? below(3) : 0; i > 0; --i)
            log += text(below(150), "xy '") + "\n";
        for (const char c : pick({"`%'", "get `%' now", "`%", "x `%' and `%'", "`%`%'", "it's `%'`"}))
            log += c == '%' ? text(below(4) == 0 ? below(140) : below(30), "nm/.0 ") : std::string(1, c);
        log += "\n";
        for (int i = below(4); i > 0; --i)
            log += pick({"", " BEGIN: 1", "BEGIN:\t2", "BBEGIN: 3", "BEGIN:", "BEGIN", "begin: 4", "retry "}) +
                   text(below(4) == 0 ? below(200) : below(40), "bw 19`'") + "\n";
        const auto first_field = [&] { return pick({"END:", "SIZE:", "", " x", "\ty", "when:"}); };
        log += "BEGIN: " + blanks() + time() + tail();
        log += first_field() + blanks() + time() + tail();
        log += first_field() + blanks() + size() + tail();
    }
    return log;
}

TEST(BlockWalk, StopsAtTheFirstRecordNotWholeBeforeTheLimit)
{
    const auto slack = static_cast<std::size_t>(transfer::in_block::slack);
    for (unsigned seed = 1; seed <= 3; ++seed) {
        const std::string log = generated_log(seed, 20);
        const std::vector<std::size_t> ends = record_ends(log);
        ASSERT_GE(ends.size(), 19u) << "seed " << seed;
        // What the first k records give, for every k.
        std::vector<std::string> summaries{""};
        for (std::size_t end : ends)
            summaries.push_back(plain_walk(log.substr(0, end)));
        // Every length of block, so that its end falls on every byte.
        for (std::size_t size = 0; size <= log.size(); ++size) {
            const std::string block = log.substr(0, size);
            std::size_t whole = 0;  // records whose last newline stands before the limit
            while (whole < ends.size() && ends[whole] + slack <= size)
                ++whole;
            const char* walked = nullptr;
            const std::string written = captured([&](common::Output& out) {
                walked = transfer::summarise_block(block.data(), block.data() + block.size(), out);
            });
            ASSERT_EQ(static_cast<std::size_t>(walked - block.data()), whole == 0 ? 0 : ends[whole - 1])
                << "seed " << seed << ", size " << size;
            ASSERT_EQ(written, summaries[whole]) << "seed " << seed << ", size " << size;
        }
    }
}

TEST(BlockWalk, SameSummaryAsTheByteStreamWalkForEveryBlockSize)
{
    const std::string log = generated_log(7, 400);
    const std::string expected = plain_walk(log);
    ASSERT_GT(lines_in(expected), 390u);
    // Blocks smaller than the slack (never walked within), about a record
    // long (records cut everywhere, some longer than a block) and large.
    for (std::size_t capacity : {2, 63, 64, 65, 100, 127, 128, 129, 200, 255, 256, 300, 333, 512, 1000, 4096, 65536})
        ASSERT_EQ(walk(log, capacity), expected) << "capacity " << capacity;
}

TEST(BlockWalk, NumbersAtEveryWidth)
{
    // Fifteen digits are read at once, sixteen and more one by one; sizes
    // clamp past 19 digits. Each number also behind 0 to 9 more bytes, so
    // that it starts at every place of an eight-byte load.
    const char* const sizes[] = {
        "", "-", "+", "0", "-0", "1023", "1024", "1099511627775", "999999999999999", "-999999999999999",
        "1000000000000000", "9223372036854775807", "9223372036854775808", "-9223372036854775808",
        "-9223372036854775809", "18446744073709551616", "0000000000000000000000001", "99999999999999999999999",
        "+000000000000001536", "12x", "7\t8"};
    const char* const times[] = {"", "0", "4294967295", "4294967296", "999999999999999", "1000000000000000",
                                 "18446744073709551615", "18446744073709551616", "0000000000000004294967297",
                                 "1765000000", "17650000001765000000"};
    std::string log;
    for (std::size_t shift = 0; shift < 10; ++shift) {
        const std::string pad(shift, 'x'), gap(shift, ' ');
        for (const char* size : sizes)
            log += "h\n`n'\nBEGIN: " + gap + "5\nE" + pad + " 1\nS" + pad + " " + size + "\n";
        for (const char* start : times)
            for (const char* end : times)
                log += "h\n`n'\nBEGIN: " + gap + start + "\nE" + pad + " " + end + "\nSIZE: 0\n";
    }
    const std::string expected = plain_walk(log);
    ASSERT_EQ(lines_in(expected), 10 * (std::size(sizes) + std::size(times) * std::size(times)));
    EXPECT_EQ(walk(log), expected);
}

TEST(BlockWalk, NameSpansOfEveryLength)
{
    // A single span (closed, or running to the line end) up to and past the
    // fixed-size copy, and lines of several spans.
    std::string log;
    std::size_t records = 0;
    for (std::size_t length = 0; length <= 2 * transfer::in_block::slack + 1; ++length) {
        const std::string name(length, static_cast<char>('a' + length % 26));
        for (const std::string& line : {"`" + name + "'", "get `" + name + "' ok", "`" + name, "`" + name + "' `x'",
                                        "`" + name + "`y'z", "'`" + name + "'''"}) {
            log += "h\n" + line + "\nBEGIN: 0\nEND: 1\nSIZE: 2\n";
            ++records;
        }
    }
    const std::string expected = plain_walk(log);
    ASSERT_EQ(lines_in(expected), records);
    EXPECT_EQ(walk(log), expected);
}

}  // namespace
