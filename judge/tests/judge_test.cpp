// exercise-judge run as a user would: usage errors, the suite's own solvers
// judged against the references, every misbehaviour of a solution in both
// sandbox modes with nothing left behind, stress and shrinking, seeds that
// repeat, stored cases, the JSON and JUnit reports, and interruption.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "judge/tests/judge_runner.hpp"
#include "judge/tests/processes.hpp"
#include "judge/tests/xml.hpp"
#include "tests/support/run.hpp"

namespace {

namespace fs = std::filesystem;
using judge_testing::JudgeResult;
using judge_testing::JudgeRunner;
using judge_testing::new_marker;
using judge_testing::processes_with;
using nlohmann::json;
using testing_support::read_file;

const std::string bin = BIN_DIR;

// True when bwrap can run a command here; the bwrap tests are skipped
// otherwise (CI installs it, so there both modes are covered).
bool bwrap_works()
{
    static const bool works = [] {
        const JudgeRunner runner;
        const JudgeResult result =
            runner.judge({"--sandbox", "bwrap", "--cases", "1", "--seed", "1", "pro3", "--", bin + "/pro3-solve"});
        return result.status == 0;
    }();
    return works;
}

std::vector<std::string> sandbox_modes()
{
    return bwrap_works() ? std::vector<std::string>{"none", "bwrap"} : std::vector<std::string>{"none"};
}

// The verdict column of the table's row for case `name`: the row starts
// with the name, right-aligned, and the verdict stands between two blanks.
std::string verdict_of(const std::string& table, const std::string& name)
{
    static const char* const verdicts[] = {"OK",           "WRONG ANSWER",  "TIME LIMIT",  "MEMORY LIMIT",
                                           "OUTPUT LIMIT", "RUNTIME ERROR", "INVALID CASE"};
    std::size_t start = 0;
    while (start < table.size()) {
        const std::size_t end = table.find('\n', start);
        const std::string line = table.substr(start, end - start);
        const std::size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos && line.compare(first, name.size() + 2, name + "  ") == 0)
            for (const char* verdict : verdicts)
                if (line.find("  " + std::string(verdict) + "  ") != std::string::npos)
                    return verdict;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return "";
}

TEST(JudgeUsage, ErrorsEndWithStatusTwoAndOneMessage)
{
    const JudgeRunner runner;
    fs::create_directories(runner.folder() / "empty");
    const std::string empty = (runner.folder() / "empty").string();
    const std::string solver = bin + "/pro3-solve";
    struct Case {
        std::vector<std::string> args;
        const char* message;  // a part of the one line on standard error, after ""
    };
    const Case cases[] = {
        {{"pro9", "--", solver}, "unknown exercise 'pro9' (pro3, pro2, pro6 or 3-15)"},
        {{"--bogus", "pro3", "--", solver}, "unrecognized option '--bogus'"},
        {{"--bogus"}, "unrecognized option '--bogus'"},
        {{"-Z", "pro3", "--", solver}, "invalid option -- 'Z'"},
        {{"--answers", "--orders 10", "--bogus=1", "3-15", "--", solver}, "unrecognized option '--bogus'"},
        {{"--cases", "0", "pro3", "--", solver}, "--cases"},
        {{"--cases", "x", "pro3", "--", solver}, "--cases"},
        {{"--seed", "4294967296", "pro3", "--", solver}, "--seed"},
        {{"--size", "huge", "pro3", "--", solver}, "--size"},
        {{"--sandbox", "chroot", "pro3", "--", solver}, "--sandbox"},
        {{"--time-limit", "-1", "pro3", "--", solver}, "--time-limit"},
        {{"pro3"}, "no SOLUTION to judge"},
        {{"pro3", "--"}, "no SOLUTION to judge"},
        {{}, "EXERCISE is required"},
        {{"--stress", "--cases-dir", empty, "pro3", "--", solver}, "--stress makes its own cases"},
        {{"--cases-dir", empty, "pro3", "--", solver}, "no cases (NAME.in files) in "},
        {{"--cases-dir", empty + "/missing", "pro3", "--", solver}, "cannot read the cases folder "},
        {{"pro3", "--", "/no/such/solver"}, "cannot run /no/such/solver: not an executable file"},
        {{"pro3", "--", "no-such-solver-anywhere"}, "cannot run no-such-solver-anywhere: not found"},
        {{"--reference", "no-such-reference", "pro3", "--", solver},
         "cannot find the reference no-such-reference beside "},
        {{"--json", empty + "/missing/r.json", "pro3", "--", solver}, "cannot write "},
    };
    for (const Case& c : cases) {
        const JudgeResult result = runner.judge(c.args);
        std::string args;
        for (const std::string& arg : c.args)
            args += arg + " ";
        EXPECT_EQ(result.status, 2) << args << result.err;
        const std::string first_line = result.err.substr(0, result.err.find('\n'));
        EXPECT_EQ(first_line.rfind("exercise-judge: ", 0), 0u) << args << "\n" << result.err;
        EXPECT_NE(first_line.find(c.message), std::string::npos) << args << "\n" << result.err;
        EXPECT_EQ(result.out.find("passed"), std::string::npos) << args;
        EXPECT_TRUE(runner.clean()) << args;
    }
}

TEST(JudgeUsage, HelpAndVersion)
{
    const JudgeRunner runner;
    const JudgeResult version = runner.judge({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "exercise-judge (exercise suite) " SUITE_VERSION "\n");
    const JudgeResult help = runner.judge({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: exercise-judge [OPTION]... EXERCISE SOLUTION...\n"
                             "  or:  exercise-judge [OPTION]... EXERCISE -- COMMAND [ARG]...\n",
                             0),
              0u);
    for (const char* part : {"\nOptions:\n", "\n      --time-limit SECONDS\n", "\n  -j, --jobs N ",
                             "\n      --help ", "\nExamples:\n  exercise-judge "})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    // Options after "--" belong to the command.
    const JudgeResult theirs = runner.judge({"--cases", "1", "--seed", "3", "--sandbox", "none", "pro3", "--",
                                             MISBEHAVE, "honest", "--", bin + "/pro3-solve", "--help"});
    EXPECT_EQ(theirs.status, 1) << theirs.err;
}

// Results that cannot be written: status 1, as for every program.
TEST(JudgeUsage, WriteErrorIsStatusOne)
{
    const JudgeRunner runner;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--version"},
          std::vector<std::string>{"--cases", "1", "--seed", "1", "pro3", "--", "pro3-solve"}}) {
        const JudgeResult result = runner.finish(runner.start(args, true));
        EXPECT_EQ(result.status, 1) << args[0];
        EXPECT_EQ(result.err, "exercise-judge: write error: No space left on device\n") << args[0];
        EXPECT_TRUE(runner.clean()) << args[0];
    }
}

