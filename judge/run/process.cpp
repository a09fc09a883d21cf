// The process runner: fork and exec with limits, a monitor that samples the
// process tree through /proc, and the sweep that kills what is left.

#include "judge/run/process.hpp"

#include "judge/run/keeper.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string_view>
#include <thread>

extern char** environ;

namespace judge {

namespace {

using Clock = std::chrono::steady_clock;

// How often the monitor samples a running tree.
constexpr int sample_milliseconds = 10;

// The signals that interrupt the judge: its runs are killed, its files
// removed, and it ends by the same signal.
constexpr int interrupting_signals[] = {SIGINT, SIGTERM, SIGHUP};

std::mutex registry;            // guards leaders; held across fork
std::set<pid_t> leaders;        // first processes of the runs in progress
std::atomic<int> received{0};   // the interrupting signal, once one came
int interrupted_fd = -1;        // an eventfd, readable once one came

// A file descriptor closed at the end of scope.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

// A descriptor moved above the standard three and the keeper's, closed on
// exec (the child's dup2 clears that where it is meant to stay open).
int above_keeper(int fd)
{
    if (fd < 0 || fd > keeper_fd)
        return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, keeper_fd + 1);
    ::close(fd);
    return moved;
}

// Opens a file for the child's streams.
int open_stream(const std::string& path, bool write)
{
    const char* name = path.empty() ? "/dev/null" : path.c_str();
    const int flags = write ? O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC : O_RDONLY | O_CLOEXEC;
    return above_keeper(::open(name, flags, 0644));
}

// Reads a small /proc file; false when it is gone.
bool read_small(const char* path, std::string& text)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    text.clear();
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return true;
}

// The fields of /proc/PID/stat the runner uses.
struct ProcessStat {
    std::string name;  // the command name, as the kernel keeps it (15 bytes at most)
    pid_t group = 0;
    pid_t session = 0;
    unsigned long long own_ticks = 0;       // user and system time
    unsigned long long children_ticks = 0;  // likewise, of the children it reaped
    unsigned long long resident_pages = 0;
};

bool read_stat(pid_t pid, ProcessStat& stat)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    std::string text;
    if (!read_small(path, text))
        return false;
    // The command name may hold blanks and parentheses: fields start after
    // the last ')'. Field 3 is the state; the ones used are 5, 6, 14 to 17
    // and 24.
    const std::size_t open = text.find('(');
    const std::size_t close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return false;
    stat.name = text.substr(open + 1, close - open - 1);
    const char* at = text.data() + close + 1;
    const char* const end = text.data() + text.size();
    unsigned long long field[25] = {};
    for (int index = 3; index <= 24 && at < end; ++index) {
        while (at < end && *at == ' ')
            ++at;
        const char* const start = at;
        while (at < end && *at != ' ')
            ++at;
        if (index != 3)
            std::from_chars(start, at, field[index]);
    }
    stat.group = static_cast<pid_t>(field[5]);
    stat.session = static_cast<pid_t>(field[6]);
    stat.own_ticks = field[14] + field[15];
    stat.children_ticks = field[16] + field[17];
    stat.resident_pages = field[24];
    return true;
}

// Appends the children of every thread of pid.
void add_children(pid_t pid, std::vector<pid_t>& children)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/task", static_cast<int>(pid));
    DIR* tasks = ::opendir(path);
    if (tasks == nullptr)
        return;
    std::string text;
    while (const dirent* task = ::readdir(tasks)) {
        if (task->d_name[0] < '0' || task->d_name[0] > '9')
            continue;
        std::snprintf(path, sizeof path, "/proc/%d/task/%.16s/children", static_cast<int>(pid), task->d_name);
        if (!read_small(path, text))
            continue;
        const char* at = text.data();
        const char* const end = at + text.size();
        while (at < end) {
            int child = 0;
            const auto [stop, error] = std::from_chars(at, end, child);
            if (error == std::errc() && child > 0)
                children.push_back(child);
            at = stop + 1;
        }
    }
    ::closedir(tasks);
}

// What one sample of a run finds.
struct Sample {
    double cpu_seconds = 0;
    std::uint64_t resident_bytes = 0;
    std::uint64_t held_bytes = 0;  // in the counted file systems
    int processes = 0;

