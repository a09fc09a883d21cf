// transfer-summary run as a user would: a log in, summary lines out.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/run.hpp"

namespace {

using testing_support::run;
using testing_support::RunOptions;

std::string summary(const std::string& log)
{
    const auto result = run("transfer-summary", log);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    return result.out;
}

// A record with a first line, the given name line and the three timing lines.
std::string record(const std::string& name_line, const std::string& start, const std::string& end,
                   const std::string& size)
{
    return "transfer\n" + name_line + "\nBEGIN: " + start + "\nEND: " + end + "\nSIZE: " + size + "\n";
}

TEST(TransferSummary, TheWorkedExamples)
{
    EXPECT_EQ(summary(record("sending `report.pdf' now", "0", "65", "3500000")), "report.pdf: 0:01:05 3 MB\n");
    EXPECT_EQ(summary(record("`a'", "1000", "4725", "1536") + record("`b'", "7", "7", "0") +
                      record("`c'", "3725", "0", "-5") + record("`d'", "30", "0", "1023")),
              "a: 1:02:05 2 KB\nb: 0:00:00 0 B\nc: -1:-2:-5 -5 B\nd: 0:00:-30 1023 B\n");
    EXPECT_EQ(summary("`x' is first\nBEGIN: 1\nEND: 2\nSIZE: 3\n"), "");
    EXPECT_EQ(summary("first\nget `one' and `two'\nBEGIN: 0\nEND: 59\nSIZE: 1024"), "onetwo: 0:00:59 1 KB\n");
    EXPECT_EQ(summary("first\n`n'\nignored `x'\n BEGIN: 1\nBEGIN: 2\nEND: 62\nSIZE: 1048576\n"), "n: 0:01:00 1 MB\n");
    EXPECT_EQ(summary("first\n`name'\nno begin line\n"), "name:");
}

TEST(TransferSummary, TheRecordWalk)
{
    // The line after a size line is the next record's ignored first line.
    EXPECT_EQ(summary(record("`a'", "0", "1", "1") + "`hidden'\n`b'\nBEGIN: 0\nEND: 2\nSIZE: 2\n"),
              "a: 0:00:01 1 B\nb: 0:00:02 2 B\n");
    // Spans: a backquote inside one is dropped, an open one runs to the line
    // end, an apostrophe outside one does nothing.
    EXPECT_EQ(summary(record("it's `a`b'c'`d e", "0", "0", "0")), "abd e: 0:00:00 0 B\n");
    EXPECT_EQ(summary(record("``'", "0", "0", "0")), ": 0:00:00 0 B\n");
    // No begin line: indented, tab-separated, glued, in the wrong case or
    // not at the line start;
    // a backquote after the name line is not looked at.
    EXPECT_EQ(summary("h\n`n'\n BEGIN: 1\n\tBEGIN: 2\nBEGIN:\t3\nBEGIN:4\nbegin: 5\nBBEGIN: 7\n`m'\nBEGIN: 6\nEND: 6\nSIZE: 0\n"),
              "n: 0:00:00 0 B\n");
    // Fields are separated by blanks only; the end and size lines' first
    // fields can be anything, even indented.
    EXPECT_EQ(summary("h\n`n'\nBEGIN:   10 x\n   when:  70\t\nsize 2048 bytes\n"), "n: 0:01:00 2 KB\n");
    EXPECT_EQ(summary("h\n`n'\nBEGIN: 10\n70\nEND:\t70 2048\n"), "n: 0:00:-10 2 KB\n");
}

TEST(TransferSummary, NumbersWithoutDigitsAreZero)
{
    EXPECT_EQ(summary("h\n`n'\nBEGIN: \nEND:\nSIZE:\n"), "n: 0:00:00 0 B\n");
    EXPECT_EQ(summary(record("`n'", "x5", "+60", "-")), "n: 0:00:00 0 B\n");
    EXPECT_EQ(summary(record("`n'", "\t9", "-1", "--5")), "n: 0:00:00 0 B\n");
    EXPECT_EQ(summary(record("`n'", "5s", "65sec", "+2048KB")), "n: 0:01:00 2 KB\n");
    EXPECT_EQ(summary("h\n`n'\nBEGIN: 1\n\n\n"), "n: 0:00:-1 0 B\n");
}

TEST(TransferSummary, NumbersAtAndBeyondTheirLimits)
{
    EXPECT_EQ(summary(record("`n'", "0", "4294967295", "9223372036854775807")), "n: 0:00:-1 8589934591 GB\n");
    // Times keep their low 32 bits: 2^32 + 10 is 10, 3 * 2^32 + 5 is 5, 2^64 + 1 is 1.
    EXPECT_EQ(summary(record("`n'", "4294967306", "12884901893", "9223372036854775808")),
              "n: 0:00:-5 8589934591 GB\n");
    EXPECT_EQ(summary(record("`n'", "18446744073709551617", "0000000000000000000061", "99999999999999999999999")),
              "n: 0:01:00 8589934591 GB\n");
    EXPECT_EQ(summary(record("`n'", "0", "2147483648", "-9223372036854775808")),
              "n: -596523:-14:-8 -9223372036854775808 B\n");
    EXPECT_EQ(summary(record("`n'", "1", "2147483648", "-99999999999999999999")),
              "n: 596523:14:07 -9223372036854775808 B\n");
}

TEST(TransferSummary, EndOfInputAtEveryPointOfARecord)
{
    const std::string log = "head\n`n'\nBEGIN: 10\nEND: 70\nSIZE: 2048\nnext";
    const std::size_t name_at = log.find('`'), size_at = log.find("SIZE");
    for (std::size_t length = 0; length <= log.size(); ++length) {
        const std::string cut = log.substr(0, length);
        std::string expected;
        if (length > size_at) {
            // The size is read from whatever digits the cut leaves.
            const std::string digits = length >= size_at + 6 ? cut.substr(size_at + 6, 4) : "";
            const long size = digits.empty() ? 0 : std::stol(digits);
            expected = "n: 0:01:00 " + (size < 1024 ? std::to_string(size) + " B\n" : "2 KB\n");
        } else if (length > name_at + 1) {
            expected = "n:";
        } else if (length > name_at) {
            expected = ":";
        }
        EXPECT_EQ(summary(cut), expected) << "cut after " << length << " bytes";
    }
}

TEST(TransferSummary, LongLinesAreReadWhole)
{
    const std::string mb(3 << 20, 'x');
    const std::string zeros(1 << 20, '0');
    const std::string log = mb + "\n" + mb + "`" + mb + "'" + mb + "\n" + mb + "BEGIN: 5\nBEGIN: " + zeros + "1" + mb +
                            "\n" + mb + " " + zeros + "61 " + mb + "\nSIZE: " + zeros + "1536 " + mb + "\n";
    EXPECT_EQ(summary(log), mb + ": 0:01:00 2 KB\n");
}

TEST(TransferSummary, EveryByteButTheNewlineIsOrdinary)
{
    const std::string odd("a\0b\xff\x80\x7f\r", 7);
    EXPECT_EQ(summary(record("`" + odd + "'", "1", std::string("2\0 5", 4), "1\xff")), odd + ": 0:00:01 1 B\n");
    EXPECT_EQ(summary("h\r\n`n'\r\nBEGIN: 10\r\nEND: 70\r\nSIZE: 2048\r\n"), "n: 0:01:00 2 KB\n");
    EXPECT_EQ(summary("h\r\n`n\r\nBEGIN: 10\r\nEND: 70\r\nSIZE: 2048\r\n"), "n\r: 0:01:00 2 KB\n");
    EXPECT_EQ(summary("h\n`n'\nBEGIN: 10\rEND: 70\rSIZE: 2048\r"), "n:");
}

TEST(TransferSummary, OutputAndInputFailures)
{
    RunOptions full;
    full.stdout_to_full = true;
    const auto written = run("transfer-summary", record("`n'", "0", "1", "1"), full);
    EXPECT_EQ(written.status, 1);
    EXPECT_EQ(written.err, "transfer-summary: write error: No space left on device\n");
    RunOptions closed;
    closed.close_stdin = true;
    const auto read = run("transfer-summary", "", closed);
    EXPECT_EQ(read.status, 1);
    EXPECT_EQ(read.out, "");
    EXPECT_EQ(read.err, "transfer-summary: read error: Bad file descriptor\n");
}

}  // namespace
