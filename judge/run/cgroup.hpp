// Control groups: the kernel's own count of what a run uses, and its own
// hold on the run's limits. Each run of a solution or a compiler gets a
// fresh group, made beneath the group the judge itself runs in (as
// /proc/self/cgroup names it, never elsewhere, so that a limit set on the
// judge holds for what it runs), named exercise-judge-PID-N after the
// judge's process and the run's number, and removed, every task in it
// killed first, when the run ends. A judge that starts removes the empty
// groups of judges that are gone.
//
// What a group gives, in either hierarchy:
//   memory     its peak, which counts what the resident sizes in /proc miss:
//              page tables, pipe and socket buffers, the pages of files in
//              memory (kernel memory is charged to the group's counter on
//              the kernels this runs on); the kernel holds the group to the
//              limit, and its out-of-memory kill ends the run as over it;
//   processor  its usage: every task that was ever in it, reaped or not,
//              whoever its parent was;
//   tasks      processes and threads alike (the pids controller): a fork
//              or a thread beyond the limit is refused, and the run ends.
//
// cgroup v1: the memory, cpuacct and pids hierarchies, each holding one of
// the judge's groups (where they are mounted, /proc/self/mountinfo says).
// cgroup v2: the judge's group must offer the memory and pids controllers
// (cpu.stat is in every group); a group with processes in it cannot pass
// controllers on to groups below it, so the judge first moves itself into a
// leaf of its own, exercise-judge-PID, and the runs' groups go beside it.
// Where neither can be had (no permission, no controllers), runs are
// measured by sampling /proc instead (sampler.hpp).
//
// A run's first task joins its group by writing "0" to the cgroup.procs
// files the judge opened, before the run's program starts: the keeper's
// child just before its exec, or the judge's own child for a run without a
// keeper. Everything it starts is born in the group.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "judge/run/process.hpp"

namespace judge {

enum class Measure { cgroup_v1, cgroup_v2, sampling };

// "cgroup v1", "cgroup v2" or "sampling": what holds the limits of runs.
const char* measure_name(Measure measure);

// What a group counted.
struct GroupUsage {
    double cpu_seconds = 0;
    std::uint64_t memory_bytes = 0;  // the peak (v2 without memory.peak: the use now)
    bool out_of_memory = false;      // the kernel killed one of its tasks for want of memory
    bool refused_task = false;       // a process or thread beyond its limit was refused
};

// Where the judge's own groups are, as /proc/self/cgroup and
// /proc/self/mountinfo under root say ("" is this machine; a test gives a
// folder holding a recorded tree): cgroup v2 where the judge's group
// offers the controllers, else v1 where the three hierarchies are mounted,
// else sampling, with why. Only reads.
struct GroupPlace {
    Measure kind = Measure::sampling;
    std::vector<std::string> folders;  // v1: memory, cpuacct, pids; v2: the judge's group
    std::string why;                   // for sampling: why
};
GroupPlace find_groups(const std::string& root);

// One run's group, in each hierarchy used. Destroying it kills every task
// left in it and removes it.
class RunGroup {
public:
    RunGroup(Measure kind, std::vector<std::string> folders);
    ~RunGroup();
    RunGroup(const RunGroup&) = delete;
    RunGroup& operator=(const RunGroup&) = delete;

    // Its cgroup.procs files, open for writing (closed on exec), one per
    // hierarchy: a task that writes "0" to each has joined.
    const std::vector<int>& join_files() const { return join_; }

    // What it counted so far.
    GroupUsage read() const;

    // Kills every task in it, until none is left (for about five seconds).
    void kill_tasks() const;

    // v1: memory, cpuacct, pids; v2: the one folder.
    const std::vector<std::string>& folders() const { return folders_; }

private:
    friend class ControlGroups;
    bool open_join_files();

    Measure kind_;
    std::vector<std::string> folders_;
    std::vector<int> join_;
};

// The judge's own place in the hierarchies, and the runs' groups beneath.
class ControlGroups {
public:
    // Finds the judge's groups from /proc/self/cgroup and
    // /proc/self/mountinfo under root ("" is this machine; a test gives a
    // folder holding a recorded tree), readies them for runs and removes
    // what judges that are gone left. kind() is sampling when groups cannot
    // be had, and why() says why.
    explicit ControlGroups(std::string root = "", pid_t judge = ::getpid());

    Measure kind() const { return kind_; }
    const std::string& why() const { return why_; }

    // The judge's own groups: v1 memory, cpuacct and pids; v2 the group
    // the runs' groups go in.
    const std::vector<std::string>& folders() const { return folders_; }

    // A fresh group for a run under limits (0: none), or null, errno set,
    // when one cannot be made.
    std::unique_ptr<RunGroup> make(const Limits& limits);

private:
    bool ready_v2();
    bool try_group();
    void remove_groups_of_judges_gone() const;

    std::string root_;
    pid_t judge_;
    Measure kind_ = Measure::sampling;
    std::string why_;
    std::vector<std::string> folders_;
    std::mutex mutex_;
    long runs_ = 0;
};

// This judge's control groups, found on first use.
ControlGroups& control_groups();

// Which measures this judge's runs: control_groups().kind().
Measure measure();

}  // namespace judge