    std::uint64_t memory_bytes() const { return resident_bytes + held_bytes; }
};

// Samples a run's tree, every process of it, from its first process down.
// The keeper and bwrap are known by who they are: the first process, or
// bwrap's child, which the solution cannot become. Their own use is not the
// solution's, but what the keeper reaped is: its orphans.
class Monitor {
public:
    Monitor(pid_t first, const Launch& launch) : first_(first), launch_(launch)
    {
        if (launch.keeper == Keeper::first)
            keeper_ = first;
    }

    Sample sample()
    {
        static const double ticks_per_second = static_cast<double>(::sysconf(_SC_CLK_TCK));
        static const auto page_bytes = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
        Sample sample;
        unsigned long long ticks = 0;
        bool keeper_running = false;
        std::vector<pid_t> pending{first_};
        std::vector<pid_t> children;
        while (!pending.empty()) {
            const pid_t pid = pending.back();
            pending.pop_back();
            ProcessStat stat;
            if (!read_stat(pid, stat))
                continue;
            children.clear();
            add_children(pid, children);
            if (pid == first_ && launch_.keeper == Keeper::under_bwrap) {
                if (keeper_ == 0 && !children.empty())
                    keeper_ = children.front();
            } else if (pid == keeper_) {
                ticks += stat.children_ticks;
                // The kernel keeps the first 15 bytes of a program's name.
                keeper_running = stat.name == std::string_view(keeper_program).substr(0, 15);
            } else {
                ticks += stat.own_ticks + stat.children_ticks;
                sample.resident_bytes += stat.resident_pages * page_bytes;
                ++sample.processes;
            }
            pending.insert(pending.end(), children.begin(), children.end());
        }
        sample.cpu_seconds = static_cast<double>(ticks) / ticks_per_second;
        // The keeper's file systems, once it runs: before, its root is bwrap's.
        if (keeper_running)
            sample.held_bytes = held_bytes();
        return sample;
    }

private:
    std::uint64_t held_bytes() const
    {
        std::uint64_t bytes = 0;
        for (const std::string& folder : launch_.counted_folders) {
            const std::string path = "/proc/" + std::to_string(keeper_) + "/root" + folder;
            struct statfs info {};
            if (::statfs(path.c_str(), &info) == 0)
                bytes += static_cast<std::uint64_t>(info.f_blocks - info.f_bfree) * static_cast<std::uint64_t>(info.f_frsize);
        }
        return bytes;
    }

    pid_t first_;
    const Launch& launch_;
    pid_t keeper_ = 0;
};

// Kills and reaps the judge's children that belong to no run in progress.
// True when it found any.
bool sweep()
{
    std::vector<pid_t> victims;
    {
        const std::lock_guard lock(registry);
        std::vector<pid_t> children;
        add_children(::getpid(), children);
        for (pid_t child : children) {
            if (leaders.count(child) != 0)
                continue;
            ProcessStat stat;
            if (read_stat(child, stat) && (leaders.count(stat.group) != 0 || leaders.count(stat.session) != 0))
                continue;
            ::kill(child, SIGKILL);
            victims.push_back(child);
        }
    }
    for (pid_t victim : victims)
        while (::waitpid(victim, nullptr, 0) < 0 && errno == EINTR) {
        }
    return !victims.empty();
}

