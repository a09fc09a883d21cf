// The second round of attacks on exercise-judge, each with the verdict a
// correct judge gives, in both sandbox modes where it applies, and nothing
// left behind (processes, control groups, files, message queues): kernel
// memory, threads, the time of children no one waits for, the case written
// through standard input, a saboteur emptying the case two solutions
// share, the suite's own programs run from a source, a host's local
// socket, other solutions' sources, files of an in-memory working folder,
// message queues and the network's sockets; and honest solutions in every
// language still passing.

#include <gtest/gtest.h>
#include <mqueue.h>
#include <sys/socket.h>
#include <sys/statfs.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "judge/run/cgroup.hpp"
#include "judge/run/programs.hpp"
#include "judge/tests/judge_runner.hpp"
#include "judge/tests/processes.hpp"
#include "tests/support/run.hpp"

namespace {

namespace fs = std::filesystem;
using judge_testing::groups_of;
using judge_testing::JudgeResult;
using judge_testing::JudgeRunner;
using judge_testing::new_marker;
using judge_testing::processes_with;
using nlohmann::json;
using testing_support::read_file;

const std::string bin = BIN_DIR;

// A PRO3 case and its answer, stored as a teacher would store them.
const char* const pro3_case = "p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\n";
const char* const pro3_answer = "55\n";

bool bwrap_works()
{
    static const bool works = [] {
        const JudgeRunner runner;
        return runner.judge({"--sandbox", "bwrap", "--cases", "1", "--seed", "1", "pro3", "--", bin + "/pro3-solve"})
                   .status == 0;
    }();
    return works;
}

std::vector<std::string> sandbox_modes()
{
    return bwrap_works() ? std::vector<std::string>{"none", "bwrap"} : std::vector<std::string>{"none"};
}

// The attacks on limits need the kernel's count: without control groups
// the judge samples, and these pass unseen.
bool has_control_groups()
{
    return judge::find_groups("").kind != judge::Measure::sampling;
}

// A folder outside /tmp, beside the build, that no sandbox shows: where a
// teacher's files lie. Removed at the end of scope.
class Outside {
public:
    explicit Outside(const std::string& what)
        : path_(fs::path(bin).parent_path() / (what + "-" + std::to_string(::getpid())))
    {
        fs::create_directories(path_);
    }
    ~Outside() { fs::remove_all(path_); }
    Outside(const Outside&) = delete;
    Outside& operator=(const Outside&) = delete;
    const fs::path& path() const { return path_; }
    fs::path write(const std::string& name, const std::string& text) const
    {
        std::ofstream(path_ / name, std::ios::binary) << text;
        return path_ / name;
    }

private:
    fs::path path_;
};

// Each solution's verdicts, case by case, from the JSON of several.
std::map<std::string, std::string> verdicts_of(const fs::path& report)
{
    std::map<std::string, std::string> verdicts;
    const json parsed = json::parse(read_file(report));
    if (parsed.contains("solutions")) {
        for (const json& solution : parsed["solutions"])
            verdicts[solution["name"]] = solution["cases"][0]["verdict"];
    } else {
        verdicts["-"] = parsed["cases"][0]["verdict"];
    }
    return verdicts;
}

// Nothing of a judging left: processes, files, control groups.
void expect_nothing_left(const JudgeRunner& runner, const JudgeResult& result, const std::string& marker,
                         const std::string& shown)
{
    EXPECT_TRUE(processes_with(marker).empty()) << shown;
    EXPECT_TRUE(runner.clean()) << shown;
    EXPECT_TRUE(groups_of(result.pid).empty()) << shown;
}

// A local socket listening at path while it lives.
class LocalListener {
public:
    explicit LocalListener(const fs::path& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        if (::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd_, 16) != 0)
            throw std::runtime_error("cannot listen at " + path.string());
    }
    ~LocalListener() { ::close(fd_); }
    LocalListener(const LocalListener&) = delete;
    LocalListener& operator=(const LocalListener&) = delete;

private:
    int fd_;
};

