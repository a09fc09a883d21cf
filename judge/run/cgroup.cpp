// Control groups: finding the judge's own, making, reading and removing a
// run's.

#include "judge/run/cgroup.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <string_view>
#include <thread>

#include "judge/run/keeper.hpp"

namespace judge {

namespace {

// What every group of this judge's is called: the prefix, then the
// judge's process ID (alone: its own leaf in v2), then "-" and the run's
// number.
constexpr std::string_view group_prefix = "exercise-judge-";

// The v1 hierarchies a run's group is made in, in the order of the folders.
constexpr const char* v1_controllers[] = {"memory", "cpuacct", "pids"};

// The v2 controllers a judge's group must offer.
constexpr const char* v2_controllers[] = {"memory", "pids"};

// How long a group's removal waits for its tasks to end: rounds of 1 ms.
constexpr int removal_rounds = 5000;

// The whole of a small file, or "" (and false) when it cannot be read.
bool read_text(const std::string& path, std::string& text)
{
    text.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
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

// Writes text to a control file; false (errno set) when the kernel refuses.
bool write_text(const std::string& path, std::string_view text)
{
    // O_CREAT changes nothing in a control-group file system, whose files
    // the kernel makes; in a recorded tree it makes the file.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const int error = errno;
    ::close(fd);
    errno = error;
    return written;
}

std::uint64_t number_in(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    std::uint64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// The number a file holds alone, as memory.max_usage_in_bytes does.
std::uint64_t number_file(const std::string& path)
{
    std::string text;
    return read_text(path, text) ? number_in(text) : 0;
}

// The value of key in a file of "key value" lines, as memory.events.
std::uint64_t keyed_number(const std::string& path, std::string_view key)
{
    std::string text;
    if (!read_text(path, text))
        return 0;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        const std::string_view line = rest.substr(0, end);
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == ' ')
            return number_in(line.substr(key.size() + 1));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return 0;
}

// The words of text split at sep.
std::vector<std::string_view> split(std::string_view text, char sep)
{
    std::vector<std::string_view> words;
    while (true) {
        const std::size_t at = text.find(sep);
        words.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return words;
        text.remove_prefix(at + 1);
    }
}

bool has_word(std::string_view list, std::string_view word, char sep)
{
    for (const std::string_view each : split(list, sep))
        if (each == word)
            return true;
    return false;
}

// A path from /proc/self/mountinfo, its \ooo escapes (blanks, tabs,
// newlines, backslashes) undone.
std::string unescaped(std::string_view field)
{
    const auto octal = [&](std::size_t at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
    std::string path;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            path += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            path += field[i];
        }
    }
    return path;
}

// One line of /proc/self/cgroup: "ID:controllers:path".
struct Membership {
    std::string controllers;  // "" for v2
    std::string path;
};

std::vector<Membership> memberships(const std::string& text)
{
    std::vector<Membership> lines;
    for (const std::string_view line : split(text, '\n')) {
        const std::size_t first = line.find(':');
        const std::size_t second = first == std::string_view::npos ? first : line.find(':', first + 1);
        if (second != std::string_view::npos)
            lines.push_back({std::string(line.substr(first + 1, second - first - 1)), std::string(line.substr(second + 1))});
    }
    return lines;
}

// A control-group file system mounted, from /proc/self/mountinfo.
struct CgroupMount {
    std::string type;     // cgroup or cgroup2
    std::string options;  // its super options: v1's name its controllers
    std::string root;     // the group mounted there
    std::string point;
};

std::vector<CgroupMount> cgroup_mounts(const std::string& text)
{
    std::vector<CgroupMount> mounts;
    for (const std::string_view line : split(text, '\n')) {
        const std::vector<std::string_view> fields = split(line, ' ');
        std::size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-")
            ++dash;
        if (dash + 3 >= fields.size())
            continue;
        const std::string_view type = fields[dash + 1];
        if (type == "cgroup" || type == "cgroup2")
            mounts.push_back({std::string(type), std::string(fields[dash + 3]), unescaped(fields[3]), unescaped(fields[4])});
    }
    return mounts;
}

// Where a group of a hierarchy mounted at mount is: its mount point and
// the path below the mounted root; "" when it lies outside of what is
// mounted.
std::string folder_of(const CgroupMount& mount, const std::string& path)
{
    if (mount.root == "/")
        return path == "/" ? mount.point : mount.point + path;
    if (path == mount.root)
        return mount.point;
    if (path.compare(0, mount.root.size(), mount.root) == 0 && path[mount.root.size()] == '/')
        return mount.point + path.substr(mount.root.size());
    return "";
}

// The judge's process ID in a group's name: exercise-judge-PID or
// exercise-judge-PID-N; 0 for another name.
pid_t owner_of(std::string_view name)
{
    if (name.compare(0, group_prefix.size(), group_prefix) != 0)
        return 0;
    name.remove_prefix(group_prefix.size());
    long pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || pid <= 0)
        return 0;
    std::string_view rest(end, static_cast<std::size_t>(name.data() + name.size() - end));
    if (!rest.empty()) {
        long run = 0;
        if (rest[0] != '-' || std::from_chars(rest.data() + 1, rest.data() + rest.size(), run).ptr != rest.data() + rest.size())
            return 0;
    }
    return static_cast<pid_t>(pid);
}

// Removes a group's folder once its tasks are gone: the kernel refuses
// (EBUSY) while one is still ending.
void remove_group_folder(const std::string& folder)
{
    for (int round = 0; round < removal_rounds; ++round) {
        if (::rmdir(folder.c_str()) == 0 || errno != EBUSY)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Sends SIGKILL to the process pid if it still is in the group named name:
// the ID was read from the group's list, and the process may have ended
// and its ID gone to another since. A pidfd holds on to the one process.
bool kill_member(pid_t pid, const std::string& name)
{
#if defined(SYS_pidfd_open) && defined(SYS_pidfd_send_signal)
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd < 0)
        return false;
    std::string text;
    const std::string path = "/proc/" + std::to_string(pid) + "/cgroup";
    bool member = false;
    if (read_text(path, text))
        for (const Membership& line : memberships(text))
            member = member || (line.path.size() > name.size() &&
                                line.path.compare(line.path.size() - name.size() - 1, std::string::npos, "/" + name) == 0);
    const bool sent = member && ::syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0) == 0;
    ::close(pidfd);
    return sent;
#else
    (void)name;
    return ::kill(pid, SIGKILL) == 0;
#endif
}

}  // namespace