// The suite's solvers against the references: every case passes.
TEST(JudgeSuite, SolversPassAgainstTheReferences)
{
    const JudgeRunner runner;
    struct Case {
        std::vector<std::string> args;
        int cases;
    };
    const Case cases[] = {
        {{"pro3", "--", "pro3-solve"}, 4},
        {{"pro2", "--", "pro2-solve"}, 6},
        {{"pro6", "--", "pro6-solve"}, 4},
        {{"pro6", "--", "pro6-solve-b"}, 4},
        {{"pro6", "--", "pro6-solve-c"}, 4},
        {{"--reference", "pro6-solve-c", "pro6", "--", "pro6-solve"}, 3},
        {{"3-15", "--", "order-solve-list"}, 3},
        {{"--reference", "order-solve-grid", "3-15", "--", "order-solve-bucket"}, 3},
        {{"--reference", "order-solve-bucket", "3-15", "--", "order-solve-list"}, 3},
        {{"--answers", "--orders 20 --offers 5000 --max-price 100000", "3-15", "--", "order-solve-grid"}, 3},
        {{"--size", "medium", "pro3", "--", "pro3-solve"}, 2},
        {{"--answers", "30 30\\n20\\n10\\n", "pro6", "--", "pro6-solve"}, 2},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"--cases", std::to_string(c.cases), "--seed", "1765000000", "-j", "2"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const JudgeResult result = runner.judge(args);
        const std::string shown = c.args[c.args.size() - 1];
        EXPECT_EQ(result.status, 0) << shown << "\n" << result.out << result.err;
        const std::string summary = std::to_string(c.cases) + " passed, 0 failed\n";
        EXPECT_NE(result.out.find(summary), std::string::npos) << shown << "\n" << result.out;
        EXPECT_TRUE(runner.clean()) << shown;
    }
}

// A TCP port on 127.0.0.1 that accepts connections while it lives.
class Listener {
public:
    Listener() : fd_(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(fd_, 16) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("cannot listen");
        port_ = ntohs(address.sin_port);
    }
    ~Listener() { ::close(fd_); }
    int port() const { return port_; }

private:
    int fd_;
    int port_ = 0;
};