TEST(JudgeAttacks, EachAttackGetsTheVerdictOfACorrectJudge)
{
    const JudgeRunner runner;
    const Outside outside("judge-attack");
    const fs::path socket = outside.path() / "host.sock";
    const LocalListener listener(socket);
    const std::string queue = "judge-test-" + std::to_string(::getpid());
    const bool counted = has_control_groups();
    struct Case {
        std::vector<std::string> misbehaviour;
        const char* verdict_none;
        const char* verdict_bwrap;
        const char* detail;     // a part of the detail line in both modes
        bool needs_groups;      // what only the kernel's count holds
    };
    const Case cases[] = {
        {{"kernel", "tables", "200"}, "MEMORY LIMIT", "MEMORY LIMIT", "memory above 64 MB", true},
        {{"kernel", "sockets", "200"}, "MEMORY LIMIT", "MEMORY LIMIT", "memory above 64 MB", true},
        {{"kernel", "pipes", "200"}, "MEMORY LIMIT", "MEMORY LIMIT", "memory above 64 MB", true},
        {{"threads", "2000"}, "RUNTIME ERROR", "RUNTIME ERROR", "more than 8 processes or threads", true},
        {{"ignored", "6", "250"}, "TIME LIMIT", "TIME LIMIT", "", true},
        {{"change-input", "append"}, "OK", "OK", "", false},
        {{"change-input", "truncate"}, "OK", "OK", "", false},
        {{"map"}, "OK", "OK", "", false},
        {{"queue", queue}, "OK", "OK", "", false},
        {{"families"}, "OK", "OK", "", false},
        // Without a sandbox the host's sockets are the judge's user's.
        {{"local", socket.string()}, "WRONG ANSWER", "OK", "", false},
    };
    const fs::path report = runner.folder() / "report.json";
    for (const std::string& mode : sandbox_modes()) {
        for (const Case& c : cases) {
            const std::string shown = mode + " " + c.misbehaviour[0] + " " + c.misbehaviour[1 % c.misbehaviour.size()];
            if (c.needs_groups && !counted) {
                ADD_FAILURE() << shown << ": not held without control groups (" << judge::find_groups("").why << ")";
                continue;
            }
            const std::string marker = new_marker();
            std::vector<std::string> args{"--sandbox", mode, "--seed", "42", "--cases", "1", "--time-limit", "1",
                                          "--memory-limit", "64", "--process-limit", "8", "--json", report.string(),
                                          "pro3", "--", MISBEHAVE};
            args.insert(args.end(), c.misbehaviour.begin(), c.misbehaviour.end());
            args.insert(args.end(), {marker, "--", bin + "/pro3-solve"});
            const JudgeResult result = runner.judge(args);
            const std::string verdict = mode == "bwrap" ? c.verdict_bwrap : c.verdict_none;
            EXPECT_EQ(verdicts_of(report)["-"], verdict) << shown << "\n" << result.out << result.err;
            EXPECT_NE(result.out.find(c.detail), std::string::npos) << shown << "\n" << result.out;
            expect_nothing_left(runner, result, marker, shown);
        }
    }
    // No queue was made, so none is left.
    EXPECT_EQ(::mq_open(("/" + queue).c_str(), O_RDONLY), static_cast<mqd_t>(-1));
    EXPECT_EQ(errno, ENOENT);
}

