// The summary line's pieces and the record walk, in process: the unit
// table and worked times by hand, then everything against a line-by-line
// model of the log, with read blocks from two bytes up so that every piece
// of a line straddles some block boundary.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/support/files.hpp"
#include "transfer/block_walk.hpp"

namespace {

using testing_support::captured;
using testing_support::TempFile;

constexpr std::int64_t KB = 1024, MB = KB * KB, GB = MB * KB, TB = GB * KB;

std::string line_end(std::uint32_t start, std::uint32_t end, std::int64_t size)
{
    return captured([&](common::Output& out) {
        transfer::write_line_end(out, transfer::split_elapsed(start, end), transfer::scale_size(size));
    });
}

TEST(SummaryLine, EveryEdgeOfTheUnitTable)
{
    const struct {
        std::int64_t size;
        const char* printed;
    } rows[] = {
        {1023, "1023 B"}, {1024, "1 KB"}, {1535, "1 KB"}, {1536, "2 KB"},
        {1023 * KB + 511, "1023 KB"}, {1023 * KB + 512, "1 MB"}, {MB, "1 MB"},
        {1'000'000'000, "954 MB"}, {GB - 1, "1 GB"}, {TB - 1, "1024 GB"}, {5 * TB, "5120 GB"},
        // Beyond the table: bytes below 1024, the largest unit never rounds
        // a quotient above 1023, and the signed 64-bit extremes.
        {0, "0 B"}, {-5, "-5 B"}, {TB, "1024 GB"}, {TB + GB / 2, "1024 GB"}, {TB + GB - 1, "1024 GB"},
        {1023 * GB + GB / 2 - 1, "1023 GB"}, {1023 * MB + MB / 2 - 1, "1023 MB"}, {3'500'000, "3 MB"},
        {std::numeric_limits<std::int64_t>::max(), "8589934591 GB"},
        {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808 B"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(line_end(0, 0, row.size), std::string(" 0:00:00 ") + row.printed + "\n") << row.size;
}

TEST(SummaryLine, ElapsedTimesAsTheFormatWritesThem)
{
    EXPECT_EQ(line_end(1000, 4725, 1536), " 1:02:05 2 KB\n");
    EXPECT_EQ(line_end(0, 65, 3'500'000), " 0:01:05 3 MB\n");
    EXPECT_EQ(line_end(30, 0, 0), " 0:00:-30 0 B\n");
    EXPECT_EQ(line_end(3725, 0, 0), " -1:-2:-5 0 B\n");
    EXPECT_EQ(line_end(0, 90000, 0), " 25:00:00 0 B\n");
    EXPECT_EQ(line_end(4294967295u, 0, 0), " 0:00:01 0 B\n");  // taken modulo 2^32
    EXPECT_EQ(line_end(0, 4294967295u, 0), " 0:00:-1 0 B\n");
    EXPECT_EQ(line_end(0, 2147483647, 0), " 596523:14:07 0 B\n");
    EXPECT_EQ(line_end(0, 2147483648u, 0), " -596523:-14:-8 0 B\n");
}

TEST(SummaryLine, NumbersAsPrintfWritesThem)
{
    // Four digits and fewer are laid out at once; the rest go to to_chars.
    std::vector<std::int64_t> values;
    for (std::int64_t v = -120; v <= 10120; ++v)
        values.push_back(v);
    for (std::int64_t v : {std::numeric_limits<std::int64_t>::min(), std::int64_t{-9223372036854775807},
                           std::int64_t{99999}, std::int64_t{8589934591}, std::numeric_limits<std::int64_t>::max()})
        values.push_back(v);
    std::string expected;
    for (std::int64_t v : values)
        expected += std::to_string(v) + "|";
    const std::string got = captured([&](common::Output& out) {
        for (std::int64_t v : values)
            out.write_in_place<24>([v](char* p) {
                p = transfer::write_number(p, v);
                *p++ = '|';
                return p;
            });
    });
    EXPECT_EQ(got, expected);
}

std::string walk(const std::string& log, std::size_t capacity)
{
    TempFile file(log);
    common::Input in(file.fd(), capacity);
    return captured([&](common::Output& out) { transfer::summarise(in, out); });
}

// The model: the whole log split into lines first, then each record read
// by index, the numbers taken from the blank-separated fields.
std::vector<std::string> lines_of(const std::string& log)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < log.size()) {
        const std::size_t newline = log.find('\n', from);
        const std::size_t to = newline == std::string::npos ? log.size() : newline;
        lines.push_back(log.substr(from, to - from));
        from = to + 1;
    }
    return lines;
}

std::string second_field(const std::string& line)
{
    std::vector<std::string> fields;
    std::string field;
    for (char c : line + ' ') {
        if (c != ' ')
            field += c;
        else if (!field.empty())
            fields.push_back(field), field.clear();
    }
    return fields.size() > 1 ? fields[1] : "";
}

std::uint32_t time_of(const std::string& field)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i)
        value = (value * 10 + static_cast<std::uint64_t>(field[i] - '0')) % 4294967296u;
    return static_cast<std::uint32_t>(value);
}

