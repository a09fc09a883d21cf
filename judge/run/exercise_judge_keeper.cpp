// exercise-judge-keeper: runs a command as its child under a system-call
// filter, waits for it and for every process it leaves behind, and reports
// on descriptor 3 how the command ended, the processor time and peak memory
// of it and its descendants, and the bytes left in the file systems it was
// asked to count; then exits as the command did. exercise-judge runs every
// solution under it: inside bwrap as the sandbox's first process, without a
// sandbox as the solution's parent.
//
// The keeper is the subreaper (inside bwrap, the init) of everything below
// it, so nothing the command starts leaves its tree; it cannot be traced or
// have its descriptors taken (not dumpable, and the filter refuses the
// calls that would), so its report is the judge's word on the run.
//
// Only the C library and libseccomp are used, so that it starts in a
// fraction of the time a C++ program takes: it runs once per judged case.

#include <fcntl.h>
#include <sched.h>
#include <seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/fail.hpp"
#include "judge/run/filter.hpp"
#include "judge/run/keeper.hpp"

#ifndef SUITE_VERSION
#define SUITE_VERSION "0.0.0"
#endif

namespace {

// What --help shows.
const char* const help =
    "Usage: exercise-judge-keeper [--count FOLDER]... [--join FD]... -- COMMAND [ARG]...\n"
    "Runs COMMAND (a path) as its child with descriptor 3 closed, under a\n"
    "system-call filter, waits for it, kills and reaps every process it leaves,\n"
    "writes how COMMAND ended and what it and its descendants used to descriptor\n"
    "3, and exits with COMMAND's status (128 + N for signal N). exercise-judge\n"
    "runs every solution under it; it is of no use on its own.\n"
    "\n"
    "Options:\n"
    "      --count FOLDER    add the bytes the file system at FOLDER holds at the\n"
    "                        end to the report\n"
    "      --join FD         before COMMAND starts, write 0 to descriptor FD (a\n"
    "                        control group's cgroup.procs), so that COMMAND and\n"
    "                        all it starts are in that group; FD is closed in it\n"
    "      --help            display this help and exit\n"
    "      --version         output version information and exit\n"
    "\n"
    "The filter answers EPERM to the system calls that reach into other\n"
    "processes (ptrace, process_vm_readv and _writev, pidfd_getfd, kcmp), that\n"
    "make namespaces or mounts (unshare, setns, clone with a namespace flag,\n"
    "mount and the new mount calls, umount2, pivot_root, chroot), and to keyctl,\n"
    "add_key, request_key, bpf, perf_event_open, userfaultfd, io_uring,\n"
    "memfd_create, shmget, msgget, semget, mq_open, kernel modules, reboot,\n"
    "kexec, swapon, swapoff, acct; socket and socketpair of any family but\n"
    "AF_UNIX get EACCES; clone3 gets ENOSYS, so that the C library falls back\n"
    "to clone, whose flags the filter can see.\n"
    "\n"
    "The report: seven signed 64-bit integers in the machine's order: a fixed\n"
    "mark, 1 when COMMAND was killed by a signal (else 0), the exit status or\n"
    "signal number, user and system processor time in microseconds, peak\n"
    "resident memory in kilobytes, and the bytes the counted file systems held.\n"
    "\n"
    "Exit status: COMMAND's; 127 when it cannot be run; 2 for a usage error.\n"
    "\n"
    "Examples:\n"
    "  exercise-judge-keeper -- /usr/bin/true 3> report\n";

// The most folders --count takes.
constexpr int most_counted = 8;

// Puts the calling process into the control groups whose cgroup.procs are
// open on the descriptors; false, errno set, when one refuses.
bool join_groups(const int* fds, int count)
{
    for (int i = 0; i < count; ++i)
        if (::write(fds[i], "0", 1) != 1)
            return false;
    return true;
}

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
    for (int round = 0; round < 100000; ++round) {
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        char text[4096];
        const ssize_t got = ::read(fd, text, sizeof text - 1);
        ::close(fd);
        if (got <= 0)
            return;
        text[got] = '\0';
        // Each number ends with a blank: one cut off at the buffer's end is
        // left for the next round.
        for (char* at = text;;) {
            char* end = nullptr;
            const long child = std::strtol(at, &end, 10);
            if (end == at || *end != ' ')
                break;
            ::kill(static_cast<pid_t>(child), SIGKILL);
            while (::waitpid(static_cast<pid_t>(child), nullptr, 0) < 0 && errno == EINTR) {
            }
            at = end;
        }
    }
}

// The bytes the file systems at the folders hold.
std::int64_t held_bytes(char* const* folders, int count)
{
    std::int64_t bytes = 0;
    for (int i = 0; i < count; ++i) {
        struct statfs info {};
        if (::statfs(folders[i], &info) == 0)
            bytes += static_cast<std::int64_t>(info.f_blocks - info.f_bfree) * static_cast<std::int64_t>(info.f_frsize);
    }
    return bytes;
}

