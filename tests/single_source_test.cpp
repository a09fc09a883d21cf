// The single source files the build writes to share/exercise-suite/sources/,
// each copied to an empty folder, compiled there alone with plain g++ and run
// beside the program the build made from the same source. A solver's file
// gives that program's standard output, standard error and exit status on
// every input of its table (clock readings masked); an input validator's file
// exits with 42 exactly on the cases its validator accepts with --strict, and
// with 43 on the others. Each file is compiled once, by the one test of it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/run.hpp"
#include "tests/support/traces.hpp"

namespace {

using testing_support::run_path;
using testing_support::run_with;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::TempDir;

const std::filesystem::path sources = SOURCES_DIR;

// NAME.cpp of the sources folder, compiled alone in a folder of its own,
// removed with the program at the end of scope.
class Compiled {
public:
    explicit Compiled(const std::string& name) : program_(folder_.path() / name)
    {
        std::filesystem::copy_file(sources / (name + ".cpp"), folder_.path() / (name + ".cpp"));
        RunOptions options;
        options.directory = folder_.path().string();
        options.args = {"-std=gnu++20", "-O2", name + ".cpp", "-o", name};
        compiler_ = run_path("g++", "", options);
    }

    // Whether it compiled; the compiler's messages otherwise.
    testing::AssertionResult built() const
    {
        if (compiler_.status == 0 && std::filesystem::exists(program_))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "g++ status " << compiler_.status << "\n" << compiler_.err;
    }

