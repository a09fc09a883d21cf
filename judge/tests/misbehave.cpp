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
#include <mqueue.h>
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
#include <sys/un.h>
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

// Memory the kernel holds for a process, made without end or up to
// megabytes: page tables (a byte read every 2 MB of a vast map, each read
// mapping the shared zero page and so adding a table, not a page), pipe
// buffers (pipes filled and kept), socket buffers (pairs of local sockets
// filled and kept). Returns when it is made, or when the kernel refuses.
void kernel_memory(const std::string& what, long megabytes)
{
    const std::size_t wanted = static_cast<std::size_t>(megabytes) << 20;
    std::size_t made = 0;
    if (what == "tables") {
        constexpr std::size_t span = std::size_t{2} << 20;
        // Each 2 MB read needs one 4 kB table: wanted / 4 kB reads.
        const std::size_t reads = wanted / 4096;
        auto* map = static_cast<volatile char*>(::mmap(nullptr, reads * span, PROT_READ,
                                                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0));
        if (map == MAP_FAILED)
            std::exit(5);
        for (std::size_t i = 0; i < reads; ++i)
            (void)map[i * span];
        return;
    }
    static char block[1 << 16];
    std::memset(block, 'x', sizeof block);
    while (made < wanted) {
        int ends[2];
        const bool pipes = what == "pipes";
        if (pipes ? ::pipe2(ends, O_NONBLOCK) != 0
                  : ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, ends) != 0)
            return;
        if (pipes) {
            ::fcntl(ends[1], F_SETPIPE_SZ, 1 << 20);
        } else {
            const int size = 1 << 22;
            ::setsockopt(ends[0], SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
            ::setsockopt(ends[1], SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        }
        const std::size_t before = made;
        for (ssize_t done; made < wanted && (done = ::write(pipes ? ends[1] : ends[0], block, sizeof block)) > 0;)
            made += static_cast<std::size_t>(done);
        if (made == before)
            return;
    }
}

// Starts count threads that sleep until the process ends; the number
// started.
long start_threads(long count)
{
    long started = 0;
    pthread_attr_t attributes;
    ::pthread_attr_init(&attributes);
    ::pthread_attr_setstacksize(&attributes, 64 << 10);
    for (; started < count; ++started) {
        pthread_t thread;
        if (::pthread_create(&thread, &attributes, [](void*) -> void* { sleep_forever(); }, nullptr) != 0)
            break;
    }
    return started;
}

// With SIGCHLD ignored (so that the kernel reaps them and no one adds up
// their time), count workers each burn milliseconds; waits until they are
// gone.
void ignored_workers(long count, long milliseconds)
{
    ::signal(SIGCHLD, SIG_IGN);
    std::vector<pid_t> workers;
    for (long i = 0; i < count; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            burn(milliseconds);
            ::_exit(0);
        }
        if (pid > 0)
            workers.push_back(pid);
    }
    for (const pid_t pid : workers)
        while (::kill(pid, 0) == 0)
            ::usleep(10000);
}

// Reads the whole standard input.
std::string read_input()
{
    std::string input;
    char chunk[1 << 16];
    for (ssize_t got; (got = ::read(0, chunk, sizeof chunk)) > 0;)
        input.append(chunk, static_cast<std::size_t>(got));
    return input;
}

// Tries to change the file behind standard input, reopened through /proc:
// appending (append), or emptying it (truncate); true when it worked.
bool change_input(const std::string& how)
{
    const bool append = how == "append";
    const int fd = ::open("/proc/self/fd/0", O_WRONLY | (append ? O_APPEND : O_TRUNC));
    bool changed = false;
    if (fd >= 0) {
        struct stat info {};
        changed = append ? ::write(fd, "7 8\n", 4) == 4 : ::fstat(fd, &info) == 0 && info.st_size == 0;
        ::close(fd);
    }
    // Through the descriptor itself too.
    changed = ::ftruncate(0, 0) == 0 || changed;
    return changed;
}

