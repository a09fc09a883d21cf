// The single source files the build writes to share/exercise-suite/sources/,
// each copied to an empty folder, compiled there alone with plain g++ as
// contest systems compile C++ (as C++20, and with g++'s own default of
// gnu++17, linked statically) and run beside the program the build made
// from the same source. A solver's file gives that program's standard
// output, standard error and exit status on every input of its table (clock
// readings masked); an input validator's file exits with 42 exactly on the
// cases its validator accepts with --strict, and with 43 on the others. The
// 3-15 output validator, one file already, is compiled the same ways and
// judges alike under each. A compile that warns fails. Each file is
// compiled once by each command, by the one test of it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>
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

// A command a contest system compiles a C++ submission with; the file and
// -o PROGRAM follow its options.
struct Command {
    const char* shown;
    std::vector<std::string> options;
    bool links_statically;
};

const Command commands[] = {
    {"g++ -std=gnu++20 -O2", {"-std=gnu++20", "-O2"}, false},
    // DOMjudge's default: no -std, so g++'s own, gnu++17 for GCC 11 to 13.
    {"g++ -x c++ -Wall -O2 -static -pipe", {"-x", "c++", "-Wall", "-O2", "-static", "-pipe"}, true},
    // The Kattis problem tools' default.
    {"g++ -std=gnu++17 -O2 -static", {"-std=gnu++17", "-O2", "-static"}, true},
};

// The static libraries g++ cannot find here, "" when it finds both: asked
// for one it lacks, g++ -print-file-name prints the bare name back.
std::string missing_static_libraries()
{
    std::string missing;
    for (const char* archive : {"libc.a", "libstdc++.a"}) {
        RunOptions options;
        options.args = {std::string("-print-file-name=") + archive};
        const RunResult found = run_path("g++", "", options);
        if (found.status != 0 || found.out.find('/') == std::string::npos)
            missing += std::string(missing.empty() ? "" : " and ") + archive;
    }
    return missing;
}

// NAME.cpp of `folder` compiled there by one command, as NUMBER/NAME.
class Program {
public:
    Program(const Command& command, const std::filesystem::path& folder, const std::string& file, int number)
        : command_(&command)
    {
        const std::string program = std::to_string(number) + "/" + std::filesystem::path(file).stem().string();
        path_ = folder / program;
        std::filesystem::create_directory(path_.parent_path());
        RunOptions options;
        options.directory = folder.string();
        options.args = command.options;
        options.args.insert(options.args.end(), {file, "-o", program});
        compiler_ = run_path("g++", "", options);
    }

    const char* command() const { return command_->shown; }

    // Whether it compiled without a word from the compiler; its messages
    // otherwise.
    testing::AssertionResult built() const
    {
        if (compiler_.status == 0 && compiler_.out.empty() && compiler_.err.empty() &&
            std::filesystem::exists(path_))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << command() << ": status " << compiler_.status << "\n"
                                           << compiler_.out << compiler_.err;
    }

    RunResult run(const std::string& input, const std::vector<std::string>& args = {}) const
    {
        RunOptions options;
        options.args = args;
        return run_path(path_.string(), input, options);
    }

private:
    const Command* command_;
    std::filesystem::path path_;
    RunResult compiler_;
};

// A source file copied to an empty folder and compiled there alone by each
// command at once, the first command's program first; removed with the
// programs at the end of scope. Where static linking is not possible, the
// commands that link statically are left out, and left_out() says why.
class Compiled {
public:
    explicit Compiled(const std::filesystem::path& source)
    {
        file_ = source.filename().string();
        std::filesystem::copy_file(source, folder_.path() / file_);
        static const std::string missing = missing_static_libraries();
        std::vector<std::future<Program>> compiling;
        for (const Command& command : commands) {
            if (command.links_statically && !missing.empty()) {
                left_out_ += std::string(left_out_.empty() ? "not compiled with " : ", nor with ") + command.shown;
                continue;
            }
            const int number = static_cast<int>(compiling.size());
            compiling.push_back(std::async(std::launch::async, [this, &command, number] {
                return Program(command, folder_.path(), file_, number);
            }));
        }
        for (std::future<Program>& program : compiling)
            programs_.push_back(program.get());
        if (!missing.empty())
            left_out_ += ": g++ cannot link statically here, for want of " + missing +
                         " (on Debian they come with g++, in libc6-dev and libstdc++-*-dev)";
    }

    // The programs that compiled without a warning; a failure for each other.
    std::vector<const Program*> built() const
    {
        std::vector<const Program*> built;
        for (const Program& program : programs_) {
            EXPECT_TRUE(program.built()) << file_;
            if (program.built())
                built.push_back(&program);
        }
        return built;
    }

