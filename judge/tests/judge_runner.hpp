// Runs the built judge as a user would, with its temporary files in a
// folder of the test's own and the suite's validators on PATH: the real
// ones beside the judge come first, stand-ins (which accept every case but
// one holding the word INVALID) fill in for any not built.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/run.hpp"

namespace judge_testing {

struct JudgeResult {
    std::string out;
    std::string err;
    int status = -1;  // exit status, or 128 + signal
    int pid = 0;      // the judge's process ID (its control groups are named by it)
};

// A variable in the judge's environment that no solution may see.
constexpr const char* secret_variable = "EXERCISE_JUDGE_TEST_SECRET";

// The suite's validators, and the line each stand-in prints for a case it
// rejects.
const char* const validators[] = {"pro3-validate", "pro2-validate", "pro6-validate", "order-validate"};

class JudgeRunner {
public:
    // The judge's temporary folder is the test's own, or one made in
    // temporary_parent (a file system in memory, say).
    explicit JudgeRunner(const std::string& temporary_parent = "")
        : temporary_(temporary_parent.empty() ? (folder_.path() / "tmp").string()
                                              : temporary_parent + "/judge-test-" + std::to_string(::getpid()))
    {
        std::filesystem::create_directories(stand_ins());
        std::filesystem::create_directories(temporary());
        for (const char* name : validators) {
            const std::string path = stand_ins() + "/" + name;
            std::ofstream(path) << "#!/bin/sh\n"
                                   "# A stand-in for "
                                << name
                                << ": every case is valid but one with the word INVALID.\n"
                                   "for last; do :; done\n"
                                   "if grep -q INVALID \"$last\"; then\n"
                                   "  echo \""
                                << name
                                << ": line 5, column 1: not a number (found \\\"INVALID\\\")\" >&2\n"
                                   "  exit 1\n"
                                   "fi\n"
                                   "echo valid\n";
            std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        }
    }

    ~JudgeRunner()
    {
        std::error_code error;
        std::filesystem::remove_all(temporary_, error);
    }
    JudgeRunner(const JudgeRunner&) = delete;
    JudgeRunner& operator=(const JudgeRunner&) = delete;

    // The judge's temporary folder.
    const std::string& temporary() const { return temporary_; }

    const std::filesystem::path& folder() const { return folder_.path(); }

    // Starts the judge with args in the background; standard output and
    // error go to files, or standard output to /dev/full.
    pid_t start(const std::vector<std::string>& args, bool full_output = false) const
    {
        const std::string program = testing_support::program_path("exercise-judge");
        const std::string path = stand_ins() + ":" + std::getenv("PATH");
        const std::string tmpdir = temporary();
        const std::string out = (folder_.path() / "judge.out").string();
        const std::string err = (folder_.path() / "judge.err").string();
        const pid_t pid = ::fork();
        if (pid < 0)
            throw std::runtime_error("fork failed");
        if (pid == 0) {
            const int null = ::open("/dev/null", O_RDONLY);
            const int out_fd = ::open(full_output ? "/dev/full" : out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(null, 0);
            ::dup2(out_fd, 1);
            ::dup2(err_fd, 2);
            ::setenv("PATH", path.c_str(), 1);
            ::setenv("TMPDIR", tmpdir.c_str(), 1);
            ::setenv(secret_variable, "leaked", 1);
            // A matrix laid out as it is, whatever the terminal's width,
            // unless a test asks for another.
            ::setenv("COLUMNS", columns_.c_str(), 1);
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (const std::string& arg : args)
                argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        return pid;
    }

    // Waits for a judge started in the background.
    JudgeResult finish(pid_t pid) const
    {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        JudgeResult result;
        result.pid = pid;
        result.out = testing_support::read_file(folder_.path() / "judge.out");
        result.err = testing_support::read_file(folder_.path() / "judge.err");
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return result;
    }

    JudgeResult judge(const std::vector<std::string>& args) const { return finish(start(args)); }

    // The terminal's width the judge is told of.
    void set_columns(const std::string& columns) { columns_ = columns; }

    // True when the judge left nothing in its temporary folder.
    bool clean() const { return std::filesystem::is_empty(temporary()); }

private:
    std::string stand_ins() const { return (folder_.path() / "stand-ins").string(); }

    testing_support::TempDir folder_;
    std::string temporary_;
    std::string columns_ = "1000";
};

}  // namespace judge_testing