// True when a connection to the local socket at path can be made.
bool can_connect_local(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// The socket families this process could open, by name; local sockets
// (which runtimes need) must still work, and anything else must be refused
// with EACCES or EPERM.
std::string families_opened()
{
    struct Family {
        int number;
        int type;
        const char* name;
    };
    static const Family families[] = {
        {AF_INET, SOCK_STREAM, "inet"},      {AF_INET, SOCK_DGRAM, "inet-udp"}, {AF_INET6, SOCK_STREAM, "inet6"},
        {AF_NETLINK, SOCK_RAW, "netlink"},   {AF_PACKET, SOCK_RAW, "packet"},   {AF_VSOCK, SOCK_STREAM, "vsock"},
        {AF_ALG, SOCK_SEQPACKET, "alg"},     {AF_KEY, SOCK_RAW, "key"},         {AF_BLUETOOTH, SOCK_RAW, "bluetooth"},
        {AF_TIPC, SOCK_RDM, "tipc"},         {AF_XDP, SOCK_RAW, "xdp"},         {AF_RDS, SOCK_SEQPACKET, "rds"},
    };
    std::string opened;
    for (const Family& family : families) {
        const int fd = ::socket(family.number, family.type, 0);
        if (fd >= 0 || (errno != EACCES && errno != EPERM))
            opened += std::string(opened.empty() ? "" : " ") + family.name + (fd >= 0 ? "" : "-not-refused");
        if (fd >= 0)
            ::close(fd);
    }
    int pair[2];
    if (::socketpair(AF_INET, SOCK_STREAM, 0, pair) == 0 || (errno != EACCES && errno != EPERM))
        opened += " inet-pair";
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0)
        opened += " broken-unix-pair";
    const int local = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    if (local < 0)
        opened += " broken-unix";
    return opened;
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
    if (mode == "kernel") {
        // Holds ARG2 megabytes of kernel memory of the kind ARG1 names.
        kernel_memory(mode_args.empty() ? "tables" : mode_args[0], number_arg(1, 64));
        run_solver();
    }
    if (mode == "threads") {
        // ARG threads at once, then answers; says how many it got.
        const long wanted = number_arg(0, 100);
        const long started = start_threads(wanted);
        if (started == wanted) {
            say("threads " + std::to_string(started) + "\n");
            return 0;
        }
        run_solver();
    }
    if (mode == "ignored") {
        ignored_workers(number_arg(0, 4), number_arg(1, 100));
        run_solver();
    }
    if (mode == "change-input") {
        // Reads its case, answers it, then tries to change it (ARG: append
        // or truncate); says so when it could.
        const std::string input = read_input();
        if (change_input(mode_args.empty() ? "append" : mode_args[0])) {
            say("changed\n");
            return 0;
        }
        return run_solver_on(input);
    }
    if (mode == "saboteur") {
        // Answers its case, then empties it for whoever comes next.
        const std::string input = read_input();
        const int status = run_solver_on(input);
        change_input("truncate");
        return status;
    }
    if (mode == "map") {
        // Reads its case by mapping standard input, as fast readers do;
        // says so when it cannot.
        struct stat info {};
        void* mapped = ::fstat(0, &info) == 0 && info.st_size > 0
                           ? ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, 0, 0)
                           : MAP_FAILED;
        if (mapped == MAP_FAILED) {
            say("cannot map\n");
            return 0;
        }
        return run_solver_on(std::string(static_cast<const char*>(mapped), static_cast<std::size_t>(info.st_size)));
    }
    if (mode == "local") {
        if (!mode_args.empty() && can_connect_local(mode_args[0])) {
            say("connected\n");
            return 0;
        }
        run_solver();
    }
    if (mode == "queue") {
        mq_attr attributes{};
        attributes.mq_maxmsg = 10;
        attributes.mq_msgsize = 1024;
        const std::string name = "/" + (mode_args.empty() ? std::string("misbehave") : mode_args[0]);
        const mqd_t queue = ::mq_open(name.c_str(), O_CREAT | O_RDWR, 0600, &attributes);
        if (queue != static_cast<mqd_t>(-1)) {
            say("made a queue\n");
            return 0;
        }
        run_solver();
    }
    if (mode == "families") {
        const std::string opened = families_opened();
        if (!opened.empty()) {
            say("opened " + opened + "\n");
            return 0;
        }
        run_solver();
    }
    if (mode == "exec") {
        // Runs the program ARG found on PATH on its input, as its answer.
        if (!mode_args.empty()) {
            ::execlp(mode_args[0].c_str(), mode_args[0].c_str(), static_cast<char*>(nullptr));
            const std::string direct = mode_args.size() > 1 ? mode_args[1] : "";
            if (!direct.empty())
                ::execl(direct.c_str(), direct.c_str(), static_cast<char*>(nullptr));
        }
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