// Each misbehaviour in each sandbox mode: its verdict, no process of it
// left, no file of the judge's left.
TEST(JudgeHostile, EveryMisbehaviourGetsItsVerdictAndLeavesNothing)
{
    const JudgeRunner runner;
    const Listener listener;
    // Outside /tmp and outside the solution's folder: writable for the
    // judge's user, read-only in bwrap.
    const fs::path outside = fs::path(bin).parent_path() / ("judge-test-" + std::to_string(::getpid()));
    fs::create_directories(outside);
    struct Case {
        std::vector<std::string> misbehaviour;
        const char* time_limit;
        const char* verdict_none;   // in mode none
        const char* verdict_bwrap;  // in mode bwrap
        const char* detail;         // a part of the detail line in both modes, "" for none
    };
    const Case cases[] = {
        {{"spin"}, "0.5", "TIME LIMIT", "TIME LIMIT", ""},
        {{"sleep"}, "0.5", "TIME LIMIT", "TIME LIMIT", "above 2 s of wall time"},
        {{"hog"}, "5", "MEMORY LIMIT", "MEMORY LIMIT", "memory above 256 MB"},
        {{"flood"}, "5", "OUTPUT LIMIT", "OUTPUT LIMIT", "output above 1 MB"},
        {{"fork", "6"}, "5", "OK", "OK", ""},
        {{"lock"}, "5", "OK", "OK", ""},
        {{"escape", "6"}, "5", "OK", "OK", ""},
        {{"close"}, "5", "WRONG ANSWER", "WRONG ANSWER", R"(found "" (the end of the output))"},
        {{"tty"}, "5", "RUNTIME ERROR", "RUNTIME ERROR", "exit status 5"},
        {{"segv"}, "5", "RUNTIME ERROR", "RUNTIME ERROR", "killed by SIGSEGV"},
        {{"exit", "3"}, "5", "RUNTIME ERROR", "RUNTIME ERROR", "exit status 3"},
        {{"exit", "139"}, "5", "RUNTIME ERROR", "RUNTIME ERROR", "exit status 139"},
        {{"garbage"}, "5", "WRONG ANSWER", "WRONG ANSWER", R"(found "\xff\xfe<&\">\x00\x01\x1b[0m\xc3(\n")"},
        // No socket of the network's families opens, in either mode.
        {{"net", std::to_string(listener.port())}, "5", "OK", "OK", ""},
        {{"write", (outside / "escaped").string()}, "5", "WRONG ANSWER", "OK", ""},
        {{"peek", runner.temporary()}, "5", "WRONG ANSWER", "OK", ""},
        // The ways a solution might slip past the judge, each closed.
        {{"calls"}, "5", "OK", "OK", ""},
        // As root without a sandbox, the fake report is written: beside the
        // keeper's, it makes the report malformed.
        {{"report"}, "5", "RUNTIME ERROR", "RUNTIME ERROR", ""},
        {{"crowd", "300", "300"}, "5", "RUNTIME ERROR", "RUNTIME ERROR", "more than 256 processes or threads"},
        // On a loaded machine the wall-time limit may come first: the time
        // these use is measured in SolutionsOwnUseIsMeasured.
        {{"crowd", "40", "1500"}, "1", "TIME LIMIT", "TIME LIMIT", ""},
        {{"orphan", "burn", "1500"}, "1", "TIME LIMIT", "TIME LIMIT", ""},
        {{"orphan", "hold", "400"}, "5", "MEMORY LIMIT", "MEMORY LIMIT", "memory above 256 MB"},
    };
    for (const std::string& mode : sandbox_modes()) {
        for (const Case& c : cases) {
            const std::string marker = new_marker();
            std::vector<std::string> args{"--sandbox", mode, "--seed", "42", "--cases", "1", "--time-limit",
                                          c.time_limit, "--memory-limit", "256", "--output-limit", "1", "pro3", "--",
                                          MISBEHAVE};
            args.insert(args.end(), c.misbehaviour.begin(), c.misbehaviour.end());
            args.insert(args.end(), {marker, "--", bin + "/pro3-solve"});
            const JudgeResult result = runner.judge(args);
            const std::string shown = mode + " " + c.misbehaviour[0];
            const std::string verdict = mode == "bwrap" ? c.verdict_bwrap : c.verdict_none;
            EXPECT_EQ(verdict_of(result.out, "1"), verdict) << shown << "\n" << result.out << result.err;
            EXPECT_EQ(result.status, verdict == "OK" ? 0 : 1) << shown;
            EXPECT_NE(result.out.find(c.detail), std::string::npos) << shown << "\n" << result.out;
            EXPECT_TRUE(processes_with(marker).empty()) << shown;
            EXPECT_TRUE(runner.clean()) << shown;
        }
        // What only bwrap prevents: the write outside went through without it.
        EXPECT_EQ(fs::exists(outside / "escaped"), mode == "none") << mode;
        fs::remove(outside / "escaped");
    }
    fs::remove_all(outside);
}

// A keeper killed by the solution (which only a solution outside bwrap can
// do) leaves no report: no verdict of the solution's own, and never OK.
TEST(JudgeHostile, RunWithoutTheKeepersReportIsNeverOk)
{
    const JudgeRunner runner;
    for (const std::string& mode : sandbox_modes()) {
        const JudgeResult result = runner.judge({"--sandbox", mode, "--seed", "42", "--cases", "1", "pro3", "--",
                                                 MISBEHAVE, "kill-keeper", "--", bin + "/pro3-solve"});
        const bool none = mode == "none";
        EXPECT_EQ(verdict_of(result.out, "1"), none ? "RUNTIME ERROR" : "OK") << mode << "\n" << result.out;
        EXPECT_EQ(result.out.find("RUNTIME ERROR: the sandbox gave no report") != std::string::npos, none) << mode;
        EXPECT_TRUE(runner.clean()) << mode;
    }
}

// What the sandbox's in-memory /tmp and /dev/shm hold is the solution's
// memory; the host's /dev/shm gets nothing.
TEST(JudgeHostile, InMemoryFilesCountAsMemoryInBwrap)
{
    if (!bwrap_works())
        GTEST_SKIP() << "bwrap cannot run here";
    const JudgeRunner runner;
    const auto host_shm = [] {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator("/dev/shm"))
            names.push_back(entry.path().filename().string());
        return names;
    };
    const std::vector<std::string> before = host_shm();
    for (const char* file : {"/tmp/filled", "/dev/shm/filled"}) {
        const JudgeResult result =
            runner.judge({"--sandbox", "bwrap", "--seed", "42", "--cases", "1", "--memory-limit", "64", "pro3", "--",
                          MISBEHAVE, "fill", file, "100", "--", bin + "/pro3-solve"});
        EXPECT_EQ(verdict_of(result.out, "1"), "MEMORY LIMIT") << file << "\n" << result.out << result.err;
        EXPECT_TRUE(runner.clean()) << file;
    }
    EXPECT_EQ(host_shm(), before);
}

// A link planted in the save folder is replaced by the saved file; its
// target is never written.
TEST(JudgeHostile, SaveNeverFollowsALink)
{
    const JudgeRunner runner;
    const fs::path saved = runner.folder() / "saved";
    const fs::path victim = runner.folder() / "victim";
    fs::create_directories(saved);
    std::ofstream(victim) << "precious\n";
    for (const char* suffix : {".in", ".out", ".cmd"})
        fs::create_symlink(victim, saved / (std::string("seed-5") + suffix));
    const JudgeResult result = runner.judge({"--seed", "5", "--cases", "1", "--save", saved.string(), "pro3", "--",
                                             MISBEHAVE, "garbage"});
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_EQ(read_file(victim), "precious\n");
    for (const char* suffix : {".in", ".out", ".cmd"})
        EXPECT_FALSE(fs::is_symlink(saved / (std::string("seed-5") + suffix))) << suffix;
    EXPECT_EQ(read_file(saved / "seed-5.out").substr(0, 2), "\xff\xfe");
    EXPECT_EQ(std::distance(fs::directory_iterator(saved), fs::directory_iterator()), 4);
}