    RunResult run(const std::string& input, const std::vector<std::string>& args = {}) const
    {
        RunOptions options;
        options.args = args;
        return run_path(program_.string(), input, options);
    }

private:
    TempDir folder_;
    std::filesystem::path program_;
    RunResult compiler_;
};

// The case a maker writes for the given answers at a fixed seed.
std::string made(const std::string& maker, const std::string& answers, const std::string& seed = "1765000000")
{
    const RunResult result = run_with(maker, {"--seed", seed}, answers);
    EXPECT_EQ(result.status, 0) << maker << ": " << result.err;
    EXPECT_NE(result.out, "") << maker;
    return result.out;
}

// The order data order-gen writes with the given options.
std::string made_orders(const std::string& seed, const std::string& orders, const std::string& offers,
                        const std::string& max_price)
{
    TempDir folder;
    const std::string file = (folder.path() / "3-15.in").string();
    const RunResult result = run_with(
        "order-gen", {"--seed", seed, "--orders", orders, "--offers", offers, "--max-price", max_price, "-o", file});
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string text = testing_support::read_file(file);
    EXPECT_NE(text, "");
    return text;
}

// ---- Solvers -------------------------------------------------------------

std::vector<std::string> pro3_inputs()
{
    const std::string a_case = "p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\n";
    return {
        a_case + "p=1 q=1 r=0 a1=1 a2=1 n=6 s=dec\nr=-5 s=hex p=0 q=0 n=3 x=0 y=0\n",
        made("pro3-maketest", "3\n4\n"),
        made("pro3-maketest", "5\n2\n"),
        "",
        // The three words for 7, 8 and 9; octal and binary of negative terms.
        "p=0 q=0 r=7 a1=1 a2=1 n=3 s=dec\nr=8\nn=3 x x x x x\nr=9 x x x x x n=3\n",
        "p=0 q=0 r=-5 a1=1 a2=1 n=3 s=bin\nn=3 s=oct x x x x x\n",
        // An incomplete last case is dropped.
        a_case + "p=1 q=1\n",
        // Rejected after the lines already written.
        a_case + "p=1 q=1 r=0 a1=1 a2=1 n=2500001 s=dec\n",
        a_case + "a=5 x x x x x x\n",
    };
}

std::vector<std::string> pro2_inputs()
{
    using namespace std::string_literals;
    return {
        "t2b 4\n\t\tx\ty\n \tz\n",
        "b2t 4\n      x\n  \t  y\n   ",
        "wc only\na b\n\n",
        "",
        made("pro2-maketest", "t\n2\n4\n"),
        made("pro2-maketest", "w\n3\n"),
        made("pro2-maketest-b", "b\n2\n4\n"),
        // Widths of 0 and below; carriage returns, NUL and high bytes.
        "b2t 0\n    x\n",
        "t2b -3\n\tx\n",
        "t2b 3\n\t\r\0\xff x\n\t"s,
        "t2b 2147483648\nx\n",
    };
}

std::vector<std::string> pro6_inputs()
{
    return {
        "2 2\n1 3\n3 5\n3\n3\n4\n1\n",
        made("pro6-maketest", "2000 2000\n200\n100\n"),
        made("pro6-maketest-b", "300 300\n50\n20\n"),
        "",
        // Tokens split over lines any way; unsorted sequences.
        "2 1 4 9 6 1 6",
        "2 1\n3 1\n2\n1\n3\n",
        // The input ends early: unread values 0, the last answer repeated.
        "1 1\n4\n4\n3\n4\n",
        "-1 2\n",
        "1 0\n2147483648\n0\n",
    };
}

std::vector<std::string> order_inputs()
{
    return {
        "2\n2\n785 2\n790 1\n\n1\n785 1\n\n6\n785 10\n785 7\n790 4\n785 2\n785 7\n200 1\n",
        made_orders("1765000000", "30", "3000", "100000"),
        made_orders("7", "20", "2000", "2000000"),
        "0\n0\n",
        "",
        // More demand than offers; prices below 1.
        "1\n1\n785 3\n\n1\n785 5\n",
        "1\n1\n785 1\n\n2\n785 -5\n785 0\n",
        "1\n1\n199 1\n\n0\n",
    };
}

struct SolverFile {
    const char* name;    // NAME.cpp, made from the program NAME of bin/
    std::vector<std::string> (*inputs)();
    bool clock_line;     // the last line of standard output is a clock reading
    bool bench = false;  // the program is in bench/: a reference of the benchmarks
};

const SolverFile solver_files[] = {
    {"pro3-solve", pro3_inputs, false},
    {"pro3-solve-stepwise", pro3_inputs, false, true},
    {"pro2-solve", pro2_inputs, false},
    {"pro6-solve", pro6_inputs, false},
    {"pro6-solve-b", pro6_inputs, false},
    {"pro6-solve-c", pro6_inputs, false},
    {"order-solve-list", order_inputs, true},
    {"order-solve-grid", order_inputs, true},
    {"order-solve-bucket", order_inputs, true},
};

// The program the build made from the same source, run.
RunResult run_built(const SolverFile& file, const std::string& input, const std::vector<std::string>& args = {})
{
    if (!file.bench)
        return run_with(file.name, args, input);
    RunOptions options;
    options.args = args;
    return run_path(std::string(BENCH_DIR) + "/" + file.name, input, options);
}

// A run with its clock readings as "#": the pro6 solvers' traces on standard
// error, and, with `clock_line`, the number on the last line of standard
// output after a successful run.
RunResult masked(RunResult result, bool clock_line)
{
    result.err = testing_support::masked_readings(result.err, " =");
    if (clock_line && result.status == 0 && result.out.size() >= 2 && result.out.back() == '\n') {
        const std::string_view out = result.out;
        const std::size_t start = out.find_last_of('\n', out.size() - 2) + 1;
        const std::string_view last = out.substr(start, out.size() - 1 - start);
        if (!last.empty() && last.find_first_not_of("-0123456789") == std::string_view::npos)
            result.out = std::string(out.substr(0, start)) + "#\n";
    }
    return result;
}

// How a test names its file.
void PrintTo(const SolverFile& file, std::ostream* out)
{
    *out << file.name;
}

class SolverSource : public testing::TestWithParam<SolverFile> {};

TEST_P(SolverSource, RunsAsTheBuiltProgram)
{
    const SolverFile& file = GetParam();
    const Compiled compiled(file.name);
    ASSERT_TRUE(compiled.built()) << file.name;
    for (const std::string& input : file.inputs()) {
        SCOPED_TRACE(testing::Message() << file.name << " on \"" << input.substr(0, 60) << "\"");
        const RunResult expected = masked(run_built(file, input), file.clock_line);
        const RunResult got = masked(compiled.run(input), file.clock_line);
        EXPECT_EQ(got.status, expected.status);
        EXPECT_EQ(got.out, expected.out);
        EXPECT_EQ(got.err, expected.err);
    }
    // The version the build gives every program.
    const RunResult version = compiled.run("", {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, run_built(file, "", {"--version"}).out);
}

std::string test_name(const char* name)
{
    std::string text = name;
    std::replace(text.begin(), text.end(), '-', '_');
    return text;
}

INSTANTIATE_TEST_SUITE_P(Files, SolverSource, testing::ValuesIn(solver_files),
                         [](const testing::TestParamInfo<SolverFile>& info) { return test_name(info.param.name); });

// ---- Input validators ----------------------------------------------------

enum class Kind {
    valid,       // accepted with --strict
    not_strict,  // within the format's limits, not in the maker's layout
    invalid,     // outside the format's limits
};

struct ValidatorCase {
    Kind kind;
    std::string input;
};

std::vector<ValidatorCase> pro3_cases()
{
    const std::string line = "p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec";
    const std::string six = " x x x x x x";
    return {
        {Kind::valid, ""},
        {Kind::valid, line + "\n"},
        {Kind::valid, "s=hex n=0 a2=-7 a1=0 r=-2147483648 q=2147483647 p=5\n"},
        {Kind::valid, made("pro3-maketest", "3\n4\n")},
        {Kind::valid, made("pro3-maketest", "40\n1\n", "7")},
        {Kind::not_strict, "\n"},
        {Kind::not_strict, line},
        {Kind::not_strict, "p=1 q=1  r=0 a1=1 a2=1 n=10 s=dec\n"},
        {Kind::not_strict, "p=01 q=1 r=0 a1=1 a2=1 n=10 s=dec\n"},
        {Kind::not_strict, "p=1 q=1 r=0 a1=1 a2=1 n=10 x=1\n"},
        {Kind::invalid, "x x x n=2500001 x x x"},
        {Kind::invalid, line + "\np=1 q=1 r=0 a1=1 a2=1\n"},
        {Kind::invalid, "x a=5"},
        {Kind::invalid, std::string(24, 'x') + six},
    };
}

std::vector<ValidatorCase> pro2_cases()
{
    std::string printable;
    for (char c = 33; c < 127; ++c)
        printable += c;
    return {
        {Kind::valid, "wc only\n"},
        {Kind::valid, "t2b -536870912\n"},
        {Kind::valid, "wc only\n \t" + printable + "\n\n"},
        {Kind::valid, made("pro2-maketest", "t\n2\n4\n")},
        {Kind::valid, made("pro2-maketest", "w\n30\n")},
        {Kind::valid, made("pro2-maketest-b", "b\n2\n4\n")},
        {Kind::not_strict, "b2t 4\n      x\n  \t  y\n   "},
        {Kind::not_strict, "t2b 4\nab\n\tc\r\n"},
        {Kind::not_strict, "wc only\nx\n\x80"},
        {Kind::not_strict, "t2b 04\n"},
        {Kind::invalid, ""},
        {Kind::invalid, "t2b 1073741824\n\t\tx\n"},
        {Kind::invalid, "t\n"},
        {Kind::invalid, "t2b 2147483648\n"},
    };
}

std::vector<ValidatorCase> pro6_cases()
{
    return {
        {Kind::valid, "2 2\n1 3\n3 5\n3\n3\n4\n1\n"},
        {Kind::valid, "0 0\n\n\n0\n"},
        {Kind::valid, "0 2\n\n-1 0\n1\n-1\n"},
        {Kind::valid, made("pro6-maketest", "2000 2000\n200\n100\n")},
        {Kind::valid, made("pro6-maketest-b", "300 300\n50\n20\n")},
        {Kind::not_strict, "0 0 0"},
        {Kind::not_strict, "2 2\n1  3\n3 5\n0\n"},
        {Kind::not_strict, "2 2\n1 +3\n3 5\n0\n"},
        {Kind::not_strict, "2 2\n1 3\n3 5\n1\n3"},
        {Kind::invalid, "3 0\n1 2 1\n0\n"},
        {Kind::invalid, "1 0\n5\n1\n5\n5\n"},
        {Kind::invalid, "4 3\n62742 113600 134836 612688\n78088 772642 874562\n3\n78088\n134836\n"},
        {Kind::invalid, "10000001 0"},
    };
}

std::vector<ValidatorCase> order_cases()
{
    return {
        {Kind::valid, "2\n2\n785 2\n790 1\n\n1\n785 1\n\n6\n785 10\n785 7\n790 4\n785 2\n785 7\n200 1\n"},
        {Kind::valid, "0\n0\n"},
        {Kind::valid, "-1\n-1\n"},
        {Kind::valid, made_orders("1765000000", "30", "3000", "100000")},
        {Kind::valid, made_orders("7", "20", "2000", "2000000")},
        // --strict alone, without --for: cases that only order-solve-list
        // suits are valid.
        {Kind::valid, "1\n1\n785 3\n\n1\n785 5\n"},
        {Kind::valid, "1\n1\n785 1\n\n2\n785 -5\n785 0\n"},
        {Kind::not_strict, " 0\n0\n"},
        {Kind::not_strict, "0\n1\n785\t5\n"},
        {Kind::not_strict, "0\n1\n785 +5\n"},
        {Kind::not_strict, "0\n1\n785 5"},
        {Kind::invalid, "1 1 199 1 0"},
        {Kind::invalid, "0 1 785 5 6"},
        {Kind::invalid, "0\n2000001\n"},
        {Kind::invalid, "2 1 785 2147483647 1 785 1 0"},
    };
}

struct ValidatorFile {
    const char* name;       // NAME.cpp
    const char* validator;  // the validator of bin/ it is made from
    std::vector<ValidatorCase> (*cases)();
};

const ValidatorFile validator_files[] = {
    {"input-validator-pro3", "pro3-validate", pro3_cases},
    {"input-validator-pro2", "pro2-validate", pro2_cases},
    {"input-validator-pro6", "pro6-validate", pro6_cases},
    {"input-validator-3-15", "order-validate", order_cases},
};

void PrintTo(const ValidatorFile& file, std::ostream* out)
{
    *out << file.name;
}

class ValidatorSource : public testing::TestWithParam<ValidatorFile> {};

TEST_P(ValidatorSource, Exits42ExactlyWhereTheValidatorAcceptsWithStrict)
{
    const ValidatorFile& file = GetParam();
    const Compiled compiled(file.name);
    ASSERT_TRUE(compiled.built()) << file.name;
    const std::vector<ValidatorCase> cases = file.cases();
    for (const ValidatorCase& c : cases) {
        SCOPED_TRACE(testing::Message() << file.name << " on \"" << c.input.substr(0, 60) << "\"");
        // The table's kinds, as the built validator sees them.
        const RunResult strict = run_with(file.validator, {"--strict"}, c.input);
        const RunResult loose = run_with(file.validator, {}, c.input);
        EXPECT_EQ(strict.status, c.kind == Kind::valid ? 0 : 1);
        EXPECT_EQ(loose.status, c.kind == Kind::invalid ? 1 : 0);

        const RunResult got = compiled.run(c.input);
        EXPECT_EQ(got.status, c.kind == Kind::valid ? 42 : 43);
        // The validator's own report or message, as with --strict.
        EXPECT_EQ(got.out, strict.out);
        EXPECT_EQ(got.err, strict.err);
    }
    // Arguments are not passed on: standard input is read, with --strict.
    const RunResult given = compiled.run(cases.front().input, {"--version", "no-such-file"});
    EXPECT_EQ(given.status, 42);
    EXPECT_EQ(given.out, run_with(file.validator, {"--strict"}, cases.front().input).out);
}

INSTANTIATE_TEST_SUITE_P(Files, ValidatorSource, testing::ValuesIn(validator_files),
                         [](const testing::TestParamInfo<ValidatorFile>& info) { return test_name(info.param.name); });

// ---- Every file ------------------------------------------------------------

// Other files may share the folder: only those of add_single_source count.
TEST(SingleSources, EveryFileTheBuildMakesIsTestedHere)
{
    std::set<std::string> made;
    std::istringstream names(SINGLE_SOURCES);
    for (std::string name; names >> name;)
        made.insert(name);
    std::set<std::string> tested;
    for (const SolverFile& file : solver_files)
        tested.insert(file.name);
    for (const ValidatorFile& file : validator_files)
        tested.insert(file.name);
    EXPECT_EQ(made, tested);
}

}  // namespace