// After a run's first process has ended: kills its group until none of it
// is left, and whatever of it the judge inherited.
void finish_group(pid_t group)
{
    // A bounded wait: about five seconds for processes to die.
    for (int round = 0; round < 5000; ++round) {
        const bool alive = ::kill(-group, SIGKILL) == 0;
        const bool swept = sweep();
        if (!alive && !swept)
            return;
        if (alive && !swept)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::uint64_t file_size(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

double seconds_of(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// What the child needs, prepared before fork: nothing is allocated after it.
struct ChildPlan {
    std::vector<char*> argv;
    std::vector<char*> environment;  // empty: the judge's
    int input = -1, output = -1, error = -1;
    const char* directory = nullptr;
    int report = -1;  // the pipe on which a failed exec reports its errno
    int keeper = -1;  // given to the keeper as descriptor 3
    rlimit cpu{RLIM_INFINITY, RLIM_INFINITY};
    rlimit file{RLIM_INFINITY, RLIM_INFINITY};
};

// In the child: only async-signal-safe calls until exec.
[[noreturn]] void become(const ChildPlan& plan, pid_t judge)
{
    ::setsid();
    // Killed should the judge die (even by SIGKILL) before the run ends.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != judge)
        ::_exit(127);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &standard, nullptr);
    int error = 0;
    if (::dup2(plan.input, 0) < 0 || ::dup2(plan.output, 1) < 0 || ::dup2(plan.error, 2) < 0)
        error = errno;
    if (error == 0 && plan.directory != nullptr && ::chdir(plan.directory) != 0)
        error = errno;
    const rlimit no_core{0, 0};
    if (error == 0 && (::setrlimit(RLIMIT_CORE, &no_core) != 0 || ::setrlimit(RLIMIT_CPU, &plan.cpu) != 0 ||
                       ::setrlimit(RLIMIT_FSIZE, &plan.file) != 0))
        error = errno;
    if (error == 0 && plan.keeper >= 0 && ::dup2(plan.keeper, keeper_fd) < 0)
        error = errno;
    if (error == 0) {
        // No descriptor of the judge's but the report pipe (closed on exec)
        // and the keeper's reaches the program. Both lie above the keeper's.
        const int first = plan.keeper >= 0 ? keeper_fd + 1 : keeper_fd;
        const auto report = static_cast<unsigned>(plan.report);
        if ((report > static_cast<unsigned>(first) && ::close_range(static_cast<unsigned>(first), report - 1, 0) != 0) ||
            ::close_range(report + 1, ~0U, 0) != 0) {
            for (int fd = first; fd < 65536; ++fd)
                if (fd != plan.report)
                    ::close(fd);
        }
        ::execve(plan.argv[0], plan.argv.data(), plan.environment.empty() ? environ : plan.environment.data());
        error = errno;
    }
    while (::write(plan.report, &error, sizeof error) < 0 && errno == EINTR) {
    }
    ::_exit(127);
}

// A descriptor readable once pid has ended, or -1 where the kernel has none.
int open_pidfd(pid_t pid)
{
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

// True once pid has ended; it stays a zombie, so its group stays its own.
bool has_ended(pid_t pid)
{
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

// A started run: its first process and the descriptors the judge keeps.
struct Started {
    pid_t pid = -1;
    Fd exec_report;  // readable: a failed exec's errno, or the end of file
    Fd keeper_report;
    Clock::time_point start;
};

// Opens the streams, makes the pipes and forks the run's first process;
// on failure, what went wrong is in outcome.
bool start(const Launch& launch, Started& started, Outcome& outcome)
{
    Fd input(open_stream(launch.input, false));
    Fd output(open_stream(launch.output, true));
    // Both streams into one file share one descriptor, as 2>&1 does: two
    // opens would give each its own offset, and each would overwrite the
    // other's lines.
    const bool shared = !launch.error.empty() && launch.error == launch.output;
    Fd error(shared ? -1 : open_stream(launch.error, true));
    if (input.get() < 0 || output.get() < 0 || (!shared && error.get() < 0)) {
        outcome.code = errno;
        outcome.why = std::string("cannot open its streams: ") + std::strerror(errno);
        return false;
    }
    const bool kept = launch.keeper != Keeper::none;
    int pipe_ends[2];
    int keeper_ends[2] = {-1, -1};
    if (::pipe2(pipe_ends, O_CLOEXEC) != 0 || (kept && ::pipe2(keeper_ends, O_CLOEXEC | O_NONBLOCK) != 0)) {
        outcome.code = errno;
        outcome.why = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    started.exec_report.reset(above_keeper(pipe_ends[0]));
    Fd report_out(above_keeper(pipe_ends[1]));
    started.keeper_report.reset(above_keeper(keeper_ends[0]));
    Fd keeper_out(above_keeper(keeper_ends[1]));

    ChildPlan plan;
    for (const std::string& arg : launch.argv)
        plan.argv.push_back(const_cast<char*>(arg.c_str()));
    plan.argv.push_back(nullptr);
    if (launch.environment) {
        for (const std::string& variable : *launch.environment)
            plan.environment.push_back(const_cast<char*>(variable.c_str()));
        plan.environment.push_back(nullptr);
    }
    plan.input = input.get();
    plan.output = output.get();
    plan.error = shared ? output.get() : error.get();
    plan.directory = launch.directory.empty() ? nullptr : launch.directory.c_str();
    plan.report = report_out.get();
    plan.keeper = keeper_out.get();
    if (launch.limits.cpu_seconds > 0) {
        // A backstop: the monitor ends the run at the exact limit.
        const auto soft = static_cast<rlim_t>(std::ceil(launch.limits.cpu_seconds)) + 1;
        plan.cpu = {soft, soft + 1};
    }
    if (launch.limits.file_bytes > 0)
        plan.file = {launch.limits.file_bytes + 1, launch.limits.file_bytes + 1};

    started.start = Clock::now();
    {
        const std::lock_guard lock(registry);
        if (received.load() != 0) {
            outcome.ending = Ending::interrupted;
            return false;
        }
        const pid_t judge = ::getpid();
        started.pid = ::fork();
        if (started.pid == 0)
            become(plan, judge);
        if (started.pid > 0)
            leaders.insert(started.pid);
    }
    if (started.pid < 0) {
        outcome.code = errno;
        outcome.why = std::string("cannot fork: ") + std::strerror(errno);
        return false;
    }
    return true;
}

// What the monitor saw until the run ended or it stopped it.
struct Watch {
    Ending stopped_for = Ending::exited;  // exited: not stopped
    Sample peak;                          // the most memory seen, and the latest processor time
};

// Samples the run until its first process ends, a limit is passed or the
// judge is interrupted.
Watch monitor(const Launch& launch, const Started& started)
{
    Watch watch;
    Fd pidfd(open_pidfd(started.pid));
    Monitor tree(started.pid, launch);
    const Limits& limits = launch.limits;
    for (int round = 0;; ++round) {
        pollfd waits[2] = {{interrupted_fd, POLLIN, 0}, {pidfd.get(), POLLIN, 0}};
        // Without a pidfd the wait is a short sleep that grows with the run.
        const int timeout = pidfd.get() >= 0 ? sample_milliseconds : std::min(1 + round, sample_milliseconds);
        const int ready = ::poll(waits, pidfd.get() >= 0 ? 2 : 1, timeout);
        if (ready < 0 && errno != EINTR)
            break;
        if (waits[0].revents != 0) {
            watch.stopped_for = Ending::interrupted;
            break;
        }
        if (pidfd.get() >= 0 ? waits[1].revents != 0 : has_ended(started.pid))
            break;
        const Sample now = tree.sample();
        if (now.memory_bytes() >= watch.peak.memory_bytes()) {
            watch.peak.resident_bytes = now.resident_bytes;
            watch.peak.held_bytes = now.held_bytes;
        }
        watch.peak.cpu_seconds = now.cpu_seconds;
        watch.peak.processes = std::max(watch.peak.processes, now.processes);
        const double wall = std::chrono::duration<double>(Clock::now() - started.start).count();
        if (limits.cpu_seconds > 0 && now.cpu_seconds > limits.cpu_seconds)
            watch.stopped_for = Ending::cpu_limit;
        else if (limits.memory_bytes > 0 && now.memory_bytes() > limits.memory_bytes)
            watch.stopped_for = Ending::memory_limit;
        else if (limits.processes > 0 && now.processes > limits.processes)
            watch.stopped_for = Ending::process_limit;
        else if (limits.wall_seconds > 0 && wall > limits.wall_seconds)
            watch.stopped_for = Ending::wall_limit;
        else if (limits.file_bytes > 0 && file_size(launch.output) > limits.file_bytes)
            watch.stopped_for = Ending::output_limit;  // RLIMIT_FSIZE raised (root may)
        if (watch.stopped_for != Ending::exited)
            break;
    }
    return watch;
}

// The keeper's report, read whole; false when there is none, or more than
// one, or one that does not hold together.
bool read_report(int fd, KeeperReport& report)
{
    char bytes[2 * sizeof report];
    std::size_t got = 0;
    for (;;) {
        const ssize_t now = ::read(fd, bytes + got, sizeof bytes - got);
        if (now < 0 && errno == EINTR)
            continue;
        if (now <= 0)
            break;
        got += static_cast<std::size_t>(now);
        if (got == sizeof bytes)
            break;
    }
    if (got != sizeof report)
        return false;
    std::memcpy(&report, bytes, sizeof report);
    const bool signaled = report.signaled == 1;
    return report.magic == keeper_magic && (report.signaled == 0 || signaled) &&
           (signaled ? report.code >= 1 && report.code <= 64 : report.code >= 0 && report.code <= 255) &&
           report.user_microseconds >= 0 && report.system_microseconds >= 0 && report.peak_kilobytes >= 0 &&
           report.held_bytes >= 0;
}

// Kills what is left of the run, reaps it and makes its outcome.
Outcome collect(const Launch& launch, Started& started, const Watch& watch)
{
    Outcome outcome;
    // The first process is alive or a zombie here, so its group is still
    // its own to kill.
    ::kill(-started.pid, SIGKILL);
    int status = 0;
    rusage usage{};
    while (::wait4(started.pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    outcome.wall_seconds = std::chrono::duration<double>(Clock::now() - started.start).count();
    {
        const std::lock_guard lock(registry);
        leaders.erase(started.pid);
    }
    finish_group(started.pid);

    int exec_error = 0;
    ssize_t got;
    while ((got = ::read(started.exec_report.get(), &exec_error, sizeof exec_error)) < 0 && errno == EINTR) {
    }
    if (got == sizeof exec_error) {
        outcome.code = exec_error;
        outcome.why = std::string("cannot execute ") + launch.argv[0] + ": " + std::strerror(exec_error);
        return outcome;
    }
    // Without a keeper, the usage covers every process reaped in the tree.
    outcome.cpu_seconds = seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
    std::uint64_t peak_bytes = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
    KeeperReport report{};
    const bool kept = launch.keeper != Keeper::none;
    const bool reported = kept && read_report(started.keeper_report.get(), report);
    if (reported) {
        // The keeper saw the command itself: its time, memory and ending.
        outcome.cpu_seconds = static_cast<double>(report.user_microseconds + report.system_microseconds) / 1e6;
        peak_bytes = static_cast<std::uint64_t>(report.peak_kilobytes) * 1024 + static_cast<std::uint64_t>(report.held_bytes);
        status = report.signaled != 0 ? static_cast<int>(report.code) : static_cast<int>(report.code) << 8;
    }
    // A process its parent did not wait for shows only in the samples.
    outcome.cpu_seconds = std::max(outcome.cpu_seconds, watch.peak.cpu_seconds);
    outcome.peak_memory_bytes = std::max(peak_bytes, watch.peak.memory_bytes());
    if (watch.stopped_for != Ending::exited) {
        outcome.ending = watch.stopped_for;
    } else if (kept && !reported) {
        outcome.ending = Ending::unreported;
    } else if (WIFSIGNALED(status)) {
        outcome.ending = Ending::signaled;
        outcome.code = WTERMSIG(status);
    } else {
        outcome.ending = Ending::exited;
        outcome.code = WEXITSTATUS(status);
    }
    return outcome;
}

}  // namespace

Outcome run(const Launch& launch)
{
    Outcome outcome;
    Started started;
    if (!start(launch, started, outcome))
        return outcome;
    const Watch watch = monitor(launch, started);
    return collect(launch, started, watch);
}

void take_charge_of_processes()
{
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    ::prctl(PR_SET_DUMPABLE, 0);
    ::signal(SIGPIPE, SIG_IGN);
    interrupted_fd = ::eventfd(0, EFD_CLOEXEC);
    sigset_t watched;
    sigemptyset(&watched);
    for (int signal : interrupting_signals)
        sigaddset(&watched, signal);
    ::pthread_sigmask(SIG_BLOCK, &watched, nullptr);
    std::thread([watched] {
        int signal = 0;
        if (::sigwait(&watched, &signal) != 0)
            return;
        received.store(signal);
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(interrupted_fd, &one, sizeof one);
    }).detach();
}

int interruption()
{
    return received.load();
}

void end_stray_processes()
{
    // Killing one may hand its children to the judge: sweep until none come.
    for (int round = 0; round < 1000 && sweep(); ++round) {
    }
}

}  // namespace judge
