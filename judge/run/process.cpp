// The process runner: fork and exec with limits, a monitor that reads the
// run's control group (or samples its process tree through /proc), and the
// sweep that kills what is left.

#include "judge/run/process.hpp"

#include "judge/run/cgroup.hpp"
#include "judge/run/keeper.hpp"
#include "judge/run/sampler.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
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
#include <memory>
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

// The highest descriptor a run's first process is given: the standard
// three, the keeper's report and its control group's files.
constexpr int last_given_fd = first_join_fd + most_join_fds - 1;

// A descriptor moved above those a run's first process is given, closed on
// exec (the child's dup2 clears that where it is meant to stay open).
int above_keeper(int fd)
{
    if (fd < 0 || fd > last_given_fd)
        return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, last_given_fd + 1);
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

// Copies the file at path into a sealed file in memory, opened read-only:
// a run's standard input, which it may seek and map but never change, nor
// the file it was copied from. -1 (errno set) when it cannot be made.
int private_copy(const std::string& path)
{
    Fd source(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    Fd copy(static_cast<int>(::memfd_create("case", MFD_CLOEXEC | MFD_ALLOW_SEALING)));
    if (source.get() < 0 || copy.get() < 0)
        return -1;
    for (;;) {
        const ssize_t sent = ::sendfile(copy.get(), source.get(), nullptr, std::size_t{1} << 30);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0)
            return -1;
        if (sent == 0)
            break;
    }
    if (::fcntl(copy.get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0)
        return -1;
    // Reopened for reading only, so that even the descriptor cannot write.
    const std::string self = "/proc/self/fd/" + std::to_string(copy.get());
    return ::open(self.c_str(), O_RDONLY | O_CLOEXEC);
}

// Kills and reaps the judge's children that belong to no run in progress.
// True when it found any.
bool sweep()
{
    std::vector<pid_t> victims;
    {
        const std::lock_guard lock(registry);
        std::vector<pid_t> children;
        add_children("/proc", ::getpid(), children);
        for (pid_t child : children) {
            if (leaders.count(child) != 0)
                continue;
            ProcessStat stat;
            if (read_stat("/proc", child, stat) && (leaders.count(stat.group) != 0 || leaders.count(stat.session) != 0))
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
    int report = -1;  // the pipe on which a failed start reports a StartFailure
    int keeper = -1;  // given to the keeper as descriptor 3
    std::vector<int> join;  // the run's control group: given to the keeper, or joined here
    bool kept = false;
    rlimit cpu{RLIM_INFINITY, RLIM_INFINITY};
    rlimit file{RLIM_INFINITY, RLIM_INFINITY};
};

// What the child reports on the report pipe when it cannot start.
struct StartFailure {
    int joining;  // 1: it could not join its control group; 0: exec failed
    int error;    // errno
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
    // The keeper joins its command to the group; without one, this process
    // joins, and what it executes is born there.
    int joining = 0;
    for (std::size_t i = 0; error == 0 && i < plan.join.size(); ++i) {
        if (plan.kept ? ::dup2(plan.join[i], first_join_fd + static_cast<int>(i)) < 0
                      : ::write(plan.join[i], "0", 1) != 1) {
            error = errno;
            joining = plan.kept ? 0 : 1;
        }
    }
    if (error == 0) {
        // No descriptor of the judge's but the report pipe (closed on exec)
        // and those it is given reaches the program. All lie above them.
        const int first = plan.kept && !plan.join.empty() ? first_join_fd + static_cast<int>(plan.join.size())
                          : plan.keeper >= 0           ? keeper_fd + 1
                                                       : keeper_fd;
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
    const StartFailure failure{joining, error};
    while (::write(plan.report, &failure, sizeof failure) < 0 && errno == EINTR) {
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
    Fd exec_report;  // readable: a StartFailure, or the end of file
    Fd keeper_report;
    std::unique_ptr<RunGroup> group;  // none: the run is sampled
    Clock::time_point start;
};

// Whether a run gets a control group: every run under the keeper (the
// keeper was told to join one), and a run without one under a limit the
// group keeps, where control groups can be had.
bool grouped(const Launch& launch)
{
    const Limits& limits = launch.limits;
    return measure() != Measure::sampling &&
           (launch.keeper != Keeper::none || limits.cpu_seconds > 0 || limits.memory_bytes > 0 || limits.processes > 0);
}

// A start that failed: errno and what was being done, in outcome.
bool failed(Outcome& outcome, const char* doing)
{
    outcome.code = errno;
    outcome.why = std::string(doing) + ": " + std::strerror(errno);
    return false;
}

// What the child does after the fork, all of it decided before: vectors
// may not be grown between fork and exec.
ChildPlan child_plan(const Launch& launch, const Started& started, int input, int output, int error, int report,
                     int keeper)
{
    ChildPlan plan;
    for (const std::string& arg : launch.argv)
        plan.argv.push_back(const_cast<char*>(arg.c_str()));
    plan.argv.push_back(nullptr);
    if (launch.environment) {
        for (const std::string& variable : *launch.environment)
            plan.environment.push_back(const_cast<char*>(variable.c_str()));
        plan.environment.push_back(nullptr);
    }
    plan.input = input;
    plan.output = output;
    plan.error = error;
    plan.directory = launch.directory.empty() ? nullptr : launch.directory.c_str();
    plan.report = report;
    plan.keeper = keeper;
    plan.kept = launch.keeper != Keeper::none;
    if (started.group != nullptr)
        plan.join = started.group->join_files();
    if (launch.limits.cpu_seconds > 0) {
        // A backstop: the monitor ends the run at the exact limit.
        const auto soft = static_cast<rlim_t>(std::ceil(launch.limits.cpu_seconds)) + 1;
        plan.cpu = {soft, soft + 1};
    }
    if (launch.limits.file_bytes > 0)
        plan.file = {launch.limits.file_bytes + 1, launch.limits.file_bytes + 1};
    return plan;
}

// Opens the streams, makes the pipes and forks the run's first process;
// on failure, what went wrong is in outcome.
bool start(const Launch& launch, Started& started, Outcome& outcome)
{
    const bool kept = launch.keeper != Keeper::none;
    // A solution's standard input is a copy of its own: the case, shared
    // with the other solutions and maybe stored, is never in its reach.
    Fd input(kept && !launch.input.empty() ? above_keeper(private_copy(launch.input)) : open_stream(launch.input, false));
    Fd output(open_stream(launch.output, true));
    // Both streams into one file share one descriptor, as 2>&1 does: two
    // opens would give each its own offset, and each would overwrite the
    // other's lines.
    const bool shared = !launch.error.empty() && launch.error == launch.output;
    Fd error(shared ? -1 : open_stream(launch.error, true));
    if (input.get() < 0 || output.get() < 0 || (!shared && error.get() < 0))
        return failed(outcome, "cannot open its streams");
    if (grouped(launch)) {
        started.group = control_groups().make(launch.limits);
        if (started.group == nullptr)
            return failed(outcome, "cannot make its control group");
    }
    int pipe_ends[2];
    int keeper_ends[2] = {-1, -1};
    if (::pipe2(pipe_ends, O_CLOEXEC) != 0 || (kept && ::pipe2(keeper_ends, O_CLOEXEC | O_NONBLOCK) != 0))
        return failed(outcome, "cannot make a pipe");
    started.exec_report.reset(above_keeper(pipe_ends[0]));
    Fd report_out(above_keeper(pipe_ends[1]));
    started.keeper_report.reset(above_keeper(keeper_ends[0]));
    Fd keeper_out(above_keeper(keeper_ends[1]));
    const ChildPlan plan = child_plan(launch, started, input.get(), output.get(), shared ? output.get() : error.get(),
                                      report_out.get(), keeper_out.get());

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
    if (started.pid < 0)
        return failed(outcome, "cannot fork");
    return true;
}

// What the monitor saw until the run ended or it stopped it.
struct Watch {
    Ending stopped_for = Ending::exited;  // exited: not stopped
    Sample last;                          // the latest look
    std::uint64_t most_memory = 0;        // the most memory any look found
};

// A look at a run through its control group.
Sample look_at(const RunGroup& group)
{
    const GroupUsage usage = group.read();
    Sample sample;
    sample.cpu_seconds = usage.cpu_seconds;
    sample.resident_bytes = usage.memory_bytes;
    sample.out_of_memory = usage.out_of_memory;
    sample.refused_task = usage.refused_task;
    return sample;
}

// The limit a look shows passed, or exited for none.
Ending limit_passed(const Launch& launch, const Sample& now, double wall)
{
    const Limits& limits = launch.limits;
    if (limits.cpu_seconds > 0 && now.cpu_seconds > limits.cpu_seconds)
        return Ending::cpu_limit;
    if (now.out_of_memory || (limits.memory_bytes > 0 && now.memory_bytes() > limits.memory_bytes))
        return Ending::memory_limit;
    if (now.refused_task || (limits.processes > 0 && now.processes > limits.processes))
        return Ending::process_limit;
    if (limits.wall_seconds > 0 && wall > limits.wall_seconds)
        return Ending::wall_limit;
    if (limits.file_bytes > 0 && file_size(launch.output) > limits.file_bytes)
        return Ending::output_limit;  // RLIMIT_FSIZE raised (root may)
    return Ending::exited;
}

// Looks at the run every sample_milliseconds until its first process
// ends, a limit is passed or the judge is interrupted.
Watch monitor(const Launch& launch, const Started& started)
{
    Watch watch;
    Fd pidfd(open_pidfd(started.pid));
    TreeSampler tree(started.pid, launch.keeper, launch.counted_folders);
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
        watch.last = started.group != nullptr ? look_at(*started.group) : tree.sample();
        watch.most_memory = std::max(watch.most_memory, watch.last.memory_bytes());
        const double wall = std::chrono::duration<double>(Clock::now() - started.start).count();
        watch.stopped_for = limit_passed(launch, watch.last, wall);
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

// How the run ended by its status, when no limit ended it: a SIGXCPU that
// the judge's own processor limit sent is that limit.
void ending_of_status(const Launch& launch, int status, Outcome& outcome)
{
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU && launch.limits.cpu_seconds > 0) {
        outcome.ending = Ending::cpu_limit;
    } else if (WIFSIGNALED(status)) {
        outcome.ending = Ending::signaled;
        outcome.code = WTERMSIG(status);
    } else {
        outcome.ending = Ending::exited;
        outcome.code = WEXITSTATUS(status);
    }
}

// Kills what is left of the run, reaps it and makes its outcome.
Outcome collect(const Launch& launch, Started& started, const Watch& watch)
{
    Outcome outcome;
    // The first process is alive or a zombie here, so its group is still
    // its own to kill.
    ::kill(-started.pid, SIGKILL);
    if (started.group != nullptr)
        started.group->kill_tasks();
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

    StartFailure failure{};
    ssize_t got;
    while ((got = ::read(started.exec_report.get(), &failure, sizeof failure)) < 0 && errno == EINTR) {
    }
    if (got == sizeof failure) {
        outcome.code = failure.error;
        outcome.why = (failure.joining != 0 ? std::string("cannot join its control group")
                                            : std::string("cannot execute ") + launch.argv[0]) +
                      ": " + std::strerror(failure.error);
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
    Sample last = watch.last;
    if (started.group != nullptr) {
        // Every task of the group has ended: its counts are whole. The
        // keeper's, a part of them, stand as a check of the processor time;
        // its largest resident set is no measure of the group's memory
        // (pages of files another run brought in count there, not here).
        last = look_at(*started.group);
        if (kept && reported && watch.stopped_for == Ending::exited && last.cpu_seconds == 0) {
            outcome.ending = Ending::not_started;
            outcome.why = "its command never joined its control group";
            return outcome;
        }
        peak_bytes = 0;
    }
    // A process its parent did not wait for shows only in the looks.
    outcome.cpu_seconds = std::max(outcome.cpu_seconds, last.cpu_seconds);
    outcome.peak_memory_bytes = std::max({peak_bytes, watch.most_memory, last.memory_bytes()});
    if (watch.stopped_for != Ending::exited)
        outcome.ending = watch.stopped_for;
    else if (last.out_of_memory)
        outcome.ending = Ending::memory_limit;
    else if (last.refused_task)
        outcome.ending = Ending::process_limit;
    else if (kept && !reported)
        outcome.ending = Ending::unreported;
    else
        ending_of_status(launch, status, outcome);
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
