// misbehave: a solution that misbehaves on request, for the judge's tests.
//
//   misbehave MODE [ARG]... [-- SOLVER [ARG]...]
//
// Modes that survive their misbehaviour end by running SOLVER on the same
// standard input (rewound), so that a sandbox that stops the misbehaviour
// turns the run into an honest one. Arguments after the mode's own are
// ignored: tests add a marker there to find the processes it leaves.

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <linux/sched.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

std::vector<std::string> mode_args;  // what follows the mode, up to "--"
std::vector<char*> solver;           // what follows "--"

long number_arg(std::size_t index, long otherwise)
{
    return index < mode_args.size() ? std::strtol(mode_args[index].c_str(), nullptr, 10) : otherwise;
}

void write_all(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done <= 0)
            std::exit(3);
        data += done;
        size -= static_cast<std::size_t>(done);
    }
}

void say(const std::string& text)
{
    write_all(1, text.data(), text.size());
}

// Runs the solver on the standard input, from its start.
[[noreturn]] void run_solver()
{
    if (solver.empty()) {
        std::fputs("misbehave: no solver after --\n", stderr);
        std::exit(2);
    }
    ::lseek(0, 0, SEEK_SET);
    solver.push_back(nullptr);
    ::execv(solver[0], solver.data());
    std::perror("misbehave: exec");
    std::exit(2);
}

// Runs the solver with input on its standard input; its exit status.
int run_solver_on(const std::string& input)
{
    int ends[2];
    if (solver.empty() || ::pipe(ends) != 0)
        return 2;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(ends[0], 0);
        ::close(ends[0]);
        ::close(ends[1]);
        solver.push_back(nullptr);
        ::execv(solver[0], solver.data());
        ::_exit(2);
    }
    ::close(ends[0]);
    ::signal(SIGPIPE, SIG_IGN);
    std::size_t done = 0;
    while (done < input.size()) {
        const ssize_t written = ::write(ends[1], input.data() + done, input.size() - done);
        if (written <= 0)
            break;
        done += static_cast<std::size_t>(written);
    }
    ::close(ends[1]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}

[[noreturn]] void sleep_forever()
{
    for (;;)
        ::pause();
}

// Forks children that sleep until killed; with leave, each first leaves
// the session and process group of its parent.
void fork_sleepers(long count, bool leave)
{
    for (long i = 0; i < count; ++i) {
        const pid_t pid = ::fork();
        if (pid < 0)
            std::exit(4);
        if (pid == 0) {
            if (leave)
                ::setsid();
            sleep_forever();
        }
    }
}

// True when a TCP connection to 127.0.0.1:port can be made.
bool can_connect(long port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// The first readable regular file under folder (not under the working
// folder), or "".
std::string find_readable(const std::string& folder, const std::string& own, int depth = 0)
{
    if (depth > 6 || folder == own)
        return "";
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return "";
    std::string found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + "/" + name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode))
            found = find_readable(path, own, depth + 1);
        else if (S_ISREG(info.st_mode) && ::access(path.c_str(), R_OK) == 0)
            found = path;
        if (!found.empty())
            break;
    }
    ::closedir(dir);
    return found;
}

// Looks for the judge's files: its temporary folders in /tmp and $TMPDIR,
// and the folders named as arguments.
std::string peek()
{
    char own[4096];
    if (::getcwd(own, sizeof own) == nullptr)
        own[0] = '\0';
    std::vector<std::string> places;
    const char* const temporary_folders[] = {"/tmp", std::getenv("TMPDIR")};
    for (const char* tmp : temporary_folders) {
        if (tmp == nullptr)
            continue;
        DIR* dir = ::opendir(tmp);
        if (dir == nullptr)
            continue;
        while (const dirent* entry = ::readdir(dir))
            if (std::strncmp(entry->d_name, "exercise-judge-", 15) == 0)
                places.push_back(std::string(tmp) + "/" + entry->d_name);
        ::closedir(dir);
    }
    for (const std::string& arg : mode_args)
        if (!arg.empty() && arg[0] == '/')
            places.push_back(arg);
    for (const std::string& place : places) {
        const std::string found = find_readable(place, own);
        if (!found.empty())
            return found;
    }
    return "";
}


// Spends milliseconds of processor time.
void burn(long milliseconds)
{
    timespec used{};
    do {
        volatile int i = 0;
        while (i < 100000)
            i = i + 1;
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    } while (used.tv_sec * 1000 + used.tv_nsec / 1000000 < milliseconds);
}

// Touches megabytes of memory and keeps them.
void hold(long megabytes)
{
    const std::size_t bytes = static_cast<std::size_t>(megabytes) << 20;
    void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        std::exit(5);
    std::memset(block, 1, bytes);
}