std::int64_t microseconds(const timeval& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1000000 + time.tv_usec;
}

}  // namespace

// What the command line asks: the folders whose memory counts, the
// control groups to join, and the command.
struct Arguments {
    char* counted[most_counted];
    int count = 0;
    int joined[judge::most_join_fds];
    int joins = 0;
    char** command = nullptr;
};

Arguments parse_arguments(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0)
        print_and_exit(help);
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0)
        print_and_exit("exercise-judge-keeper (exercise suite) " SUITE_VERSION "\n");
    Arguments arguments;
    int at = 1;
    for (; at + 1 < argc && (std::strcmp(argv[at], "--count") == 0 || std::strcmp(argv[at], "--join") == 0); at += 2) {
        if (argv[at][2] == 'c') {
            if (arguments.count == most_counted)
                usage_error("too many --count folders");
            arguments.counted[arguments.count++] = argv[at + 1];
            continue;
        }
        char* end = nullptr;
        const long fd = std::strtol(argv[at + 1], &end, 10);
        if (end == argv[at + 1] || *end != '\0' || fd <= judge::keeper_fd || fd > 1024 ||
            arguments.joins == judge::most_join_fds)
            usage_error("--join takes a descriptor above 3, at most three times");
        arguments.joined[arguments.joins++] = static_cast<int>(fd);
    }
    if (at + 1 >= argc || std::strcmp(argv[at], "--") != 0)
        usage_error("expected [--count FOLDER]... [--join FD]... -- COMMAND [ARG]...");
    arguments.command = argv + at + 1;
    return arguments;
}

// In the forked child: joins the groups, installs the filter and becomes
// the command; never returns.
[[noreturn]] void become_command(const Arguments& arguments, scmp_filter_ctx filter, pid_t keeper)
{
    // The command dies with the keeper, as the keeper with the judge.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != keeper)
        ::_exit(127);
    // Measured by its group, or not run at all.
    if (!join_groups(arguments.joined, arguments.joins)) {
        std::fprintf(stderr, "%s: cannot join the control group: %s\n", common::program_name, std::strerror(errno));
        ::_exit(127);
    }
    // Without the filter, nothing runs.
    if (const int error = ::seccomp_load(filter); error != 0) {
        std::fprintf(stderr, "%s: cannot install the system-call filter: %s\n", common::program_name,
                     std::strerror(-error));
        ::_exit(127);
    }
    ::execv(arguments.command[0], arguments.command);
    std::fprintf(stderr, "%s: cannot execute %s: %s\n", common::program_name, arguments.command[0],
                 std::strerror(errno));
    ::_exit(127);
}

// Orphans come here too: each is reaped as it ends, so that none waits
// as a zombie, until the command itself has ended; its wait status.
int wait_for(pid_t pid)
{
    for (;;) {
        int reaped_status = 0;
        const pid_t reaped = ::waitpid(-1, &reaped_status, 0);
        if (reaped == pid)
            return reaped_status;
        if (reaped < 0 && errno != EINTR)
            common::fail("lost the command: %s", std::strerror(errno));
    }
}

int main(int argc, char** argv)
{
    common::program_name = "exercise-judge-keeper";
    const Arguments arguments = parse_arguments(argc, argv);

    // The command must not write reports of its own: the descriptor is
    // closed in it, and the keeper's own descriptors and memory are out of
    // its reach through /proc (the command's exec makes it dumpable again).
    ::fcntl(judge::keeper_fd, F_SETFD, FD_CLOEXEC);
    for (int i = 0; i < arguments.joins; ++i)
        ::fcntl(arguments.joined[i], F_SETFD, FD_CLOEXEC);
    ::prctl(PR_SET_DUMPABLE, 0);
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    const scmp_filter_ctx filter = judge::make_filter();
    if (filter == nullptr)
        common::fail("cannot make the system-call filter: %s", std::strerror(errno));
    const pid_t keeper = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0)
        common::fail("cannot fork: %s", std::strerror(errno));
    if (pid == 0)
        become_command(arguments, filter, keeper);
    ::seccomp_release(filter);

    const int status = wait_for(pid);
    end_children();

    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const bool signaled = WIFSIGNALED(status);
    const judge::KeeperReport report{judge::keeper_magic,
                                     signaled ? 1 : 0,
                                     signaled ? WTERMSIG(status) : WEXITSTATUS(status),
                                     microseconds(usage.ru_utime),
                                     microseconds(usage.ru_stime),
                                     usage.ru_maxrss,
                                     held_bytes(arguments.counted, arguments.count)};
    [[maybe_unused]] const ssize_t written = ::write(judge::keeper_fd, &report, sizeof report);
    return signaled ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}
