// Sampling a run's process tree through /proc.

#include "judge/run/sampler.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string_view>

#include "judge/run/keeper.hpp"

namespace judge {

namespace {

// Reads a small /proc file; false when it is gone.
bool read_small(const std::string& path, std::string& text)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
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

// True for the keeper's program: the kernel keeps the first 15 bytes of a
// program's name.
bool is_keeper(const ProcessStat& stat)
{
    return stat.name == std::string_view(keeper_program).substr(0, 15);
}

// True for a file system whose bytes are memory.
bool in_memory(const struct statfs& info)
{
    return info.f_type == TMPFS_MAGIC || info.f_type == RAMFS_MAGIC;
}

}  // namespace

bool read_stat(const std::string& proc, pid_t pid, ProcessStat& stat)
{
    std::string text;
    if (!read_small(proc + "/" + std::to_string(pid) + "/stat", text))
        return false;
    // The command name may hold blanks and parentheses: fields start after
    // the last ')'. Field 3 is the state; the ones used are 4 to 6, 14 to
    // 17, 22 and 24.
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
        while (at < end && *at != ' ' && *at != '\n')
            ++at;
        if (index != 3)
            std::from_chars(start, at, field[index]);
    }
    stat.parent = static_cast<pid_t>(field[4]);
    stat.group = static_cast<pid_t>(field[5]);
    stat.session = static_cast<pid_t>(field[6]);
    stat.own_ticks = field[14] + field[15];
    stat.children_ticks = field[16] + field[17];
    stat.start_ticks = field[22];
    stat.resident_pages = field[24];
    return true;
}

void add_children(const std::string& proc, pid_t pid, std::vector<pid_t>& children)
{
    const std::string tasks_path = proc + "/" + std::to_string(pid) + "/task";
    DIR* tasks = ::opendir(tasks_path.c_str());
    if (tasks == nullptr)
        return;
    std::string text;
    while (const dirent* task = ::readdir(tasks)) {
        if (task->d_name[0] < '0' || task->d_name[0] > '9')
            continue;
        if (!read_small(tasks_path + "/" + task->d_name + "/children", text))
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

TreeSampler::TreeSampler(pid_t first, Keeper keeper, std::vector<std::string> folders, std::string proc)
    : first_(first), where_(keeper), folders_(std::move(folders)), proc_(std::move(proc))
{
    if (keeper == Keeper::first)
        keeper_ = first;
}

TreeSampler::~TreeSampler()
{
    for (const int fd : counted_)
        ::close(fd);
}

Sample TreeSampler::sample()
{
    static const double ticks_per_second = static_cast<double>(::sysconf(_SC_CLK_TCK));
    static const auto page_bytes = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    Sample sample;
    unsigned long long ticks = 0;
    bool keeper_running = false;
    // Each process with the one whose list named it: the first has none.
    std::vector<std::pair<pid_t, pid_t>> pending{{first_, 0}};
    std::vector<pid_t> children;
    while (!pending.empty()) {
        const auto [pid, parent] = pending.back();
        pending.pop_back();
        ProcessStat stat;
        if (!read_stat(proc_, pid, stat) || (parent != 0 && stat.parent != parent))
            continue;
        children.clear();
        add_children(proc_, pid, children);
        if (pid == first_ && where_ == Keeper::under_bwrap) {
            if (keeper_ == 0 && !children.empty())
                keeper_ = children.front();
        } else if (pid == keeper_) {
            ticks += stat.children_ticks;
            keeper_running = is_keeper(stat);
            if (keeper_running && keeper_start_ == 0)
                keeper_start_ = stat.start_ticks;
        } else {
            ticks += stat.own_ticks + stat.children_ticks;
            sample.resident_bytes += stat.resident_pages * page_bytes;
            ++sample.processes;
        }
        for (const pid_t child : children)
            pending.emplace_back(child, pid);
    }
    sample.cpu_seconds = static_cast<double>(ticks) / ticks_per_second;
    // The keeper's file systems, once it runs: before, its root is bwrap's.
    if (keeper_running && !opened_)
        open_counted_folders();
    sample.held_bytes = held_bytes();
    return sample;
}

void TreeSampler::open_counted_folders()
{
    if (folders_.empty())
        return;
    opened_ = true;
    for (const std::string& folder : folders_) {
        const std::string path = proc_ + "/" + std::to_string(keeper_) + "/root" + folder;
        const int fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0)
            counted_.push_back(fd);
    }
    // Still the keeper that was seen starting: what was opened is its own.
    ProcessStat stat;
    if (!read_stat(proc_, keeper_, stat) || !is_keeper(stat) || stat.start_ticks != keeper_start_) {
        for (const int fd : counted_)
            ::close(fd);
        counted_.clear();
        opened_ = false;
    }
}

std::uint64_t TreeSampler::held_bytes() const
{
    std::uint64_t bytes = 0;
    for (const int fd : counted_) {
        struct statfs info {};
        if (::fstatfs(fd, &info) == 0 && in_memory(info))
            bytes += static_cast<std::uint64_t>(info.f_blocks - info.f_bfree) * static_cast<std::uint64_t>(info.f_frsize);
    }
    return bytes;
}

}  // namespace judge
