// The command line every program shares: --help, --version, usage errors,
// the solvers' FILE operand and the makers' --seed, run as a user would.

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/run.hpp"

namespace {

using testing_support::run;
using testing_support::run_with;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::TempDir;

enum class Kind { solver, maker, generator };

struct Program {
    const char* name;
    Kind kind;
    const char* input;  // a case for a solver, the answers for a maker
};

const Program programs[] = {
    {"pro3-solve", Kind::solver, "p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\nn=6 x y z w v u\n"},
    {"pro3-maketest", Kind::maker, "3\n4\n"},
    {"pro2-solve", Kind::solver, "t2b 4\n\t\tx\ty\n \tz\n"},
    {"pro2-maketest", Kind::maker, "b\n3\n4\n"},
    {"pro2-maketest-b", Kind::maker, "t\n2\n3\n"},
    {"pro6-solve", Kind::solver, "2 2\n1 3\n3 5\n3\n3\n4\n1\n"},
    {"pro6-solve-b", Kind::solver, "2 1\n3 1\n2\n2\n1\n3\n"},
    {"pro6-solve-c", Kind::solver, "2 2\n1 3\n3 5\n3\n3\n4\n1\n"},
    {"pro6-maketest", Kind::maker, "40 30\n6\n3\n"},
    {"pro6-maketest-b", Kind::maker, "40 30\n6\n3\n"},
    {"order-solve-list", Kind::solver, "1\n2\n785 2\n790 1\n\n4\n785 10\n785 7\n790 4\n785 2\n"},
    {"order-solve-grid", Kind::solver, "1\n2\n785 2\n790 1\n\n4\n785 10\n785 7\n790 4\n785 2\n"},
    {"order-solve-bucket", Kind::solver, "1\n2\n785 2\n790 1\n\n4\n785 10\n785 7\n790 4\n785 2\n"},
    {"order-gen", Kind::generator, ""},
    {"transfer-summary", Kind::solver, "-\n`a'\nBEGIN: 1\nEND: 62\nSIZE: 1536\n"},
    // The validators read a case as the solvers do and report on it.
    {"pro3-validate", Kind::solver, "p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\n"},
    {"pro2-validate", Kind::solver, "t2b 4\n\t\tx\ty\n \tz\n"},
    {"pro6-validate", Kind::solver, "2 2\n1 3\n3 5\n3\n3\n4\n1\n"},
    {"order-validate", Kind::solver, "1\n2\n785 2\n790 1\n\n4\n785 10\n785 7\n790 4\n785 2\n"},
};

// What a run writes to standard output, without the order solvers' clock
// reading (their last line), which may differ between two runs.
std::string answer_of(const Program& program, const std::string& out)
{
    if (std::string(program.name).rfind("order-solve", 0) != 0)
        return out;
    return out.substr(0, out.find('\n') + 1);
}

TEST(CommandLine, HelpDescribesTheProgramOnStandardOutput)
{
    for (const Program& program : programs) {
        const RunResult result = run_with(program.name, {"--help"});
        EXPECT_EQ(result.status, 0) << program.name;
        EXPECT_EQ(result.err, "") << program.name;
        const std::string usage = std::string("Usage: ") + program.name + " [OPTION]..." +
                                  (program.kind == Kind::solver ? " [FILE]\n" : "\n");
        EXPECT_EQ(result.out.substr(0, usage.size()), usage) << program.name;
        for (const char* part : {"\nOptions:\n", "  --help ", "  --version ", "\nExamples:\n  "})
            EXPECT_NE(result.out.find(part), std::string::npos) << program.name << " lacks " << part;
        EXPECT_EQ(result.out.find("--seed N") != std::string::npos, program.kind != Kind::solver) << program.name;
        EXPECT_EQ(result.out.back(), '\n') << program.name;
    }
}

TEST(CommandLine, VersionNamesTheSuite)
{
    std::vector<std::string> names;
    for (const Program& program : programs)
        names.push_back(program.name);
    // The shrink-steps programs, whose command line is their own.
    names.insert(names.end(), {"pro3-shrink", "pro2-shrink", "pro6-shrink", "order-shrink"});
    for (const std::string& name : names) {
        const RunResult result = run_with(name, {"--version"});
        EXPECT_EQ(result.status, 0) << name;
        EXPECT_EQ(result.out, name + " (exercise suite) " SUITE_VERSION "\n");
        EXPECT_EQ(result.err, "") << name;
    }
}

TEST(CommandLine, UsageErrorsExitWithStatusTwoBeforeAnyWork)
{
    struct Case {
        std::vector<std::string> args;
        std::string message;
        bool for_solvers;  // else for makers and order-gen
        bool for_others;
    };
    const std::vector<Case> cases = {
        {{"--bogus"}, "unrecognized option '--bogus'", true, true},
        {{"-Z"}, "invalid option -- 'Z'", true, true},
        {{"--version=2"}, "option '--version' doesn't allow an argument", true, true},
        {{"a", "b"}, "extra operand 'b'", true, false},
        {{"--", "-", "-"}, "extra operand '-'", true, false},
        {{"--seed", "1"}, "unrecognized option '--seed'", true, false},
        {{"case.txt"}, "extra operand 'case.txt'", false, true},
        {{"--seed"}, "option '--seed' requires an argument", false, true},
        {{"--seed", "x"}, "invalid value 'x' for --seed: expected a number from 0 to 4294967295", false, true},
        {{"--seed=-1"}, "invalid value '-1' for --seed: expected a number from 0 to 4294967295", false, true},
        {{"--seed", "4294967296"}, "invalid value '4294967296' for --seed: expected a number from 0 to 4294967295",
         false, true},
        {{"--seed", "12 "}, "invalid value '12 ' for --seed: expected a number from 0 to 4294967295", false, true},
        {{"--seed="}, "invalid value '' for --seed: expected a number from 0 to 4294967295", false, true},
    };
    TempDir folder;
    for (const Program& program : programs) {
        for (const Case& c : cases) {
            if (program.kind == Kind::solver ? !c.for_solvers : !c.for_others)
                continue;
            RunOptions options;
            options.args = c.args;
            options.directory = folder.path().string();  // where order-gen would write
            const RunResult result = run(program.name, program.input, options);
            EXPECT_EQ(result.status, 2) << program.name << " " << c.args[0];
            EXPECT_EQ(result.out, "") << program.name << " " << c.args[0];
            EXPECT_EQ(result.err, std::string(program.name) + ": " + c.message + "\nTry '" + program.name +
                                      " --help'.\n");
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(CommandLine, HelpThatCannotBeWrittenIsAWriteError)
{
    RunOptions full;
    full.stdout_to_full = true;
    full.args = {"--help"};
    for (const Program& program : programs) {
        const RunResult result = run(program.name, "", full);
        EXPECT_EQ(result.status, 1) << program.name;
        EXPECT_EQ(result.err, std::string(program.name) + ": write error: No space left on device\n");
    }
}

TEST(CommandLine, SolversReadTheFileOperandAsTheyReadStandardInput)
{
    TempDir folder;
    const std::filesystem::path file = folder.path() / "case.txt";
    for (const Program& program : programs) {
        if (program.kind != Kind::solver)
            continue;
        std::ofstream(file, std::ios::binary) << program.input;
        const RunResult piped = run(program.name, program.input);
        ASSERT_EQ(piped.status, 0) << program.name << piped.err;
        ASSERT_NE(piped.out, "") << program.name;
        // Standard input is not read when FILE is given.
        const RunResult named = run_with(program.name, {file.string()}, "ignored input");
        EXPECT_EQ(named.status, 0) << program.name << named.err;
        EXPECT_EQ(answer_of(program, named.out), answer_of(program, piped.out)) << program.name;
        // "-" is standard input, also behind "--".
        for (const std::vector<std::string>& args : {std::vector<std::string>{"-"}, {"--", "-"}}) {
            const RunResult dash = run_with(program.name, args, program.input);
            EXPECT_EQ(dash.status, 0) << program.name;
            EXPECT_EQ(answer_of(program, dash.out), answer_of(program, piped.out)) << program.name;
        }
    }
}

TEST(CommandLine, AFileThatCannotBeOpenedIsReported)
{
    TempDir folder;
    const std::string missing = (folder.path() / "missing.txt").string();
    const std::string directory = folder.path().string();
    for (const Program& program : programs) {
        if (program.kind != Kind::solver)
            continue;
        const RunResult absent = run_with(program.name, {missing}, program.input);
        EXPECT_EQ(absent.status, 1) << program.name;
        EXPECT_EQ(absent.out, "") << program.name;
        EXPECT_EQ(absent.err, std::string(program.name) + ": cannot open " + missing + ": No such file or directory\n");
        const RunResult folder_given = run_with(program.name, {directory}, program.input);
        EXPECT_EQ(folder_given.status, 1) << program.name;
        EXPECT_EQ(folder_given.out, "") << program.name;
        EXPECT_EQ(folder_given.err, std::string(program.name) + ": cannot open " + directory + ": Is a directory\n");
    }
}

TEST(CommandLine, MakersSeededWithASecondRewriteTheCaseOfThatSecond)
{
    for (const Program& program : programs) {
        if (program.kind != Kind::maker)
            continue;
        const std::time_t before = std::time(nullptr);
        const RunResult unseeded = run(program.name, program.input);
        const std::time_t after = std::time(nullptr);
        ASSERT_EQ(unseeded.status, 0) << program.name << unseeded.err;
        bool matched = false;
        for (std::time_t second = before; second <= after && !matched; ++second) {
            const RunResult seeded = run_with(program.name, {"--seed", std::to_string(second)}, program.input);
            EXPECT_EQ(seeded.status, 0) << program.name;
            matched = seeded.out == unseeded.out;
            if (matched) {
                // Banner and prompts are the same; only clock readings may differ.
                const std::string prompts = unseeded.err.substr(0, unseeded.err.find(">>>"));
                EXPECT_EQ(seeded.err.substr(0, prompts.size()), prompts) << program.name;
            }
        }
        EXPECT_TRUE(matched) << program.name << " wrote the case of no second from " << before << " to " << after;
    }
}

TEST(CommandLine, TheSeedDecidesTheCase)
{
    for (const Program& program : programs) {
        if (program.kind != Kind::maker)
            continue;
        const RunResult a = run_with(program.name, {"--seed", "4294967295"}, program.input);
        const RunResult b = run_with(program.name, {"--seed=4294967295"}, program.input);
        const RunResult c = run_with(program.name, {"--seed", "0"}, program.input);
        EXPECT_EQ(a.status, 0) << program.name;
        EXPECT_EQ(a.out, b.out) << program.name;
        EXPECT_NE(a.out, c.out) << program.name;
        // The last of several seeds counts.
        EXPECT_EQ(run_with(program.name, {"--seed", "0", "--seed", "4294967295"}, program.input).out, a.out);
    }
}

}  // namespace