// The system calls a solution is refused that this one could make: each
// tried, the names of those that worked returned. Forks and threads must
// keep working.
std::string refused_calls_made()
{
    std::string made;
    const auto worked = [&](bool done, const char* name) {
        if (done)
            made += std::string(made.empty() ? "" : " ") + name;
    };
    const pid_t parent = ::getppid();
    worked(::ptrace(PTRACE_ATTACH, parent, nullptr, nullptr) == 0, "ptrace");
    worked(::ptrace(PTRACE_ATTACH, 1, nullptr, nullptr) == 0, "ptrace-init");
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, parent, 0));
    worked(pidfd >= 0 && ::syscall(SYS_pidfd_getfd, pidfd, 3, 0) >= 0, "pidfd_getfd");
    char byte = 0;
    iovec local{&byte, 1}, remote{&byte, 1};
    worked(::process_vm_readv(parent, &local, 1, &remote, 1, 0) >= 0, "process_vm_readv");
    worked(::syscall(SYS_kcmp, ::getpid(), parent, 0, 0, 0) >= 0, "kcmp");
    worked(::unshare(CLONE_NEWUSER) == 0, "unshare");
    worked(::mount("none", "/tmp", "tmpfs", 0, nullptr) == 0, "mount");
    worked(::syscall(SYS_memfd_create, "x", 0) >= 0, "memfd_create");
    worked(::syscall(SYS_userfaultfd, 0) >= 0, "userfaultfd");
    worked(::syscall(SYS_bpf, 0, nullptr, 0) >= 0 || errno != EPERM, "bpf");
    worked(::syscall(SYS_keyctl, 0, 0, 0, 0, 0) >= 0 || errno != EPERM, "keyctl");
    worked(::syscall(SYS_io_uring_setup, 1, nullptr) >= 0 || errno != EPERM, "io_uring_setup");
    // A child in a new user namespace, and clone3, which must say ENOSYS.
    const long cloned = ::syscall(SYS_clone, CLONE_NEWUSER | SIGCHLD, nullptr, nullptr, nullptr, nullptr);
    if (cloned == 0)
        ::_exit(0);
    worked(cloned > 0, "clone-newuser");
    clone_args args{};
    args.exit_signal = SIGCHLD;
    const long cloned3 = ::syscall(SYS_clone3, &args, sizeof args);
    if (cloned3 == 0)
        ::_exit(0);
    worked(cloned3 >= 0 || errno != ENOSYS, "clone3");
    while (::waitpid(-1, nullptr, 0) > 0) {
    }
    // What must still work.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    worked(child < 0 || ::waitpid(child, nullptr, 0) != child, "broken-fork");
    pthread_t thread;
    const bool threaded = ::pthread_create(&thread, nullptr, [](void*) -> void* { return nullptr; }, nullptr) == 0;
    worked(!threaded || ::pthread_join(thread, nullptr) != 0, "broken-thread");
    return made;
}

// Tries to reach the keeper's report descriptor and write a report of a
// clean ending on it: through /proc, or by taking it with pidfd_getfd.
void fake_report()
{
    const std::int64_t report[7] = {0x6b65657065720002, 0, 0, 0, 0, 1024, 0};
    for (const pid_t pid : {::getppid(), static_cast<pid_t>(1)}) {
        const std::string path = "/proc/" + std::to_string(pid) + "/fd/3";
        int fd = ::open(path.c_str(), O_WRONLY);
        if (fd < 0) {
            const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
            fd = pidfd < 0 ? -1 : static_cast<int>(::syscall(SYS_pidfd_getfd, pidfd, 3, 0));
        }
        if (fd >= 0)
            [[maybe_unused]] const ssize_t written = ::write(fd, report, sizeof report);
    }
}

// Forks a child that, once count sleepers have been started after it,
// burns milliseconds of processor time; waits for it.
void crowd(long count, long milliseconds)
{
    int go[2];
    if (::pipe(go) != 0)
        std::exit(4);
    const pid_t oldest = ::fork();
    if (oldest == 0) {
        char c;
        ::close(go[1]);
        if (::read(go[0], &c, 1) != 1)
            ::_exit(4);
        burn(milliseconds);
        ::_exit(0);
    }
    fork_sleepers(count, false);
    if (::write(go[1], "x", 1) != 1)
        std::exit(4);
    ::waitpid(oldest, nullptr, 0);
}

// A grandchild whose parent has ended burns milliseconds of processor time
// (burn) or holds megabytes (hold); waits for it to end.
void orphan(const std::string& what, long amount)
{
    int done[2];
    if (::pipe(done) != 0)
        std::exit(4);
    const pid_t parent = ::fork();
    if (parent == 0) {
        if (::fork() == 0) {
            ::close(done[0]);
            if (what == "burn") {
                burn(amount);
            } else {
                hold(amount);
                ::sleep(1);
            }
            ::_exit(0);
        }
        ::_exit(0);
    }
    ::close(done[1]);
    ::waitpid(parent, nullptr, 0);
    char c;
    while (::read(done[0], &c, 1) > 0) {
    }
}