long long size_of(std::string field)
{
    const bool negative = !field.empty() && field[0] == '-';
    if (!field.empty() && (field[0] == '-' || field[0] == '+'))
        field.erase(0, 1);
    std::string digits;
    for (char c : field) {
        if (c < '0' || c > '9')
            break;
        if (!digits.empty() || c != '0')
            digits += c;
    }
    const std::string top = negative ? "9223372036854775808" : "9223372036854775807";
    if (digits.size() > top.size() || (digits.size() == top.size() && digits > top))
        digits = top;
    if (digits.empty())
        return 0;
    return negative ? (digits == top ? INT64_MIN : -std::stoll(digits)) : std::stoll(digits);
}

// " %d:%02d:%02d" of end minus start, wrapped into the signed 32-bit range.
std::string time_text(std::uint32_t start, std::uint32_t end)
{
    std::int64_t elapsed = std::int64_t{end} - std::int64_t{start};
    if (elapsed >= 2147483648)
        elapsed -= 4294967296;
    else if (elapsed < -2147483648)
        elapsed += 4294967296;
    const int e = static_cast<int>(elapsed);
    char text[48];
    std::snprintf(text, sizeof text, " %d:%02d:%02d", e / 3600, e % 3600 / 60, e % 3600 % 60);
    return text;
}

// The size in closed form: the smallest unit whose quotient, rounded half
// up, is at most 1023; failing all, G, its quotient rounded only when that
// is at most 1023 itself.
std::string size_text(long long size)
{
    char text[48];
    if (size < 1024) {
        std::snprintf(text, sizeof text, " %lld B\n", size);
        return text;
    }
    const char letters[] = "KMG";
    for (int unit = 0; unit < 3; ++unit) {
        const long long divisor = 1LL << (10 * (unit + 1));
        const long long rounded = size / divisor + (size % divisor >= divisor / 2);
        if (rounded < 1024 || unit == 2) {
            const long long number = size / divisor > 1023 ? size / divisor : rounded;
            std::snprintf(text, sizeof text, " %lld %cB\n", number, letters[unit]);
            return text;
        }
    }
    return "";
}

std::string model(const std::string& log)
{
    const std::vector<std::string> lines = lines_of(log);
    const std::size_t n = lines.size();
    std::string out;
    for (std::size_t i = 1; i <= n;) {  // line i - 1 is the ignored first line
        while (i < n && lines[i].find('`') == std::string::npos)
            ++i;
        if (i >= n)
            break;
        bool in_name = false;
        for (char c : lines[i++]) {
            if (c == '`' || c == '\'')
                in_name = c == '`';
            else if (in_name)
                out += c;
        }
        out += ':';
        while (i < n && lines[i].rfind("BEGIN: ", 0) != 0)
            ++i;
        if (i + 2 >= n)
            break;
        out += time_text(time_of(second_field(lines[i])), time_of(second_field(lines[i + 1])));
        out += size_text(size_of(second_field(lines[i + 2])));
        i += 4;
    }
    return out;
}