const char* measure_name(Measure measure)
{
    switch (measure) {
    case Measure::cgroup_v1: return "cgroup v1";
    case Measure::cgroup_v2: return "cgroup v2";
    case Measure::sampling: return "sampling";
    }
    return "?";
}

RunGroup::RunGroup(Measure kind, std::vector<std::string> folders) : kind_(kind), folders_(std::move(folders)) {}

RunGroup::~RunGroup()
{
    for (const int fd : join_)
        ::close(fd);
    kill_tasks();
    for (const std::string& folder : folders_)
        remove_group_folder(folder);
}

bool RunGroup::open_join_files()
{
    for (const std::string& folder : folders_) {
        // Above the descriptors a run's first process is given, which the
        // files are moved to.
        const int opened = ::open((folder + "/cgroup.procs").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        const int fd = opened < 0 ? -1 : ::fcntl(opened, F_DUPFD_CLOEXEC, first_join_fd + most_join_fds);
        if (opened >= 0)
            ::close(opened);
        if (fd < 0)
            return false;
        join_.push_back(fd);
    }
    return true;
}

GroupUsage RunGroup::read() const
{
    GroupUsage usage;
    if (kind_ == Measure::cgroup_v1) {
        const std::string& memory = folders_[0];
        usage.cpu_seconds = static_cast<double>(number_file(folders_[1] + "/cpuacct.usage")) / 1e9;
        usage.out_of_memory = keyed_number(memory + "/memory.oom_control", "oom_kill") > 0;
        usage.refused_task = keyed_number(folders_[2] + "/pids.events", "max") > 0;
        // Socket buffers of TCP have a counter of their own beside the
        // group's: its peak is added (an upper bound of the two together).
        usage.memory_bytes = number_file(memory + "/memory.max_usage_in_bytes") +
                             number_file(memory + "/memory.kmem.tcp.max_usage_in_bytes");
    } else {
        const std::string& folder = folders_[0];
        usage.cpu_seconds = static_cast<double>(keyed_number(folder + "/cpu.stat", "usage_usec")) / 1e6;
        usage.out_of_memory = keyed_number(folder + "/memory.events", "oom_kill") > 0 ||
                              keyed_number(folder + "/memory.events", "oom_group_kill") > 0;
        usage.refused_task = keyed_number(folder + "/pids.events", "max") > 0;
        std::string peak;
        usage.memory_bytes =
            read_text(folder + "/memory.peak", peak) ? number_in(peak) : number_file(folder + "/memory.current");
    }
    return usage;
}

void RunGroup::kill_tasks() const
{
    const std::string& tasks = folders_.back();
    const std::string name = tasks.substr(tasks.rfind('/') + 1);
    // v2 kills them all at once where the kernel can (5.14 on).
    if (kind_ == Measure::cgroup_v2 && ::access((tasks + "/cgroup.kill").c_str(), W_OK) == 0)
        write_text(tasks + "/cgroup.kill", "1");
    std::string text;
    for (int round = 0; round < removal_rounds && read_text(tasks + "/cgroup.procs", text); ++round) {
        bool any = false;
        for (const std::string_view line : split(text, '\n')) {
            const pid_t pid = static_cast<pid_t>(number_in(line));
            if (pid > 0) {
                kill_member(pid, name);
                any = true;
            }
        }
        if (!any)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

GroupPlace find_groups(const std::string& root)
{
    GroupPlace place;
    std::string cgroup_text, mountinfo_text;
    if (!read_text(root + "/proc/self/cgroup", cgroup_text) || !read_text(root + "/proc/self/mountinfo", mountinfo_text)) {
        place.why = "cannot read /proc/self/cgroup and /proc/self/mountinfo";
        return place;
    }
    const std::vector<Membership> lines = memberships(cgroup_text);
    const std::vector<CgroupMount> mounts = cgroup_mounts(mountinfo_text);
    // v2 first, where its controllers are offered to the judge's group.
    for (const Membership& line : lines) {
        if (!line.controllers.empty())
            continue;
        for (const CgroupMount& mount : mounts) {
            const std::string folder = mount.type == "cgroup2" ? folder_of(mount, line.path) : "";
            std::string offered;
            if (folder.empty() || !read_text(root + folder + "/cgroup.controllers", offered))
                continue;
            bool all = true;
            for (const char* controller : v2_controllers)
                all = all && has_word(offered.substr(0, offered.find('\n')), controller, ' ');
            if (all) {
                place.kind = Measure::cgroup_v2;
                place.folders = {root + folder};
                return place;
            }
        }
    }
    for (const char* controller : v1_controllers) {
        std::string folder;
        for (const Membership& line : lines)
            if (has_word(line.controllers, controller, ','))
                for (const CgroupMount& mount : mounts)
                    if (folder.empty() && mount.type == "cgroup" && has_word(mount.options, controller, ','))
                        folder = folder_of(mount, line.path);
        if (folder.empty()) {
            place.why = std::string("no ") + controller + " controller for the judge's group, in cgroup v1 or v2";
            place.folders.clear();
            return place;
        }
        place.folders.push_back(root + folder);
    }
    place.kind = Measure::cgroup_v1;
    return place;
}

ControlGroups::ControlGroups(std::string root, pid_t judge) : root_(std::move(root)), judge_(judge)
{
    GroupPlace place = find_groups(root_);
    kind_ = place.kind;
    why_ = std::move(place.why);
    folders_ = std::move(place.folders);
    if (kind_ == Measure::sampling)
        return;
    remove_groups_of_judges_gone();
    if (kind_ == Measure::cgroup_v2 && !ready_v2()) {
        kind_ = Measure::sampling;
        return;
    }
    if (!try_group())
        kind_ = Measure::sampling;
}

bool ControlGroups::ready_v2()
{
    const std::string& group = folders_[0];
    std::string enabled;
    read_text(group + "/cgroup.subtree_control", enabled);
    bool all = true;
    for (const char* controller : v2_controllers)
        all = all && has_word(enabled.substr(0, enabled.find('\n')), controller, ' ');
    if (all)
        return true;
    // The judge leaves its group for a leaf of its own, so that the group
    // may hand its controllers down.
    const std::string leaf = group + "/" + std::string(group_prefix) + std::to_string(judge_);
    if ((::mkdir(leaf.c_str(), 0755) != 0 && errno != EEXIST) || !write_text(leaf + "/cgroup.procs", "0")) {
        why_ = std::string("cannot move the judge into a group of its own: ") + std::strerror(errno);
        ::rmdir(leaf.c_str());
        return false;
    }
    std::string request;
    for (const char* controller : v2_controllers)
        request += std::string(request.empty() ? "+" : " +") + controller;
    if (!write_text(group + "/cgroup.subtree_control", request)) {
        why_ = std::string("cannot enable the memory and pids controllers for the runs (other processes share the "
                           "judge's group?): ") +
               std::strerror(errno);
        write_text(group + "/cgroup.procs", "0");
        ::rmdir(leaf.c_str());
        return false;
    }
    return true;
}

bool ControlGroups::try_group()
{
    // A trial group, joined by a child that then ends: what every run does.
    const std::unique_ptr<RunGroup> trial = make(Limits{});
    if (trial == nullptr) {
        why_ = std::string("cannot make a control group: ") + std::strerror(errno);
        return false;
    }
    std::vector<int> files = trial->join_files();
    const pid_t child = ::fork();
    if (child == 0) {
        for (const int fd : files)
            if (::write(fd, "0", 1) != 1)
                ::_exit(1);
        ::_exit(0);
    }
    int status = 0;
    while (child > 0 && ::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        why_ = "cannot join a control group";
        return false;
    }
    return true;
}

void ControlGroups::remove_groups_of_judges_gone() const
{
    for (const std::string& folder : folders_) {
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr)
            continue;
        std::vector<std::string> gone;
        while (const dirent* entry = ::readdir(dir)) {
            const pid_t owner = owner_of(entry->d_name);
            if (owner > 0 && owner != judge_ && ::kill(owner, 0) != 0 && errno == ESRCH)
                gone.push_back(folder + "/" + entry->d_name);
        }
        ::closedir(dir);
        // Its tasks may be ending still; one that is not stays for the next.
        for (const std::string& group : gone)
            ::rmdir(group.c_str());
    }
}

std::unique_ptr<RunGroup> ControlGroups::make(const Limits& limits)
{
    if (kind_ == Measure::sampling) {
        errno = ENOTSUP;
        return nullptr;
    }
    std::string name;
    std::vector<std::string> made;
    {
        const std::lock_guard lock(mutex_);
        for (int attempt = 0; attempt < 100 && made.size() < folders_.size(); ++attempt) {
            name = std::string(group_prefix) + std::to_string(judge_) + "-" + std::to_string(runs_++);
            made.clear();
            for (const std::string& folder : folders_) {
                const std::string group = folder + "/" + name;
                if (::mkdir(group.c_str(), 0755) != 0)
                    break;
                made.push_back(group);
            }
            if (made.size() != folders_.size()) {
                const int error = errno;
                for (const std::string& group : made)
                    ::rmdir(group.c_str());
                errno = error;
                if (error != EEXIST)
                    return nullptr;
            }
        }
    }
    if (made.size() != folders_.size())
        return nullptr;
    auto group = std::make_unique<RunGroup>(kind_, made);
    const std::string memory = std::to_string(limits.memory_bytes);
    const std::string tasks = limits.processes > 0 ? std::to_string(limits.processes) : "max";
    bool set = true;
    if (kind_ == Measure::cgroup_v1) {
        if (limits.memory_bytes > 0) {
            set = write_text(made[0] + "/memory.limit_in_bytes", memory);
            // Swap is held to the limit too where the kernel counts it, and
            // the accounting of TCP buffers starts with a limit of its own.
            write_text(made[0] + "/memory.memsw.limit_in_bytes", memory);
            write_text(made[0] + "/memory.kmem.tcp.limit_in_bytes", memory);
        }
        set = set && write_text(made[2] + "/pids.max", tasks);
    } else {
        if (limits.memory_bytes > 0) {
            set = write_text(made[0] + "/memory.max", memory);
            write_text(made[0] + "/memory.swap.max", "0");
        }
        // The kernel's out-of-memory kill takes the whole group.
        write_text(made[0] + "/memory.oom.group", "1");
        set = set && write_text(made[0] + "/pids.max", tasks);
    }
    if (!set || !group->open_join_files())
        return nullptr;
    return group;
}

ControlGroups& control_groups()
{
    static ControlGroups groups;
    return groups;
}

Measure measure()
{
    return control_groups().kind();
}

}  // namespace judge