// A stored case reopened through /proc/self/fd/0 for writing, appended to
// or emptied: the run's input is its own copy, the stored file unchanged.
TEST(JudgeAttacks, StoredCaseCannotBeChangedThroughStandardInput)
{
    const JudgeRunner runner;
    const Outside cases("judge-stored");
    cases.write("a.in", pro3_case);
    cases.write("a.ans", pro3_answer);
    for (const std::string& mode : sandbox_modes())
        for (const char* how : {"append", "truncate"}) {
            const JudgeResult result = runner.judge({"--sandbox", mode, "--cases-dir", cases.path().string(), "pro3",
                                                     "--", MISBEHAVE, "change-input", how, "--", bin + "/pro3-solve"});
            EXPECT_EQ(result.status, 0) << mode << " " << how << "\n" << result.out << result.err;
            EXPECT_EQ(read_file(cases.path() / "a.in"), pro3_case) << mode << " " << how;
            EXPECT_TRUE(runner.clean());
        }
}

// Two solutions judged on one case: the first answers, then empties the
// case it was given. The second still reads the case whole, and the copy
// saved of a third's failure is the case as it was.
TEST(JudgeAttacks, SaboteurCannotEmptyTheCaseOthersAreJudgedOn)
{
    const JudgeRunner runner;
    const Outside folder("judge-saboteur");
    folder.write("a.in", pro3_case);
    folder.write("a.ans", pro3_answer);
    const fs::path cases = folder.path() / "cases";
    fs::create_directories(cases);
    fs::rename(folder.path() / "a.in", cases / "a.in");
    fs::rename(folder.path() / "a.ans", cases / "a.ans");
    const fs::path saboteur = folder.write("1-saboteur.c", R"(#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>
int main(void) {
    char text[256];
    while (read(0, text, sizeof text) > 0) {}
    printf("55\n");
    fflush(stdout);
    int fd = open("/proc/self/fd/0", O_WRONLY | O_TRUNC);
    if (fd >= 0) write(fd, "7 8\n", 4);
    ftruncate(0, 0);
    return 0;
}
)");
    const std::string honest_text = std::string(R"(#include <stdio.h>
#include <string.h>
int main(void) {
    char text[256] = {0};
    fread(text, 1, sizeof text - 1, stdin);
    puts(strcmp(text, ")") + "p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\\n" + R"(") == 0 ? "55" : "changed");
    return 0;
}
)";
    const fs::path honest = folder.write("2-honest.c", honest_text);
    const fs::path wrong = folder.write("3-wrong.c", "#include <stdio.h>\nint main(void) { puts(\"54\"); return 0; }\n");
    const fs::path saved = folder.path() / "saved";
    const fs::path report = runner.folder() / "report.json";
    for (const std::string& mode : sandbox_modes()) {
        fs::remove_all(saved);
        const JudgeResult result =
            runner.judge({"--sandbox", mode, "-j", "1", "--cases-dir", cases.string(), "--save", saved.string(), "--json",
                          report.string(), "pro3", saboteur.string(), honest.string(), wrong.string()});
        EXPECT_EQ(result.status, 1) << mode << "\n" << result.out << result.err;
        const std::map<std::string, std::string> expected{
            {"1-saboteur.c", "OK"}, {"2-honest.c", "OK"}, {"3-wrong.c", "WRONG ANSWER"}};
        EXPECT_EQ(verdicts_of(report), expected) << mode << "\n" << result.out;
        EXPECT_EQ(read_file(cases / "a.in"), pro3_case) << mode;
        EXPECT_EQ(read_file(saved / "3-wrong.c" / "a.in"), pro3_case) << mode;
        EXPECT_TRUE(runner.clean()) << mode;
    }
}

