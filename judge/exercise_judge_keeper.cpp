// exercise-judge-keeper: runs a command as its child, waits for it and for
// every process it leaves behind, and reports on descriptor 3 how the
// command ended and the processor time and peak memory of it and its
// descendants; then exits as the command did. exercise-judge runs it inside
// the sandbox, where the judge cannot wait for the solution itself.
//
// Only the C library is used, so that it starts in a fraction of the time
// a C++ program takes: it runs once per judged case.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/fail.hpp"
#include "judge/keeper.hpp"

#ifndef SUITE_VERSION
#define SUITE_VERSION "0.0.0"
#endif

namespace {

// What --help shows.
const char* const help =
    "Usage: exercise-judge-keeper -- COMMAND [ARG]...\n"
    "Runs COMMAND (a path) as its child with descriptor 3 closed, waits for it,\n"
    "kills and reaps every process it leaves, writes how COMMAND ended and what it\n"
    "and its descendants used to descriptor 3, and exits with COMMAND's status\n"
    "(128 + N for signal N). exercise-judge runs it inside its sandbox; it is of\n"
    "no use on its own.\n"
    "\n"
    "Options:\n"
    "      --help            display this help and exit\n"
    "      --version         output version information and exit\n"
    "\n"
    "The report: five signed 64-bit integers in the machine's order: 1 when\n"
    "COMMAND was killed by a signal (else 0), the exit status or signal number,\n"
    "user and system processor time in microseconds, peak resident memory in\n"
    "kilobytes.\n"
    "\n"
    "Exit status: COMMAND's; 127 when it cannot be run; 2 for a usage error.\n"
    "\n"
    "Examples:\n"
    "  exercise-judge-keeper -- /usr/bin/true 3> report\n";

// Prints text and exits with status 0; status 1 when it cannot be written.
[[noreturn]] void print_and_exit(const char* text)
{
    if (std::fputs(text, stdout) == EOF || std::fflush(stdout) != 0)
        common::fail("write error: %s", std::strerror(errno));
    std::exit(0);
}

[[noreturn]] void usage_error(const char* message)
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", common::program_name, message, common::program_name);
    std::exit(2);
}

// Kills and reaps the keeper's children until none is left; those the
// command left come to it, the keeper being their subreaper.
void end_children()
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/task/%d/children", static_cast<int>(::getpid()));
    for (int round = 0; round < 1000; ++round) {
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        char text[4096];
        const ssize_t got = ::read(fd, text, sizeof text - 1);
        ::close(fd);
        if (got <= 0)
            return;
        text[got] = '\0';
        for (char* at = text; *at != '\0';) {
            char* end = nullptr;
            const long child = std::strtol(at, &end, 10);
            if (end == at)
                break;
            ::kill(static_cast<pid_t>(child), SIGKILL);
            while (::waitpid(static_cast<pid_t>(child), nullptr, 0) < 0 && errno == EINTR) {
            }
            at = end;
        }
    }
}

std::int64_t microseconds(const timeval& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1000000 + time.tv_usec;
}

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "exercise-judge-keeper";
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0)
        print_and_exit(help);
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0)
        print_and_exit("exercise-judge-keeper (exercise suite) " SUITE_VERSION "\n");
    if (argc < 3 || std::strcmp(argv[1], "--") != 0)
        usage_error("expected -- COMMAND [ARG]...");

    // The command must not write reports of its own: the descriptor is
    // closed in it, and the keeper's own descriptors are out of its reach
    // through /proc (the command's exec makes it dumpable again).
    ::fcntl(judge::keeper_fd, F_SETFD, FD_CLOEXEC);
    ::prctl(PR_SET_DUMPABLE, 0);
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    const pid_t pid = ::fork();
    if (pid < 0)
        common::fail("cannot fork: %s", std::strerror(errno));
    if (pid == 0) {
        ::execv(argv[2], argv + 2);
        std::fprintf(stderr, "%s: cannot execute %s: %s\n", common::program_name, argv[2], std::strerror(errno));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    end_children();

    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const bool signaled = WIFSIGNALED(status);
    const judge::KeeperReport report{signaled ? 1 : 0, signaled ? WTERMSIG(status) : WEXITSTATUS(status),
                                     microseconds(usage.ru_utime), microseconds(usage.ru_stime), usage.ru_maxrss};
    [[maybe_unused]] const ssize_t written = ::write(judge::keeper_fd, &report, sizeof report);
    return signaled ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}
