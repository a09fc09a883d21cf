// The process runner in process: how each misbehaviour of a program ends,
// what is measured, and that nothing of it is left behind.

#include "judge/process.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include "judge/tests/processes.hpp"
#include "tests/support/run.hpp"

namespace {

using judge::Ending;
using judge::Launch;
using judge::Outcome;
using judge_testing::new_marker;
using judge_testing::processes_with;
using testing_support::TempDir;

class Runner : public ::testing::Test {
protected:
    static void SetUpTestSuite() { judge::take_charge_of_processes(); }

    // Runs misbehave in MODE with ARGS, then the marker, then -- pro3-solve.
    Outcome run(const std::string& mode, std::vector<std::string> args, judge::Limits limits)
    {
        const std::string input = (folder_.path() / "case.in").string();
        std::ofstream(input) << "p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\n";
        Launch launch;
        launch.argv = {MISBEHAVE, mode};
        launch.argv.insert(launch.argv.end(), args.begin(), args.end());
        launch.argv.insert(launch.argv.end(), {marker_, "--", BIN_DIR "/pro3-solve"});
        launch.input = input;
        launch.output = output_path();
        launch.directory = folder_.path().string();
        launch.limits = limits;
        return judge::run(launch);
    }

    std::string output_path() const { return (folder_.path() / "out").string(); }

    TempDir folder_;
    std::string marker_ = new_marker();
};

// Generous limits for programs that end by themselves.
constexpr judge::Limits roomy{60, 120, std::uint64_t{1} << 30, std::uint64_t{1} << 24};

TEST_F(Runner, HonestRunIsMeasuredAndItsOutputKept)
{
    const Outcome outcome = run("honest", {}, roomy);
    EXPECT_EQ(outcome.ending, Ending::exited);
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(testing_support::read_file(output_path()), "55\n");
    EXPECT_GT(outcome.peak_memory_bytes, 0u);
    EXPECT_GT(outcome.wall_seconds, 0.0);
    EXPECT_GE(outcome.wall_seconds + 0.05, outcome.cpu_seconds);
}

// Each misbehaviour and how the run ends; the limits are small, the
// misbehaviours never end by themselves.
TEST_F(Runner, EveryMisbehaviourEndsAsExpected)
{
    struct Case {
        const char* mode;
        std::vector<std::string> args;
        judge::Limits limits;
        Ending ending;
        int code;
    };
    const Case cases[] = {
        {"spin", {}, {0.3, 30, 0, 0}, Ending::cpu_limit, 0},
        {"sleep", {}, {30, 0.5, 0, 0}, Ending::wall_limit, 0},
        {"hog", {}, {30, 60, std::uint64_t{64} << 20, 0}, Ending::memory_limit, 0},
        {"flood", {}, {30, 60, 0, std::uint64_t{1} << 20}, Ending::signaled, SIGXFSZ},
        {"segv", {}, roomy, Ending::signaled, SIGSEGV},
        {"exit", {"3"}, roomy, Ending::exited, 3},
        {"tty", {}, roomy, Ending::exited, 5},
    };
    for (const Case& c : cases) {
        const Outcome outcome = run(c.mode, c.args, c.limits);
        EXPECT_EQ(outcome.ending, c.ending) << c.mode << ": " << outcome.why;
        if (c.ending == Ending::exited || c.ending == Ending::signaled) {
            EXPECT_EQ(outcome.code, c.code) << c.mode;
        }
        EXPECT_TRUE(processes_with(marker_).empty()) << c.mode;
    }
}

TEST_F(Runner, LimitsAreMeasuredPastTheirBounds)
{
    const Outcome spun = run("spin", {}, {0.3, 30, 0, 0});
    EXPECT_GT(spun.cpu_seconds, 0.3);
    const Outcome hogged = run("hog", {}, {30, 60, std::uint64_t{64} << 20, 0});
    EXPECT_GT(hogged.peak_memory_bytes, std::uint64_t{64} << 20);
    const Outcome flooded = run("flood", {}, {30, 60, 0, std::uint64_t{1} << 20});
    struct stat info {};
    ASSERT_EQ(::stat(output_path().c_str(), &info), 0);
    EXPECT_EQ(static_cast<std::uint64_t>(info.st_size), (std::uint64_t{1} << 20) + 1);
}

// Children that stay in the group, and children that leave it, are killed
// when the first process ends.
TEST_F(Runner, ChildrenLeftBehindAreKilled)
{
    for (const char* mode : {"fork", "escape"}) {
        const Outcome outcome = run(mode, {"5"}, roomy);
        EXPECT_EQ(outcome.ending, Ending::exited) << mode;
        EXPECT_EQ(outcome.code, 0) << mode;
        EXPECT_EQ(testing_support::read_file(output_path()), "55\n") << mode;
        EXPECT_TRUE(processes_with(marker_).empty()) << mode;
    }
}

TEST_F(Runner, ProgramThatCannotStartIsReported)
{
    Launch launch;
    launch.argv = {"/nonexistent/program"};
    const Outcome outcome = judge::run(launch);
    EXPECT_EQ(outcome.ending, Ending::not_started);
    EXPECT_EQ(outcome.code, ENOENT);
    EXPECT_NE(outcome.why.find("/nonexistent/program"), std::string::npos) << outcome.why;
}

}  // namespace
