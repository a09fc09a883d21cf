// Running one program under limits: its own session and process group,
// standard streams on files, processor time, wall time, resident memory,
// process count and file size bounded, resources measured, and every
// process it leaves behind killed when it ends. The judge is the subreaper
// of everything it starts, so a process that leaves its group still comes
// back to be killed.
//
// A solution runs under exercise-judge-keeper, which reports how it ended
// (see sandbox.hpp): the run's first process is the keeper, or bwrap with
// the keeper as its only child. A monitor samples the whole tree below the
// first process every 10 ms through /proc: the processor time and resident
// memory of every process but the keeper and bwrap (whose own use is the
// judge's, not the solution's), the keeper's reaped children, and the bytes
// in the sandbox's in-memory file systems; it ends the run when one passes
// its limit.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace judge {

// Bounds on one run; 0 means none.
struct Limits {
    double cpu_seconds = 0;           // processor time of the whole process tree
    double wall_seconds = 0;          // real time from start to end
    std::uint64_t memory_bytes = 0;   // resident memory of the tree
    std::uint64_t file_bytes = 0;     // the largest file it may write (standard output included)
    int processes = 0;                // processes of the tree at once
};

// Where exercise-judge-keeper stands in a run.
enum class Keeper {
    none,          // not there: the program runs as it is
    first,         // the run's first process
    under_bwrap,   // the only child of the first process, bwrap
};

// What to run and where its streams go.
struct Launch {
    std::vector<std::string> argv;  // argv[0] is the path executed
    std::string input;              // standard input's file; empty: /dev/null
    std::string output;             // standard output's file, created or emptied; empty: /dev/null
    std::string error;              // standard error's file, likewise; the output's own: both share it
    std::string directory;          // working folder; empty: the judge's
    Limits limits;
    std::optional<std::vector<std::string>> environment;  // its whole environment; none: the judge's
    Keeper keeper = Keeper::none;   // the keeper reports on descriptor 3: a run without its report is unreported
    std::vector<std::string> counted_folders;  // in bwrap: file systems, as the keeper sees them, whose bytes are memory
};

// How a run ended.
enum class Ending {
    exited,        // code is the exit status
    signaled,      // code is the signal number
    cpu_limit,     // killed: processor time passed the limit
    wall_limit,    // killed: wall time passed the limit
    memory_limit,  // killed: resident memory passed the limit
    output_limit,  // killed: standard output passed the file size limit
    process_limit, // killed: more processes at once than the limit
    unreported,    // the keeper gave no report, or a malformed one
    interrupted,   // killed: the judge itself was interrupted
    not_started,   // code is the errno of what failed; why says what
};

struct Outcome {
    Ending ending = Ending::not_started;
    int code = 0;
    double cpu_seconds = 0;
    double wall_seconds = 0;
    std::uint64_t peak_memory_bytes = 0;  // resident memory and bytes held in counted file systems
    std::string why;
};

// Runs the program to its end, or until a limit is passed or the judge is
// interrupted, then kills whatever is left of it.
Outcome run(const Launch& launch);

// Makes the judge the subreaper of its descendants, not dumpable (so that a
// solution running as its user cannot open its descriptors through /proc),
// and moves SIGINT, SIGTERM and SIGHUP to a watching thread. Call first,
// before any other thread.
void take_charge_of_processes();

// The signal that interrupted the judge, or 0.
int interruption();

// Kills and reaps every child of the judge that belongs to no run in
// progress; at exit, with no run in progress, that is every one left.
void end_stray_processes();

}  // namespace judge