    const std::string& left_out() const { return left_out_; }

private:
    TempDir folder_;
    std::string file_;
    std::vector<Program> programs_;
    std::string left_out_;
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
    const Compiled compiled(sources / (std::string(file.name) + ".cpp"));
    const std::vector<const Program*> programs = compiled.built();
    for (const std::string& input : file.inputs()) {
        SCOPED_TRACE(testing::Message() << file.name << " on \"" << input.substr(0, 60) << "\"");
        const RunResult expected = masked(run_built(file, input), file.clock_line);
        for (const Program* program : programs) {
            SCOPED_TRACE(program->command());
            const RunResult got = masked(program->run(input), file.clock_line);
            EXPECT_EQ(got.status, expected.status);
            EXPECT_EQ(got.out, expected.out);
            EXPECT_EQ(got.err, expected.err);
        }
    }
    // The version the build gives every program.
    const std::string version = run_built(file, "", {"--version"}).out;
    for (const Program* program : programs) {
        SCOPED_TRACE(program->command());
        const RunResult got = program->run("", {"--version"});
        EXPECT_EQ(got.status, 0);
        EXPECT_EQ(got.out, version);
    }
    if (!compiled.left_out().empty())
        GTEST_SKIP() << compiled.left_out();
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
    const Compiled compiled(sources / (std::string(file.name) + ".cpp"));
    const std::vector<const Program*> programs = compiled.built();
    const std::vector<ValidatorCase> cases = file.cases();
    for (const ValidatorCase& c : cases) {
        SCOPED_TRACE(testing::Message() << file.name << " on \"" << c.input.substr(0, 60) << "\"");
        // The table's kinds, as the built validator sees them.
        const RunResult strict = run_with(file.validator, {"--strict"}, c.input);
        const RunResult loose = run_with(file.validator, {}, c.input);
        EXPECT_EQ(strict.status, c.kind == Kind::valid ? 0 : 1);
        EXPECT_EQ(loose.status, c.kind == Kind::invalid ? 1 : 0);

        for (const Program* program : programs) {
            SCOPED_TRACE(program->command());
            const RunResult got = program->run(c.input);
            EXPECT_EQ(got.status, c.kind == Kind::valid ? 42 : 43);
            // The validator's own report or message, as with --strict.
            EXPECT_EQ(got.out, strict.out);
            EXPECT_EQ(got.err, strict.err);
        }
    }
    // Arguments are not passed on: standard input is read, with --strict.
    const std::string report = run_with(file.validator, {"--strict"}, cases.front().input).out;
    for (const Program* program : programs) {
        SCOPED_TRACE(program->command());
        const RunResult given = program->run(cases.front().input, {"--version", "no-such-file"});
        EXPECT_EQ(given.status, 42);
        EXPECT_EQ(given.out, report);
    }
    if (!compiled.left_out().empty())
        GTEST_SKIP() << compiled.left_out();
}

INSTANTIATE_TEST_SUITE_P(Files, ValidatorSource, testing::ValuesIn(validator_files),
                         [](const testing::TestParamInfo<ValidatorFile>& info) { return test_name(info.param.name); });

// ---- The 3-15 output validator -------------------------------------------

// The team's output for an answer of the 3-15 solvers (the totals, then a
// clock reading), and whether the validator accepts it.
struct Judgement {
    const char* answer;
    const char* team;
    bool accepted;
};

const Judgement judgements[] = {
    {"20\n9\n", "20\n0\n", true},
    {"20\n9\n", "20\n-12345678901234567890\n", true},
    {"20\n9", "20\n7", true},
    {"20\n9\n", "21\n9\n", false},
    {"20\n9\n", "20\n9 \n", false},
    {"20\n9\n", "20\n123456789012345678901\n", false},
    {"20\n9\n", "20\n9", false},
    {"20\n9", "20\n9\n", false},
    {"20\n9\n", "", false},
};

// Each command's program accepts and rejects alike, with the same words in
// judgemessage.txt.
TEST(OutputValidatorSource, JudgesAlikeUnderEveryCommand)
{
    const Compiled compiled(ORDER_OUTPUT_VALIDATOR);
    const std::vector<const Program*> programs = compiled.built();
    ASSERT_FALSE(programs.empty());
    const TempDir folder;
    const std::string input = (folder.path() / "3-15.in").string();
    const std::string answer = (folder.path() / "3-15.ans").string();
    std::ofstream(input, std::ios::binary) << "0\n0\n";
    for (const Judgement& judgement : judgements) {
        SCOPED_TRACE(testing::Message() << "\"" << judgement.team << "\" for \"" << judgement.answer << "\"");
        std::ofstream(answer, std::ios::binary) << judgement.answer;
        RunResult first;
        std::string first_message;
        for (const Program* program : programs) {
            SCOPED_TRACE(program->command());
            const TempDir feedback;
            const RunResult got = program->run(judgement.team, {input, answer, feedback.path().string()});
            const std::string message = testing_support::read_file(feedback.path() / "judgemessage.txt");
            EXPECT_EQ(got.status, judgement.accepted ? 42 : 43);
            EXPECT_EQ(message.empty(), judgement.accepted) << message;
            if (program == programs.front()) {
                first = got;
                first_message = message;
            }
            EXPECT_EQ(got.out, first.out);
            EXPECT_EQ(got.err, first.err);
            EXPECT_EQ(message, first_message);
        }
    }
    if (!compiled.left_out().empty())
        GTEST_SKIP() << compiled.left_out();
}

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
