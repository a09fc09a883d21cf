// The process runner in process: how each misbehaviour of a program ends,
// what is measured, and that nothing of it is left behind; and the keeper
// that measures a solution inside the sandbox, run directly.

#include "judge/run/process.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "judge/run/cgroup.hpp"
#include "judge/run/keeper.hpp"
#include "judge/tests/processes.hpp"
#include "tests/support/run.hpp"

namespace {

namespace fs = std::filesystem;
using judge::Ending;
using judge::Launch;
using judge::Outcome;
using judge_testing::groups_of;
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
    // A control group's kernel holds memory to the limit: the peak reaches
    // it; sampling sees it passed.
    const Outcome hogged = run("hog", {}, {30, 60, std::uint64_t{64} << 20, 0});
    EXPECT_EQ(hogged.ending, Ending::memory_limit);
    EXPECT_GE(hogged.peak_memory_bytes, std::uint64_t{64} << 20);
    // The kernel stops a flood one byte past the file limit, and the run is
    // still measured.
    const Outcome flooded = run("flood", {}, {30, 60, 0, std::uint64_t{1} << 20});
    // The kernel's SIGXFSZ, or the monitor's look at the file first.
    EXPECT_TRUE(flooded.ending == Ending::output_limit || (flooded.ending == Ending::signaled && flooded.code == SIGXFSZ))
        << static_cast<int>(flooded.ending) << " " << flooded.code;
    EXPECT_GT(flooded.wall_seconds, 0.0);
    EXPECT_GT(flooded.peak_memory_bytes, 0u);
    struct stat info {};
    ASSERT_EQ(::stat(output_path().c_str(), &info), 0);
    EXPECT_EQ(static_cast<std::uint64_t>(info.st_size), (std::uint64_t{1} << 20) + 1);
}

// Standard output and error sent to one file share one descriptor: the
// lines follow each other, neither overwrites the other.
TEST_F(Runner, BothStreamsIntoOneFileKeepEveryLine)
{
    Launch launch;
    launch.argv = {"/bin/sh", "-c", "echo 'stdout line one'; echo ERR >&2; echo 'stdout line two'"};
    launch.output = launch.error = output_path();
    launch.limits = roomy;
    const Outcome outcome = judge::run(launch);
    EXPECT_EQ(outcome.ending, Ending::exited);
    EXPECT_EQ(testing_support::read_file(output_path()), "stdout line one\nERR\nstdout line two\n");
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

// What only a control group sees, on a machine that has them: kernel
// memory counted and held to the limit, threads counted, the time of
// children nobody waits for; and no group left after the runs.
TEST_F(Runner, ControlGroupHoldsWhatSamplingMisses)
{
    if (judge::measure() == judge::Measure::sampling)
        GTEST_SKIP() << "no control groups here: " << judge::control_groups().why();
    const judge::Limits tight{30, 60, std::uint64_t{64} << 20, 0, 8};
    struct Case {
        const char* mode;
        std::vector<std::string> args;
        Ending ending;
    };
    const Case cases[] = {
        {"kernel", {"tables", "200"}, Ending::memory_limit},
        {"kernel", {"pipes", "200"}, Ending::memory_limit},
        {"kernel", {"sockets", "200"}, Ending::memory_limit},
        {"threads", {"2000"}, Ending::process_limit},
        {"threads", {"7"}, Ending::exited},
    };
    for (const Case& c : cases) {
        const Outcome outcome = run(c.mode, c.args, tight);
        EXPECT_EQ(outcome.ending, c.ending) << c.mode << " " << c.args[0] << ": " << outcome.why;
        EXPECT_TRUE(processes_with(marker_).empty()) << c.mode;
    }
    // Six workers of 0.25 s each, reaped by the kernel.
    const Outcome ignored = run("ignored", {"6", "250"}, roomy);
    EXPECT_EQ(ignored.ending, Ending::exited);
    EXPECT_GE(ignored.cpu_seconds, 1.5);
    EXPECT_TRUE(groups_of(::getpid()).empty());
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

// exercise-judge-keeper run directly, its report read from descriptor 3.
struct Kept {
    int status = -1;
    judge::KeeperReport report{};
    bool reported = false;
};

Kept keep(const std::vector<std::string>& command, const std::vector<std::string>& options = {})
{
    TempDir folder;
    const std::string report_path = (folder.path() / "report").string();
    const std::string keeper = BIN_DIR "/exercise-judge-keeper";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(report_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, judge::keeper_fd);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        std::vector<char*> argv{const_cast<char*>(keeper.c_str())};
        for (const std::string& option : options)
            argv.push_back(const_cast<char*>(option.c_str()));
        argv.push_back(const_cast<char*>("--"));
        for (const std::string& word : command)
            argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        ::execv(keeper.c_str(), argv.data());
        ::_exit(126);
    }
    Kept kept;
    int status = 0;
    ::waitpid(pid, &status, 0);
    kept.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    const std::string bytes = testing_support::read_file(report_path);
    kept.reported = bytes.size() == sizeof kept.report;
    if (kept.reported)
        std::memcpy(&kept.report, bytes.data(), sizeof kept.report);
    return kept;
}

TEST(Keeper, ReportsHowTheCommandEndedAndWhatItUsed)
{
    const std::string marker = new_marker();
    const Kept exited = keep({MISBEHAVE, "exit", "3"});
    EXPECT_EQ(exited.status, 3);
    ASSERT_TRUE(exited.reported);
    EXPECT_EQ(exited.report.magic, judge::keeper_magic);
    EXPECT_EQ(exited.report.signaled, 0);
    EXPECT_EQ(exited.report.code, 3);

    const Kept killed = keep({MISBEHAVE, "segv"});
    EXPECT_EQ(killed.status, 128 + SIGSEGV);
    ASSERT_TRUE(killed.reported);
    EXPECT_EQ(killed.report.signaled, 1);
    EXPECT_EQ(killed.report.code, SIGSEGV);

    // Processor time and memory of the command, and of the children it
    // leaves (killed by the keeper) too.
    const Kept burned = keep({MISBEHAVE, "burn", "200", marker, "--", "/bin/true"});
    EXPECT_EQ(burned.status, 0);
    EXPECT_GE(burned.report.user_microseconds + burned.report.system_microseconds, 200000);
    const Kept held = keep({MISBEHAVE, "hold", "40", marker, "--", "/bin/true"});
    EXPECT_GE(held.report.peak_kilobytes, 40 * 1024);
    const Kept forked = keep({MISBEHAVE, "escape", "3", marker, "--", "/bin/true"});
    EXPECT_EQ(forked.status, 0);
    EXPECT_TRUE(processes_with(marker).empty());

    // The bytes a counted file system holds at the end: 3 MB written to a
    // file system in memory.
    const fs::path shm_file = "/dev/shm/keeper-test-" + std::to_string(::getpid());
    const Kept filled = keep({MISBEHAVE, "fill", shm_file.string(), "3", marker, "--", "/bin/true"},
                             {"--count", "/dev/shm"});
    fs::remove(shm_file);
    EXPECT_GE(filled.report.held_bytes, 3 << 20);

    const Kept missing = keep({"/nonexistent/program"});
    EXPECT_EQ(missing.status, 127);
    EXPECT_EQ(missing.report.signaled, 0);
    EXPECT_EQ(missing.report.code, 127);
}

}  // namespace