// A source that runs the reference instead of solving: the suite's folder
// is not on a solution's PATH, and in bwrap not even in sight; a command
// given after -- is the user's own and keeps it.
TEST(JudgeAttacks, SolutionCannotRunTheSuitesPrograms)
{
    const JudgeRunner runner;
    const Outside folder("judge-reach");
    const fs::path by_path = folder.write(
        "by-path.c", "#include <unistd.h>\nint main(void) { execlp(\"pro3-solve\", \"pro3-solve\", (char*)0); return 9; }\n");
    const fs::path by_name = folder.write("by-name.c", "#include <unistd.h>\nint main(void) { execl(\"" + bin +
                                                           "/pro3-solve\", \"pro3-solve\", (char*)0); return 9; }\n");
    const fs::path report = runner.folder() / "report.json";
    for (const std::string& mode : sandbox_modes()) {
        const JudgeResult result = runner.judge({"--sandbox", mode, "--seed", "3", "--cases", "1", "--json",
                                                 report.string(), "pro3", by_path.string(), by_name.string()});
        EXPECT_EQ(result.status, 1) << mode << "\n" << result.out << result.err;
        // Without a sandbox a program named by its full path is the user's
        // to run.
        const std::map<std::string, std::string> expected{
            {"by-path.c", "RUNTIME ERROR"}, {"by-name.c", mode == "bwrap" ? "RUNTIME ERROR" : "OK"}};
        EXPECT_EQ(verdicts_of(report), expected) << mode << "\n" << result.out;
        const JudgeResult command = runner.judge({"--sandbox", mode, "--seed", "3", "--cases", "1", "pro3", "--", "sh",
                                                  "-c", "exec pro3-solve"});
        EXPECT_EQ(command.status, 0) << mode << "\n" << command.out << command.err;
        EXPECT_TRUE(runner.clean()) << mode;
    }
}

// The programs a solution may not run are the suite's table of them: one
// built but missing there would be in reach of every solution wherever the
// suite is installed.
TEST(JudgeAttacks, EveryProgramBuiltIsInTheTableOfTheSuitesPrograms)
{
    const std::set<std::string> table(std::begin(judge::suite_programs), std::end(judge::suite_programs));
    std::size_t programs = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(bin)) {
        ++programs;
        EXPECT_EQ(table.count(entry.path().filename().string()), 1u) << entry.path();
    }
    EXPECT_GT(programs, 0u);
}

// Another solution's source, in a folder outside /tmp: out of sight in
// bwrap, where each solution sees only its own files; the compiler sees no
// secret of the host's either.
TEST(JudgeAttacks, OtherSolutionsAndTheHostsFilesAreOutOfSight)
{
    const JudgeRunner runner;
    const Outside folder("judge-spy");
    const fs::path victim = folder.write("victim.c", "#include <stdio.h>\nint main(void) { puts(\"55\"); return 0; }\n");
    const fs::path spy = folder.write("spy.c", "#include <stdio.h>\nint main(void) { FILE* f = fopen(\"" +
                                                   victim.string() + "\", \"r\"); puts(f ? \"read it\" : \"55\"); return 0; }\n");
    const fs::path secret = folder.write("secret.c", "#include \"/etc/shadow\"\nint main(void) { return 0; }\n");
    const fs::path cases = folder.path() / "cases";
    fs::create_directories(cases);
    std::ofstream(cases / "a.in") << pro3_case;
    std::ofstream(cases / "a.ans") << pro3_answer;
    const fs::path report = runner.folder() / "report.json";
    for (const std::string& mode : sandbox_modes()) {
        const JudgeResult result =
            runner.judge({"--sandbox", mode, "--cases-dir", cases.string(), "--json", report.string(), "pro3",
                          spy.string(), victim.string(), secret.string()});
        const std::map<std::string, std::string> expected{{"spy.c", mode == "bwrap" ? "OK" : "WRONG ANSWER"},
                                                          {"victim.c", "OK"},
                                                          {"secret.c", "COMPILATION ERROR"}};
        EXPECT_EQ(verdicts_of(report), expected) << mode << "\n" << result.out;
        if (mode == "bwrap") {
            EXPECT_NE(result.out.find("/etc/shadow: No such file or directory"), std::string::npos) << result.out;
        }
        EXPECT_TRUE(runner.clean()) << mode;
    }
}