TEST(SummaryLine, AgreesWithTheModelAroundEveryEdge)
{
    std::mt19937_64 random(91);
    std::vector<std::int64_t> sizes;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> times;
    std::string expected;
    for (int i = 0; i < 100000; ++i) {
        // Sizes near a multiple of each unit's half, and some anywhere.
        const std::int64_t half_units = (std::int64_t{1} << (9 + 10 * (i % 4))) * static_cast<std::int64_t>(random() % 2100);
        sizes.push_back(i % 5 == 0 ? static_cast<std::int64_t>(random() >> 1) : half_units + static_cast<std::int64_t>(random() % 5) - 2);
        const auto start = static_cast<std::uint32_t>(random());
        times.emplace_back(start, static_cast<std::uint32_t>(i % 2 ? random() : start + random() % 200000 - 100000));
        expected += time_text(times.back().first, times.back().second) + size_text(sizes.back());
    }
    const std::string got = captured([&](common::Output& out) {
        for (std::size_t i = 0; i < sizes.size(); ++i)
            transfer::write_line_end(out, transfer::split_elapsed(times[i].first, times[i].second),
                                     transfer::scale_size(sizes[i]));
    });
    ASSERT_EQ(got, expected);
}

TEST(LogWalk, ModelAgreesWithTheWorkedExamples)
{
    const std::string log = "x\n`alpha' sent\nBEGIN: 1000\nEND: 4725\nSIZE: 1536\n";
    ASSERT_EQ(model(log), "alpha: 1:02:05 2 KB\n");
    ASSERT_EQ(model("x\n`b\nBEGIN: 3725\nEND: 0\nSIZE: -5"), "b: -1:-2:-5 -5 B\n");
    ASSERT_EQ(model("`x'\n`a'`b\n"), "ab:");
}

TEST(LogWalk, SameOutputForEveryBlockSize)
{
    const std::string log =
        "first line `ignored'\n\n  no quote here 'x'\nget `dir/file one.txt' and `two'\n"
        "BEGIN:\t5\n BEGIN: 6\nBBEGIN: 7 xBEGIN: 8\n\nBEGIN: 1700000000   rest\n  END:   1700003725 x\n"
        "SIZE: +0001048064\n`skipped'\nnoise\n`a`b'c'`d\r\nBEGIN: 4294967295\nEND: 12884901893\nSIZE: -77\n";
    const std::string expected = "dir/file one.txttwo: 1:02:05 1 MB\nabd\r: 0:00:06 -77 B\n";
    ASSERT_EQ(model(log), expected);
    for (std::size_t capacity = 2; capacity <= log.size() + 1; ++capacity)
        ASSERT_EQ(walk(log, capacity), expected) << "capacity " << capacity;
}

// A random line built to hit the shapes the walk tells apart.
std::string random_line(std::mt19937& random)
{
    static const char* const heads[] = {"BEGIN: ", "BEGIN:  ", " BEGIN: ", "BEGIN:\t", "BEGIN:", "BEGIN",
                                        "END: ", "SIZE: ", "  x ", "", "`", "'", "BEGIN: `", "BBEGIN: ", "xB"};
    static const char* const numbers[] = {"", "-", "+", "0", "-0", "12x", "\t9", "4294967296", "18446744073709551617",
                                          "9223372036854775807", "9223372036854775808", "-9223372036854775809"};
    static const char pieces[] = "ab '`\t\r\0\xff BEGIN:0123456789-";
    std::string line = heads[random() % std::size(heads)];
    if (random() % 2)
        line += numbers[random() % std::size(numbers)];
    for (std::size_t i = 0, n = random() % 4 == 0 ? random() % 40 : 0; i < n; ++i)
        line += random() % 4 == 0 ? std::to_string(random()) : std::string(1, pieces[random() % (sizeof pieces - 1)]);
    return line;
}

TEST(LogWalk, AgreesWithTheModelOnRandomHostileLogs)
{
    std::mt19937 random(2026);
    for (int i = 0; i < 3000; ++i) {
        std::string log;
        for (std::size_t lines = random() % 30; lines > 0; --lines)
            log += random_line(random) + "\n";
        if (random() % 2 && !log.empty())
            log.pop_back();
        const std::size_t capacity = random() % 3 == 0 ? 2 + random() % 9 : 1 << 16;
        ASSERT_EQ(walk(log, capacity), model(log)) << "log " << testing::PrintToString(log) << " capacity " << capacity;
    }
}

}  // namespace
