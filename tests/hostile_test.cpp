// Every program against hostile input: all byte values, a line of a million
// characters, numbers of hundreds of digits, numbers at the limits of their
// types, empty and closed input, and a full output device. Whatever comes
// in, a program ends with status 0, or with status 1 and one line naming
// itself on standard error; it is never killed by a signal.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run.hpp"

namespace {

using testing_support::run;
using testing_support::RunOptions;
using testing_support::RunResult;

// The programs that read standard input, with an input on which each
// writes something to standard output, and the status each ends with on
// empty input (0 where empty input is a complete case, 1 where an answer or
// a header is required).
struct Program {
    const char* name;
    const char* some_input;
    int empty_input_status;
};

const Program programs[] = {
    {"pro3-solve", "x x x x x x x", 0},
    {"pro3-maketest", "1 1", 1},
    {"pro2-solve", "w\n", 0},
    {"pro2-maketest", "w\n1\n", 1},
    {"pro2-maketest-b", "w\n1\n", 1},
    {"pro6-solve", "0 0 0", 1},
    {"pro6-solve-b", "0 0 0", 1},
    {"pro6-solve-c", "0 0 0", 1},
    {"pro6-maketest", "1 1 1 1", 1},
    {"pro6-maketest-b", "1 1 1 1", 1},
    {"order-solve-list", "0 0", 1},
    {"order-solve-grid", "0 0", 1},
    {"order-solve-bucket", "0 0", 1},
    {"transfer-summary", "-\n`a'\nBEGIN: 1\nEND: 2\nSIZE: 3\n", 0},
    {"pro3-validate", "x x x x x x x", 0},
    {"pro2-validate", "w\n", 1},
    {"pro6-validate", "0 0 0", 1},
    {"order-validate", "0 0", 1},
};

// Status 0, or status 1 with the last line of standard error (after any
// banner and prompts) "NAME: message" and no other such line.
void expect_clean_end(const Program& program, const RunResult& result, const std::string& what)
{
    ASSERT_TRUE(result.status == 0 || result.status == 1)
        << program.name << " on " << what << ": status " << result.status << "\n" << result.err;
    if (result.status == 0)
        return;
    ASSERT_FALSE(result.err.empty()) << program.name << " on " << what;
    EXPECT_EQ(result.err.back(), '\n') << program.name << " on " << what;
    const std::string prefix = std::string(program.name) + ": ";
    const auto at = result.err.find(prefix);
    ASSERT_NE(at, std::string::npos) << program.name << " on " << what << ": " << result.err;
    EXPECT_EQ(result.err.find('\n', at), result.err.size() - 1) << program.name << " on " << what;
}

std::string every_byte_value()
{
    std::string bytes;
    for (int round = 0; round < 4; ++round)
        for (int c = 0; c < 256; ++c)
            bytes += static_cast<char>(c);
    return bytes;
}

TEST(Hostile, AnyBytesEndCleanly)
{
    const std::vector<std::pair<std::string, std::string>> inputs = {
        {"every byte value", every_byte_value()},
        {"a line of a million characters", std::string(1000000, 'x') + "\n" + std::string(1000000, '\t')},
        {"hundreds of digits", std::string(300, '9') + " -" + std::string(300, '9') + "\n"},
        {"32-bit limits", "2147483647 -2147483648 2147483647 -2147483648 2147483648 -2147483649\n"},
        {"64-bit limits", "9223372036854775807 -9223372036854775808 9223372036854775808\n"},
        {"signs without digits", "- + -- +- \n-\n+"},
        {"NUL bytes and carriage returns", std::string("1\0 2\r\n\0`\0'\r\nBEGIN: \0", 20)},
    };
    for (const Program& program : programs)
        for (const auto& [what, input] : inputs)
            expect_clean_end(program, run(program.name, input), what);
}

TEST(Hostile, EmptyInputGivesTheSettledStatus)
{
    for (const Program& program : programs) {
        const RunResult result = run(program.name, "");
        EXPECT_EQ(result.status, program.empty_input_status) << program.name << "\n" << result.err;
        expect_clean_end(program, result, "empty input");
    }
}

TEST(Hostile, AClosedInputIsAReadError)
{
    RunOptions closed;
    closed.close_stdin = true;
    for (const Program& program : programs) {
        const RunResult result = run(program.name, "", closed);
        EXPECT_EQ(result.status, 1) << program.name;
        const std::string message = std::string(program.name) + ": read error: Bad file descriptor\n";
        ASSERT_GE(result.err.size(), message.size()) << program.name;
        EXPECT_EQ(result.err.substr(result.err.size() - message.size()), message) << program.name;
        EXPECT_EQ(result.out, "") << program.name;
    }
}

TEST(Hostile, AFullOutputIsAWriteError)
{
    RunOptions full;
    full.stdout_to_full = true;
    for (const Program& program : programs) {
        const RunResult result = run(program.name, program.some_input, full);
        EXPECT_EQ(result.status, 1) << program.name;
        const std::string message = std::string(program.name) + ": write error: No space left on device\n";
        ASSERT_GE(result.err.size(), message.size()) << program.name << ": " << result.err;
        EXPECT_EQ(result.err.substr(result.err.size() - message.size()), message) << program.name;
    }
    testing_support::TempDir folder;
    full.directory = folder.path().string();
    const RunResult result = run("order-gen", "", full);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "order-gen: write error: No space left on device\n");
}

TEST(Hostile, SomeInputWritesSomething)
{
    // The inputs above that must fail on a full device do write output.
    for (const Program& program : programs) {
        const RunResult result = run(program.name, program.some_input);
        EXPECT_EQ(result.status, 0) << program.name << "\n" << result.err;
        EXPECT_FALSE(result.out.empty()) << program.name;
    }
}

}  // namespace