// Writes megabytes into the file at path and keeps it.
void fill(const std::string& path, long megabytes)
{
    static char block[1 << 20];
    std::memset(block, 'x', sizeof block);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    for (long i = 0; fd >= 0 && i < megabytes; ++i)
        if (::write(fd, block, sizeof block) != static_cast<ssize_t>(sizeof block))
            break;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: misbehave MODE [ARG]... [-- SOLVER [ARG]...]\n", stderr);
        return 2;
    }
    const std::string mode = argv[1];
    int at = 2;
    for (; at < argc && std::strcmp(argv[at], "--") != 0; ++at)
        mode_args.push_back(argv[at]);
    for (++at; at < argc; ++at)
        solver.push_back(argv[at]);

    if (mode == "honest")
        run_solver();
    if (mode == "spin") {
        volatile unsigned long n = 0;
        for (;;)
            n = n + 1;
    }
    if (mode == "sleep")
        sleep_forever();
    if (mode == "hog") {
        // Anonymous maps, each touched, without end.
        for (;;) {
            constexpr std::size_t chunk = std::size_t{16} << 20;
            void* block = ::mmap(nullptr, chunk, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (block == MAP_FAILED)
                return 5;
            std::memset(block, 1, chunk);
        }
    }
    if (mode == "flood") {
        static char block[1 << 20];
        std::memset(block, 'x', sizeof block);
        for (;;)
            write_all(1, block, sizeof block);
    }
    if (mode == "fork" || mode == "escape") {
        fork_sleepers(number_arg(0, 4), mode == "escape");
        run_solver();
    }
    if (mode == "burn") {
        // Spends ARG milliseconds of processor time, then answers.
        burn(number_arg(0, 100));
        run_solver();
    }
    if (mode == "hold") {
        // Touches ARG megabytes, then answers (the peak outlives the exec).
        hold(number_arg(0, 64));
        run_solver();
    }
    if (mode == "lock") {
        // A file in a folder of its own, then no permission on that folder.
        if (::mkdir("locked", 0700) != 0 || ::close(::open("locked/file", O_WRONLY | O_CREAT, 0600)) != 0 ||
            ::chmod("locked", 0) != 0)
            return 4;
        run_solver();
    }
    if (mode == "close") {
        ::close(1);
        return 0;
    }
    if (mode == "tty") {
        const int fd = ::open("/dev/tty", O_RDWR);
        if (fd < 0)
            return 5;
        char c;
        return ::read(fd, &c, 1) == 1 ? 0 : 6;
    }
    if (mode == "segv") {
        ::signal(SIGSEGV, SIG_DFL);
        ::raise(SIGSEGV);
        return 7;
    }
    if (mode == "exit")
        return static_cast<int>(number_arg(0, 1));
    if (mode == "garbage") {
        // Invalid UTF-8, a NUL, control bytes and XML's special characters.
        static const char bytes[] = "\xff\xfe<&\">\x00\x01\x1b[0m\xc3\x28\n";
        write_all(1, bytes, sizeof bytes - 1);
        return 0;
    }
    if (mode == "net") {
        if (can_connect(number_arg(0, 0))) {
            say("connected\n");
            return 0;
        }
        run_solver();
    }
    if (mode == "write") {
        const int fd = mode_args.empty() ? -1 : ::open(mode_args[0].c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ::close(fd);
            say("wrote\n");
            return 0;
        }
        run_solver();
    }
    if (mode == "peek") {
        const std::string found = peek();
        if (!found.empty()) {
            say("read " + found + "\n");
            return 0;
        }
        run_solver();
    }
    if (mode == "wrong-above") {
        // A planted fault: a wrong answer for any input longer than ARG
        // bytes. The input may be a pipe: it is read whole, then handed on.
        std::string input;
        char chunk[1 << 16];
        for (ssize_t got; (got = ::read(0, chunk, sizeof chunk)) > 0;)
            input.append(chunk, static_cast<std::size_t>(got));
        if (static_cast<long>(input.size()) > number_arg(0, 0)) {
            say("wrong\n");
            return 0;
        }
        return run_solver_on(input);
    }
    if (mode == "calls") {
        const std::string made = refused_calls_made();
        if (!made.empty()) {
            say("made " + made + "\n");
            return 0;
        }
        run_solver();
    }
    if (mode == "report") {
        fake_report();
        ::signal(SIGSEGV, SIG_DFL);
        ::raise(SIGSEGV);
        return 7;
    }
    if (mode == "kill-keeper") {
        ::kill(::getppid(), SIGKILL);
        run_solver();
    }
    if (mode == "crowd") {
        crowd(number_arg(0, 10), number_arg(1, 0));
        run_solver();
    }
    if (mode == "orphan") {
        orphan(mode_args.empty() ? "burn" : mode_args[0], number_arg(1, 100));
        run_solver();
    }
    if (mode == "fill") {
        fill(mode_args.empty() ? "/tmp/fill" : mode_args[0], number_arg(1, 1));
        run_solver();
    }
    if (mode == "env") {
        // Runs the solver when the variable ARG is as expected ("-": unset).
        const char* value = mode_args.empty() ? nullptr : std::getenv(mode_args[0].c_str());
        const std::string found = value == nullptr ? "-" : value;
        if (mode_args.size() < 2 || found != mode_args[1]) {
            say("found " + found + "\n");
            return 0;
        }
        run_solver();
    }
    std::fprintf(stderr, "misbehave: unknown mode %s\n", mode.c_str());
    return 2;
}
