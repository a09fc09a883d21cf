// Running one program under limits: its own session and process group,
// standard streams on files, processor time, wall time, resident memory and
// file size bounded, resources measured, and every process it leaves behind
// killed when it ends. The judge is the subreaper of everything it starts,
// so a process that leaves its group still comes back to be killed.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace judge {

// Bounds on one run; 0 means none.
struct Limits {
    double cpu_seconds = 0;           // processor time of the whole process tree
    double wall_seconds = 0;          // real time from start to end
    std::uint64_t memory_bytes = 0;   // resident memory of the tree
    std::uint64_t file_bytes = 0;     // the largest file it may write (standard output included)
};

// What to run and where its streams go.
struct Launch {
    std::vector<std::string> argv;  // argv[0] is the path executed
    std::string input;              // standard input's file; empty: /dev/null
    std::string output;             // standard output's file, created or emptied; empty: /dev/null
    std::string error;              // standard error's file, likewise
    std::string directory;          // working folder; empty: the judge's
    Limits limits;
    int unmeasured_depth = 0;       // levels of the tree (a sandbox's own processes) whose memory is not counted
    bool kept = false;              // the command runs under exercise-judge-keeper, which reports on descriptor 3
};

// How a run ended.
enum class Ending {
    exited,        // code is the exit status
    signaled,      // code is the signal number
    cpu_limit,     // killed: processor time passed the limit
    wall_limit,    // killed: wall time passed the limit
    memory_limit,  // killed: resident memory passed the limit
    output_limit,  // killed: standard output passed the file size limit
    interrupted,   // killed: the judge itself was interrupted
    not_started,   // code is the errno of what failed; why says what
};

struct Outcome {
    Ending ending = Ending::not_started;
    int code = 0;
    double cpu_seconds = 0;
    double wall_seconds = 0;
    std::uint64_t peak_memory_bytes = 0;
    bool kept = false;  // the keeper reported the command's own ending and use
    std::string why;
};

// Runs the program to its end, or until a limit is passed or the judge is
// interrupted, then kills whatever is left of it.
Outcome run(const Launch& launch);

// Makes the judge the subreaper of its descendants and moves SIGINT, SIGTERM
// and SIGHUP to a watching thread. Call first, before any other thread.
void take_charge_of_processes();

// The signal that interrupted the judge, or 0.
int interruption();

// Kills and reaps every child of the judge that belongs to no run in
// progress; at exit, with no run in progress, that is every one left.
void end_stray_processes();

// The folder holding the judge's own executable, and the executable.
std::string own_folder();
std::string own_path();

// A program found beside the judge, else on PATH; "" when not found. A name
// with a slash is taken as a path.
std::string find_program(const std::string& name, bool beside_judge = true);

}  // namespace judge
