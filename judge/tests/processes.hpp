// What the judge's tests look for after a run: processes still carrying a
// marker among their arguments, a marker unique to each use, and control
// groups a judge left.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "judge/run/cgroup.hpp"

namespace judge_testing {

// A word no other process carries in its arguments.
inline std::string new_marker()
{
    static int count = 0;
    return "marker-" + std::to_string(::getpid()) + "-" + std::to_string(++count);
}

// The processes (not zombies: they have no arguments) whose arguments
// include marker; with program, only those whose first argument it is.
inline std::vector<int> processes_with(const std::string& marker, const std::string& program = "")
{
    std::vector<int> found;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return found;
    while (const dirent* entry = ::readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        // Read with read(2): a process that ends meanwhile makes it fail
        // (ESRCH), where a stream would throw.
        std::string args;
        const int fd = ::open((std::string("/proc/") + entry->d_name + "/cmdline").c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        char chunk[4096];
        for (ssize_t got; (got = ::read(fd, chunk, sizeof chunk)) > 0;)
            args.append(chunk, static_cast<std::size_t>(got));
        ::close(fd);
        if (!program.empty() && args.compare(0, args.find('\0'), program) != 0)
            continue;
        for (std::size_t start = 0; start < args.size();) {
            const std::size_t end = args.find('\0', start);
            if (args.compare(start, end - start, marker) == 0) {
                found.push_back(std::stoi(entry->d_name));
                break;
            }
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }
    ::closedir(proc);
    return found;
}

// The control groups of the judge whose process ID is judge still there:
// its own (v2) and its runs', beside this process's groups (a judge makes
// them beneath its own, and the tests' judges run in the tests' groups).
inline std::vector<std::string> groups_of(int judge)
{
    std::vector<std::string> found;
    const std::string name = "exercise-judge-" + std::to_string(judge);
    for (const std::string& folder : judge::find_groups("").folders) {
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr)
            continue;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string each = entry->d_name;
            if (each == name || each.rfind(name + "-", 0) == 0)
                found.push_back(folder + "/" + each);
        }
        ::closedir(dir);
    }
    return found;
}

}  // namespace judge_testing
