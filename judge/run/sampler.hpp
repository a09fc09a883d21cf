// Sampling a run through /proc, where no control group counts it: the
// processor time and resident memory of every process of the tree below
// the run's first process but the keeper and bwrap (whose own use is the
// judge's, not the solution's), what the keeper reaped, and the bytes held
// in the sandbox's in-memory file systems.
//
// A process ID is a name that outlives its process: one read from a list
// may belong to another process by the time its files are read. So a
// process counts only when its own stat names as its parent the process
// whose list named it, and the sandbox's file systems are opened once,
// while the keeper is known to be the one that started (its start time
// read before and after), and are then read through those descriptors,
// never again through the keeper's ID; only an in-memory file system
// counts. (Read through the ID of a keeper that had ended, once the ID had
// gone to a process outside the sandbox, /tmp was the host's: the used
// space of its disk, gigabytes, became a correct solution's memory.)
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "judge/run/process.hpp"

namespace judge {

// The fields of /proc/PID/stat the runner uses.
struct ProcessStat {
    std::string name;  // the command name, as the kernel keeps it (15 bytes at most)
    pid_t parent = 0;
    pid_t group = 0;
    pid_t session = 0;
    unsigned long long own_ticks = 0;       // user and system time
    unsigned long long children_ticks = 0;  // likewise, of the children it reaped
    unsigned long long start_ticks = 0;     // when it started, after boot
    unsigned long long resident_pages = 0;
};

// Reads proc/PID/stat; false when the process is gone.
bool read_stat(const std::string& proc, pid_t pid, ProcessStat& stat);

// Appends the children of every thread of pid, as proc lists them.
void add_children(const std::string& proc, pid_t pid, std::vector<pid_t>& children);

// What one look at a run finds.
struct Sample {
    double cpu_seconds = 0;
    std::uint64_t resident_bytes = 0;  // or a control group's memory
    std::uint64_t held_bytes = 0;      // in the counted file systems
    int processes = 0;
    bool out_of_memory = false;        // a control group's kernel killed for memory
    bool refused_task = false;         // a control group refused a process or thread

    std::uint64_t memory_bytes() const { return resident_bytes + held_bytes; }
};

class TreeSampler {
public:
    // The tree below first, the keeper where keeper says, the file systems
    // at folders (as the keeper sees them) counted; proc is where /proc is
    // (a test gives a recorded one).
    TreeSampler(pid_t first, Keeper keeper, std::vector<std::string> folders, std::string proc = "/proc");
    ~TreeSampler();
    TreeSampler(const TreeSampler&) = delete;
    TreeSampler& operator=(const TreeSampler&) = delete;

    Sample sample();

private:
    void open_counted_folders();
    std::uint64_t held_bytes() const;

    pid_t first_;
    Keeper where_;
    std::vector<std::string> folders_;
    std::string proc_;
    pid_t keeper_ = 0;
    unsigned long long keeper_start_ = 0;  // its start time, in clock ticks after boot
    bool opened_ = false;
    std::vector<int> counted_;             // the counted file systems, once opened
};

}  // namespace judge