// With the judge's temporary folder in memory (TMPDIR on a tmpfs), files a
// solution writes in its working folder are memory it holds.
TEST(JudgeAttacks, FilesInAWorkingFolderInMemoryAreMemory)
{
    struct statfs info {};
    if (::statfs("/dev/shm", &info) != 0 || info.f_type != 0x01021994)
        GTEST_SKIP() << "no file system in memory at /dev/shm";
    if (!has_control_groups())
        GTEST_SKIP() << "without control groups only the sandbox's /tmp and /dev/shm count";
    const JudgeRunner runner("/dev/shm");
    for (const std::string& mode : sandbox_modes()) {
        const std::string marker = new_marker();
        const JudgeResult result = runner.judge({"--sandbox", mode, "--seed", "42", "--cases", "1", "--memory-limit",
                                                 "64", "pro3", "--", MISBEHAVE, "fill", "big", "365", marker, "--",
                                                 bin + "/pro3-solve"});
        EXPECT_NE(result.out.find("MEMORY LIMIT: memory above 64 MB"), std::string::npos) << mode << "\n" << result.out;
        expect_nothing_left(runner, result, marker, mode);
    }
}

// Honest solutions in each language, with threads, processes and
// Python's multiprocessing, pass in both modes.
TEST(JudgeAttacks, HonestSolutionsInEveryLanguagePass)
{
    const JudgeRunner runner;
    const Outside folder("judge-honest");
    const fs::path cases = folder.path() / "cases";
    fs::create_directories(cases);
    std::ofstream(cases / "a.in") << pro3_case;
    std::ofstream(cases / "a.ans") << pro3_answer;
    std::vector<std::string> sources{
        folder.write("c.c", "#include <stdio.h>\nint main(void) { int c; while ((c = getchar()) != EOF) {} "
                            "puts(\"55\"); return 0; }\n").string(),
        folder.write("threads.cpp", R"(#include <iostream>
#include <iterator>
#include <string>
#include <thread>
int main() {
    std::string input(std::istreambuf_iterator<char>(std::cin), {});
    int answer = 0;
    std::thread worker([&] { answer = input.empty() ? 0 : 55; });
    worker.join();
    std::cout << answer << "\n";
}
)").string(),
        folder.write("pool.py", R"(import multiprocessing, sys
def square(x):
    return x * x
if __name__ == "__main__":
    sys.stdin.read()
    with multiprocessing.Pool(2) as pool:
        squares = pool.map(square, range(1, 6))
    queue = multiprocessing.Queue()
    queue.put(sum(squares))
    mine, theirs = multiprocessing.Pipe()
    mine.send(queue.get())
    with multiprocessing.Lock():
        print(theirs.recv())
)").string(),
    };
    const bool java = testing_support::run_with("exercise-judge", {"--list-languages"}).out.find("unavailable: javac") ==
                      std::string::npos;
    if (java)
        sources.push_back(folder.write("Main.java", R"(import java.util.Scanner;
public class Main {
    public static void main(String[] args) throws Exception {
        Scanner in = new Scanner(System.in);
        while (in.hasNext()) in.next();
        int[] answer = {0};
        Thread worker = new Thread(() -> answer[0] = 55);
        worker.start();
        worker.join();
        System.out.println(answer[0]);
    }
}
)").string());
    const fs::path report = runner.folder() / "report.json";
    for (const std::string& mode : sandbox_modes()) {
        std::vector<std::string> args{"--sandbox", mode, "--cases-dir", cases.string(), "--json", report.string(),
                                      "pro3"};
        args.insert(args.end(), sources.begin(), sources.end());
        const JudgeResult result = runner.judge(args);
        EXPECT_EQ(result.status, 0) << mode << "\n" << result.out << result.err;
        for (const auto& [name, verdict] : verdicts_of(report))
            EXPECT_EQ(verdict, "OK") << mode << " " << name << "\n" << result.out;
        EXPECT_TRUE(runner.clean()) << mode;
        EXPECT_TRUE(groups_of(result.pid).empty()) << mode;
    }
}

}  // namespace