// The solution gets a small environment of its own, and --env; what the
// judge prints names a case as text, never as terminal control; without a
// sandbox the judge says what that means.
TEST(JudgeHostile, CleanEnvironmentAndEscapedNames)
{
    const JudgeRunner runner;
    for (const std::string& mode : sandbox_modes()) {
        const JudgeResult hidden = runner.judge({"--sandbox", mode, "--seed", "4", "--cases", "1", "pro3", "--",
                                                 MISBEHAVE, "env", judge_testing::secret_variable, "-", "--",
                                                 bin + "/pro3-solve"});
        EXPECT_EQ(verdict_of(hidden.out, "1"), "OK") << mode << "\n" << hidden.out;
        const JudgeResult given = runner.judge({"--sandbox", mode, "--env", "GIVEN=a b", "--seed", "4", "--cases", "1",
                                                "pro3", "--", MISBEHAVE, "env", "GIVEN", "a b", "--",
                                                bin + "/pro3-solve"});
        EXPECT_EQ(verdict_of(given.out, "1"), "OK") << mode << "\n" << given.out;
        EXPECT_EQ(given.err.find("no sandbox: the solution runs as your user") != std::string::npos, mode == "none")
            << given.err;
    }
    const fs::path cases = runner.folder() / "cases";
    fs::create_directories(cases);
    std::ofstream(cases / "a\x1b[31mb\x07.in") << "p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\n";
    const JudgeResult result = runner.judge({"--cases-dir", cases.string(), "pro3", "--", MISBEHAVE, "exit", "1"});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(result.out.find_first_of("\x1b\x07"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("\na\\x1b[31mb\\x07  "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("case a\\x1b[31mb\\x07: RUNTIME ERROR"), std::string::npos) << result.out;
}

// The stored cases and their expected outputs, outside /tmp, are out of
// the solution's sight in bwrap, and in plain view without it.
TEST(JudgeHostile, CasesFolderIsHiddenInBwrap)
{
    const JudgeRunner runner;
    const fs::path cases = fs::path(bin).parent_path() / ("judge-cases-" + std::to_string(::getpid()));
    fs::create_directories(cases);
    std::ofstream(cases / "a.in") << "p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\n";
    std::ofstream(cases / "a.ans") << "55\n";
    for (const std::string& mode : sandbox_modes()) {
        const JudgeResult result = runner.judge({"--sandbox", mode, "--cases-dir", cases.string(), "pro3", "--",
                                                 MISBEHAVE, "peek", cases.string(), "--", bin + "/pro3-solve"});
        EXPECT_EQ(verdict_of(result.out, "a"), mode == "bwrap" ? "OK" : "WRONG ANSWER") << mode << "\n" << result.out;
    }
    fs::remove_all(cases);
}

// What is measured is the solution's own use, in both modes: processor
// time it spent, memory it touched, and the time of processes no one
// waited for (orphans, children of a parent that ignores SIGCHLD, one
// among many sleepers), which a control group counts whoever reaps them.
TEST(JudgeHostile, SolutionsOwnUseIsMeasured)
{
    const JudgeRunner runner;
    const fs::path report = runner.folder() / "report.json";
    struct Case {
        std::vector<std::string> misbehaviour;
        double least_seconds;
        std::uint64_t least_bytes;
    };
    const Case cases[] = {
        {{"burn", "300"}, 0.3, 0},
        {{"hold", "96"}, 0, std::uint64_t{96} << 20},
        {{"orphan", "burn", "1500"}, 1.5, 0},
        {{"ignored", "6", "250"}, 1.5, 0},
        {{"crowd", "40", "1500"}, 1.5, 0},
    };
    for (const std::string& mode : sandbox_modes()) {
        for (const Case& c : cases) {
            std::vector<std::string> args{"--sandbox", mode, "--seed", "42", "--cases", "1", "--json", report.string(),
                                          "pro3", "--", MISBEHAVE};
            args.insert(args.end(), c.misbehaviour.begin(), c.misbehaviour.end());
            args.insert(args.end(), {"--", bin + "/pro3-solve"});
            const JudgeResult result = runner.judge(args);
            const std::string shown = mode + " " + c.misbehaviour[0];
            EXPECT_EQ(result.status, 0) << shown << "\n" << result.out << result.err;
            const json measured = json::parse(read_file(report))["cases"][0];
            EXPECT_GE(measured["cpu_seconds"].get<double>(), c.least_seconds) << shown;
            EXPECT_GE(measured["memory_bytes"].get<std::uint64_t>(), c.least_bytes) << shown;
        }
    }
}

// A planted fault (a wrong answer for any case longer than 2,000 bytes) is
// found by --stress on the first case and shrunk to a case just longer.
TEST(JudgeStress, PlantedFaultIsFoundAndShrunk)
{
    const JudgeRunner runner;
    const fs::path saved = runner.folder() / "saved";
    const fs::path report = runner.folder() / "report.json";
    const JudgeResult result = runner.judge({"--stress", "--cases", "5", "--seed", "700", "--size", "medium", "--save",
                                             saved.string(), "--json", report.string(), "pro6", "--", MISBEHAVE,
                                             "wrong-above", "2000", "--", bin + "/pro6-solve"});
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_TRUE(runner.clean());
    const json parsed = json::parse(read_file(report));
    ASSERT_EQ(parsed["cases"].size(), 1u);
    const json& shrinking = parsed["shrinking"];
    ASSERT_TRUE(shrinking.is_object()) << parsed.dump(2);
    EXPECT_EQ(shrinking["original"]["seed"], 700);
    EXPECT_EQ(shrinking["original"]["answers"], "10000 10000\n1000\n500\n");
    EXPECT_EQ(shrinking["shrunk"]["seed"], 700);
    EXPECT_EQ(shrinking["shrunk"]["verdict"], "WRONG ANSWER");
    EXPECT_GT(shrinking["attempts"].get<int>(), 0);
    EXPECT_NE(result.out.find("Shrunk in "), std::string::npos) << result.out;

    // The shrunk case still fails and lies just above the fault's threshold;
    // the original is saved beside it.
    const std::string shrunk_case = read_file(saved / "seed-700-shrunk.in");
    EXPECT_GT(shrunk_case.size(), 2000u);
    EXPECT_LE(shrunk_case.size(), 2100u);
    EXPECT_GT(read_file(saved / "seed-700.in").size(), 100000u);
    EXPECT_EQ(read_file(saved / "seed-700-shrunk.out"), "wrong\n");
    // The expected output is the reference's, and the replay command
    // reproduces the failing output.
    EXPECT_EQ(read_file(saved / "seed-700-shrunk.ans"),
              testing_support::run("pro6-solve", shrunk_case).out);
    const fs::path replayed = runner.folder() / "replayed";
    const std::string replay = "sh " + (saved / "seed-700-shrunk.cmd").string() + " > " + replayed.string();
    EXPECT_EQ(std::system(replay.c_str()), 0);
    EXPECT_EQ(read_file(replayed), "wrong\n");
}

// The whitespace-separated tokens of a text.
std::vector<std::string> tokens_of(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> tokens;
    for (std::string token; in >> token;)
        tokens.push_back(token);
    return tokens;
}

// A solution that prints only the first position of a value found more
// than once: --stress on medium cases shrinks its failure by the content to
// a case of a few numbers that the validator takes with --strict, on which
// it still fails alike, shown in the table and the JSON as saved.
TEST(JudgeStress, FailureShrunkByItsContentToAFewNumbers)
{
    const JudgeRunner runner;
    const fs::path saved = runner.folder() / "saved";
    const fs::path report = runner.folder() / "report.json";
    const auto began = std::chrono::steady_clock::now();
    const JudgeResult result = runner.judge({"--stress", "--size", "medium", "--seed", "1", "--save", saved.string(),
                                             "--json", report.string(), "pro6", GRETA});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_TRUE(runner.clean());
    const json shrinking = json::parse(read_file(report))["shrinking"];
    ASSERT_TRUE(shrinking["content"].is_object()) << shrinking.dump(2);
    const std::string shrunk_case = read_file(saved / "seed-1-shrunk.in");
    EXPECT_EQ(shrinking["content"]["case"], shrunk_case);
    EXPECT_LE(tokens_of(shrunk_case).size(), 10u) << shrunk_case;
    EXPECT_EQ(testing_support::run_with("pro6-validate", {"--strict"}, shrunk_case).status, 0) << shrunk_case;
    EXPECT_EQ(shrinking["shrunk"]["verdict"], shrinking["original"]["verdict"]);
    EXPECT_EQ(shrinking["shrunk"]["seed"], nullptr);
    EXPECT_LE(shrinking["attempts"].get<int>(), 500);
    EXPECT_LT(seconds, 120);
    // Still failing: the reference's answer and the solution's differ, and
    // are what each writes on the case.
    const std::string expected = testing_support::run("pro6-solve", shrunk_case).out;
    testing_support::RunOptions greta;
    greta.args = {GRETA};
    const std::string found = testing_support::run_path("python3", shrunk_case, greta).out;
    EXPECT_NE(expected, found);
    EXPECT_EQ(read_file(saved / "seed-1-shrunk.ans"), expected);
    EXPECT_EQ(read_file(saved / "seed-1-shrunk.out"), found);
    EXPECT_EQ(shrinking["content"]["expected"], expected);
    EXPECT_EQ(shrinking["content"]["found"], found);
    // The table shows the case and both outputs line by line.
    std::string shown = "  case:\n";
    for (const auto& [name, text] : {std::pair{"", shrunk_case}, {"expected", expected}, {"found", found}}) {
        if (*name != '\0')
            shown += std::string("  ") + name + ":\n";
        for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1)
            shown += "  | " + text.substr(at, text.find('\n', at) - at) + "\n";
    }
    EXPECT_NE(result.out.find(shown), std::string::npos) << result.out;
    std::printf("content shrink: %d attempts in all, %d on the content, %.2f s of %.2f s; %zu numbers\n",
                shrinking["attempts"].get<int>(), shrinking["content"]["attempts"].get<int>(),
                shrinking["content"]["seconds"].get<double>(), seconds, tokens_of(shrunk_case).size());
}

// A solution that turns every 7 it prints into a 1: each exercise's own
// shrink steps take its first failure to a case of a line or two that its
// validator takes with --strict and on which the output still has a 7.
TEST(JudgeStress, EachExercisesShrinkerLeavesALineOrTwo)
{
    const JudgeRunner runner;
    for (const auto& [exercise, solver] : {std::pair{"pro3", "pro3-solve"}, {"pro2", "pro2-solve"}}) {
        const fs::path report = runner.folder() / (std::string(exercise) + ".json");
        const JudgeResult result =
            runner.judge({"--stress", "--size", "small", "--seed", "1", "--json", report.string(), exercise, "--",
                          "sh", "-c", std::string(solver) + " | tr 7 1"});
        EXPECT_EQ(result.status, 1) << result.out << result.err;
        const json shrinking = json::parse(read_file(report))["shrinking"];
        ASSERT_TRUE(shrinking["content"].is_object()) << exercise << shrinking.dump(2);
        const std::string shrunk_case = shrinking["content"]["case"];
        EXPECT_LE(std::count(shrunk_case.begin(), shrunk_case.end(), '\n'), 2) << shrunk_case;
        EXPECT_EQ(testing_support::run_with(std::string(exercise) + "-validate", {"--strict"}, shrunk_case).status, 0)
            << shrunk_case;
        EXPECT_EQ(shrinking["shrunk"]["verdict"], "WRONG ANSWER");
        const std::string expected = testing_support::run(solver, shrunk_case).out;
        EXPECT_EQ(shrinking["content"]["expected"], expected);
        EXPECT_NE(expected.find('7'), std::string::npos) << expected;
    }
}

// Budget options: numbers within their ranges, or the usage error.
TEST(JudgeStress, ShrinkBudgetOptionsAreChecked)
{
    const JudgeRunner runner;
    const struct {
        std::vector<std::string> option;
        std::string message;
    } wrong[] = {
        {{"--shrink-attempts", "0"}, "invalid value '0' for --shrink-attempts: not in the range 1 to 1000000\n"},
        {{"--shrink-attempts", "many"},
         "invalid value 'many' for --shrink-attempts: not a number (1 to 1000000)\n"},
        {{"--shrink-seconds", "0"}, "invalid value '0' for --shrink-seconds: not in the range 0.001 to 86400\n"},
    };
    for (const auto& c : wrong) {
        std::vector<std::string> args = c.option;
        args.insert(args.end(), {"--stress", "pro6", "--", "pro6-solve"});
        const JudgeResult result = runner.judge(args);
        EXPECT_EQ(result.status, 2) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    // One attempt: the failure is judged once more and left as it was made.
    const fs::path report = runner.folder() / "budget.json";
    const JudgeResult result = runner.judge({"--stress", "--size", "medium", "--seed", "1", "--shrink-attempts", "1",
                                             "--json", report.string(), "pro6", GRETA});
    EXPECT_EQ(result.status, 1) << result.err;
    const json shrinking = json::parse(read_file(report))["shrinking"];
    EXPECT_EQ(shrinking["attempts"], 1);
    EXPECT_FALSE(shrinking.contains("content")) << shrinking.dump(2);
    EXPECT_NE(result.out.find("Shrunk in 1 attempts to seed 1, answers \""), std::string::npos) << result.out;
}

// No failure: --stress judges all --cases and says so.
TEST(JudgeStress, NoFailureRunsEveryCase)
{
    const JudgeRunner runner;
    const JudgeResult result = runner.judge({"--stress", "--cases", "3", "--seed", "5", "pro6", "--", "pro6-solve-b"});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("No failure in 3 cases.\n3 passed, 0 failed\n"), std::string::npos) << result.out;
}

// The same seed makes the same cases; the next seed another.
TEST(JudgeSeeds, SameSeedSameCases)
{
    const JudgeRunner runner;
    for (const char* exercise : {"pro3", "pro2", "pro6", "3-15"}) {
        std::vector<std::string> saved_cases[2];
        for (int run = 0; run < 2; ++run) {
            const fs::path saved = runner.folder() / ("saved-" + std::to_string(run));
            fs::remove_all(saved);
            const JudgeResult result = runner.judge({"--cases", "3", "--seed", "4000000000", "--save", saved.string(),
                                                     exercise, "--", MISBEHAVE, "exit", "1"});
            EXPECT_EQ(result.status, 1) << exercise << result.err;
            for (const char* seed : {"4000000000", "4000000001", "4000000002"})
                saved_cases[run].push_back(read_file(saved / (std::string("seed-") + seed + ".in")));
        }
        EXPECT_EQ(saved_cases[0], saved_cases[1]) << exercise;
        EXPECT_FALSE(saved_cases[0][0].empty()) << exercise;
        EXPECT_NE(saved_cases[0][0], saved_cases[0][1]) << exercise;
    }
}

// Stored cases: with and without an expected output, a wrong expected
// output, an invalid case; the table names them.
TEST(JudgeStored, CasesFolderIsJudgedByName)
{
    const JudgeRunner runner;
    const fs::path cases = runner.folder() / "cases";
    fs::create_directories(cases);
    std::ofstream(cases / "a.in") << "2 2\n1 3\n3 5\n3\n3\n4\n1\n";
    std::ofstream(cases / "a.ans") << "1 3 3 5\n2 3\nNumber Not Found\n1\n";
    std::ofstream(cases / "b.in") << "1 1\n4\n4\n1\n4\n";
    std::ofstream(cases / "c.in") << "1 1\n5\n6\n1\n5\n";
    std::ofstream(cases / "c.ans") << "5 6\n2\n";
    std::ofstream(cases / "d.in") << "1 1\n5\n6\n1\nINVALID\n";
    std::ofstream(cases / "notes.txt") << "not a case\n";
    const JudgeResult result = runner.judge({"--cases-dir", cases.string(), "pro6", "--", "pro6-solve"});
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_EQ(verdict_of(result.out, "a"), "OK") << result.out;
    EXPECT_EQ(verdict_of(result.out, "b"), "OK") << result.out;
    EXPECT_EQ(verdict_of(result.out, "c"), "WRONG ANSWER") << result.out;
    EXPECT_EQ(verdict_of(result.out, "d"), "INVALID CASE") << result.out;
    EXPECT_NE(result.out.find(R"(case c: WRONG ANSWER: line 2, column 1: expected "2\n", found "1\n")"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("case d: INVALID CASE: pro6-validate: line 5, column 1: "), std::string::npos)
        << result.out;
    // The invalid case counts against no solution.
    EXPECT_NE(result.out.find("\n1 invalid case left out of the counts\n2 passed, 1 failed\n"), std::string::npos)
        << result.out;
    EXPECT_TRUE(runner.clean());
}

// Two classic faults that small made cases miss: only the first position of
// a repeated value, and a reader that drops the minus sign. The exercise's
// edge cases, a group of their own, catch both; a right solution passes.
TEST(JudgeEdges, EdgeCasesCatchWhatSmallCasesMiss)
{
    const JudgeRunner runner;
    const fs::path greta = runner.folder() / "greta.py";
    std::ofstream(greta) << "import sys\n"
                            "d = sys.stdin.read().split()\n"
                            "n, m = int(d[0]), int(d[1])\n"
                            "v = sorted(map(int, d[2:2 + n + m]))\n"
                            "q = int(d[2 + n + m])\n"
                            "first = {}\n"
                            "for i, x in enumerate(v, 1): first.setdefault(x, i)\n"
                            "print(' '.join(map(str, v)))\n"
                            "for s in d[3 + n + m:3 + n + m + q]:\n"
                            "    print(first.get(int(s), 'Number Not Found'))\n";
    const fs::path lena = runner.folder() / "lena.py";
    std::ofstream(lena) << "import sys\n"
                           "d = [int(w.lstrip(b'-')) for w in sys.stdin.buffer.read().split()]\n"
                           "n, m = d[0], d[1]\n"
                           "v = sorted(d[2:2 + n + m])\n"
                           "q = d[2 + n + m]\n"
                           "at = {}\n"
                           "for i, x in enumerate(v, 1): at.setdefault(x, []).append(str(i))\n"
                           "print(' '.join(map(str, v)))\n"
                           "for s in d[3 + n + m:3 + n + m + q]:\n"
                           "    print(' '.join(at[s]) if s in at else 'Number Not Found')\n";
    const fs::path csv = runner.folder() / "class.csv";
    const JudgeResult without = runner.judge({"--seed", "7", "--cases", "3", "pro6", greta.string(), lena.string()});
    EXPECT_EQ(without.status, 0) << without.out << without.err;
    const JudgeResult with = runner.judge(
        {"--seed", "7", "--cases", "3", "--edges", "--csv", csv.string(), "pro6", greta.string(), lena.string()});
    EXPECT_EQ(with.status, 1) << with.out << with.err;
    EXPECT_NE(with.out.find("groups small, edges"), std::string::npos) << with.out;
    std::stringstream sheet(read_file(csv));
    std::string row;
    std::getline(sheet, row);
    EXPECT_EQ(row.substr(row.find(",small,")), ",small,edges,score\r") << row;
    // Each passes the made cases and fails some of the 16 edge cases.
    for (int student = 0; student < 2; ++student) {
        ASSERT_TRUE(std::getline(sheet, row)) << read_file(csv);
        std::vector<std::string> cells;
        std::stringstream fields(row);
        for (std::string cell; std::getline(fields, cell, ',');)
            cells.push_back(cell);
        ASSERT_EQ(cells.size(), 12u) << row;
        EXPECT_EQ(cells[9], "3") << row;
        EXPECT_LT(std::stoi(cells[10]), 16) << row;
        EXPECT_LT(std::stod(cells[11]), 100) << row;
    }
    const JudgeResult right = runner.judge({"--seed", "7", "--cases", "2", "--edges", "pro6", "--", "pro6-solve"});
    EXPECT_EQ(right.status, 0) << right.out << right.err;
    EXPECT_NE(right.out.find("all-equal  edges"), std::string::npos) << right.out;
    for (const std::vector<std::string>& misuse :
         {std::vector<std::string>{"--edges", "--cases-dir", runner.folder().string(), "pro6", greta.string()},
          std::vector<std::string>{"--edges", "--stress", "pro6", greta.string()}}) {
        const JudgeResult refused = runner.judge(misuse);
        EXPECT_EQ(refused.status, 2) << refused.err;
        EXPECT_NE(refused.err.find("--edges"), std::string::npos) << refused.err;
    }
    EXPECT_TRUE(runner.clean());
}

// The JSON and JUnit reports parse back and say what the table says, with
// hostile output quoted safely.
TEST(JudgeReports, JsonAndJunitAreWellFormed)
{
    const JudgeRunner runner;
    const fs::path json_file = runner.folder() / "r.json";
    const fs::path junit_file = runner.folder() / "r.xml";
    const fs::path cases = runner.folder() / "cases";
    fs::create_directories(cases);
    std::ofstream(cases / "good.in") << "p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\n";
    std::ofstream(cases / "bad.in") << "p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\n";
    std::ofstream(cases / "bad.ans") << "<&\"'>\n";
    std::ofstream(cases / "invalid.in") << "INVALID\n";
    const JudgeResult result = runner.judge({"--cases-dir", cases.string(), "--json", json_file.string(), "--junit",
                                             junit_file.string(), "pro3", "--", "pro3-solve"});
    EXPECT_EQ(result.status, 1) << result.out << result.err;

    const json report = json::parse(read_file(json_file));
    EXPECT_EQ(report["exercise"], "pro3");
    EXPECT_EQ(report["passed"], 1);
    EXPECT_EQ(report["failed"], 1);
    ASSERT_EQ(report["invalid_cases"].size(), 1u);
    EXPECT_EQ(report["invalid_cases"][0]["name"], "invalid");
    ASSERT_EQ(report["cases"].size(), 3u);
    EXPECT_EQ(report["cases"][0]["name"], "bad");
    EXPECT_EQ(report["cases"][0]["verdict"], "WRONG ANSWER");
    EXPECT_EQ(report["cases"][0]["detail"], R"(line 1, column 1: expected "<&\"'>\n", found "55\n")");
    EXPECT_EQ(report["cases"][1]["name"], "good");
    EXPECT_EQ(report["cases"][1]["verdict"], "OK");
    EXPECT_GT(report["cases"][1]["memory_bytes"].get<std::uint64_t>(), 0u);
    EXPECT_EQ(report["cases"][2]["verdict"], "INVALID CASE");
    EXPECT_TRUE(report["cases"][2]["cpu_seconds"].is_null());

    const judge_testing::Element root = judge_testing::parse_xml(read_file(junit_file));
    EXPECT_EQ(root.name, "testsuites");
    // The solution's suite without the invalid case, which is an error of
    // the cases' own suite.
    const judge_testing::Element& suite = root.child("testsuite");
    EXPECT_EQ(suite.attributes.at("tests"), "2");
    EXPECT_EQ(suite.attributes.at("failures"), "1");
    EXPECT_EQ(suite.attributes.at("errors"), "0");
    ASSERT_EQ(suite.count("testcase"), 2u);
    const judge_testing::Element& failure = suite.child("testcase", 0).child("failure");
    EXPECT_EQ(failure.attributes.at("type"), "WRONG ANSWER");
    EXPECT_EQ(failure.attributes.at("message"), "WRONG ANSWER: " + report["cases"][0]["detail"].get<std::string>());
    EXPECT_EQ(suite.child("testcase", 1).children.size(), 0u);
    const judge_testing::Element& cases_suite = root.child("testsuite", 1);
    EXPECT_EQ(cases_suite.attributes.at("errors"), "1");
    EXPECT_EQ(cases_suite.child("testcase").child("error").attributes.at("type"), "INVALID CASE");
}

// Raw bytes of a solution's output reach the reports escaped: both parse.
TEST(JudgeReports, HostileOutputStaysWellFormed)
{
    const JudgeRunner runner;
    const fs::path json_file = runner.folder() / "r.json";
    const fs::path junit_file = runner.folder() / "r.xml";
    const JudgeResult result =
        runner.judge({"--cases", "2", "--seed", "9", "--json", json_file.string(), "--junit", junit_file.string(),
                      "pro3", "--", MISBEHAVE, "garbage", "\xff\xfe<&>"});
    EXPECT_EQ(result.status, 1) << result.err;
    const json report = json::parse(read_file(json_file));
    EXPECT_EQ(report["failed"], 2);
    const judge_testing::Element root = judge_testing::parse_xml(read_file(junit_file));
    const std::string message = root.child("testsuite").child("testcase").child("failure").attributes.at("message");
    EXPECT_NE(message.find(R"(found "\xff\xfe<&\">\x00\x01\x1b[0m\xc3(\n")"), std::string::npos) << message;
}

// Interrupted while a solution runs: the solution is killed, the temporary
// files removed, and the judge ends by the signal.
TEST(JudgeInterrupt, SignalEndsEverything)
{
    for (const int signal : {SIGINT, SIGTERM}) {
        const JudgeRunner runner;
        const std::string marker = new_marker();
        const pid_t judge = runner.start({"--cases", "3", "--seed", "1", "--time-limit", "60", "pro3", "--",
                                          MISBEHAVE, "fork", "3", marker, "--", MISBEHAVE, "sleep", marker});
        // Waits (for up to a minute on a loaded machine) for the solution.
        for (int wait = 0; wait < 600 && processes_with(marker, MISBEHAVE).size() < 4; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_EQ(processes_with(marker, MISBEHAVE).size(), 4u);
        ::kill(judge, signal);
        const JudgeResult result = runner.finish(judge);
        EXPECT_EQ(result.status, 128 + signal) << result.out << result.err;
        EXPECT_NE(result.err.find("interrupted by SIG"), std::string::npos) << result.err;
        EXPECT_TRUE(processes_with(marker).empty());
        EXPECT_TRUE(runner.clean());
    }
}

// Killed outright, the judge cannot clean up; its solution still dies with
// it, in both modes.
TEST(JudgeInterrupt, SolutionDiesWithAKilledJudge)
{
    for (const std::string& mode : sandbox_modes()) {
        const JudgeRunner runner;
        const std::string marker = new_marker();
        const pid_t judge = runner.start({"--sandbox", mode, "--cases", "1", "--seed", "1", "--time-limit", "60",
                                          "pro3", "--", MISBEHAVE, "sleep", marker});
        for (int wait = 0; wait < 600 && processes_with(marker, MISBEHAVE).empty(); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_EQ(processes_with(marker, MISBEHAVE).size(), 1u) << mode;
        ::kill(judge, SIGKILL);
        EXPECT_EQ(runner.finish(judge).status, 128 + SIGKILL);
        // The kernel kills it as its parent ends; reaping may take a moment.
        for (int wait = 0; wait < 300 && !processes_with(marker).empty(); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_TRUE(processes_with(marker).empty()) << mode;
        // Its control groups are left, empty, and the next judge removes
        // them. Whether they are still there now cannot be asserted: a judge
        // of another test running beside this one may have removed them.
        const JudgeResult next = runner.judge({"--sandbox", mode, "--cases", "1", "--seed", "1", "pro3", "--",
                                               bin + "/pro3-solve"});
        EXPECT_EQ(next.status, 0) << mode << "\n" << next.err;
        EXPECT_TRUE(judge_testing::groups_of(judge).empty()) << mode;
    }
}

}  // namespace
