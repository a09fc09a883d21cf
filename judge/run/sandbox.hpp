// Where a solution runs: under exercise-judge-keeper always, inside
// bubblewrap (bwrap) where it works, or as the judge's user without it.
//
// How a judged run is laid out (bwrap):
//
//   exercise-judge ── bwrap ── exercise-judge-keeper (PID 1 inside) ── solution ...
//        │                              │
//        └───────── report pipe ────────┘  (descriptor 3 in the keeper)
//
// The judge forks bwrap in a new session; bwrap makes every namespace new
// and runs the keeper as the sandbox's first process (--as-pid-1: there is
// no other init a solution could reach). The keeper, not dumpable, puts its
// child in the run's control group (--join), installs the system-call
// filter there, starts the solution, reaps everything below it, and writes
// one report; a run without it gets no verdict of its own. The group counts
// the solution and all it starts, not bwrap and the keeper (without control
// groups the monitor samples every process below bwrap but those two, and
// the bytes in the sandbox's /tmp and /dev/shm). Without a sandbox the
// keeper is the run's first process, the subreaper of the solution, and the
// rest is the same but for the namespaces and file systems.
//
// What a sandboxed run sees is a list of what it needs, nothing of the host
// besides: the system's program folders (/usr, /bin, /sbin, /lib*), the few
// files of /etc that the languages' compilers and runtimes read
// (etc_entries in sandbox.cpp), a fresh /proc, a small /dev, its own /tmp
// and /dev/shm in memory, its working folder, and its own program, source
// and build folder, read-only. A solution given as a source or a program
// cannot see or run the suite's own programs either, wherever they are
// installed: each is covered by an empty file, and the suite's shared
// files by an empty folder; a command (-- COMMAND) is the user's own and
// keeps the suite in view and on its PATH.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "judge/run/process.hpp"
#include "judge/run/temporary.hpp"

namespace judge {

enum class SandboxMode { automatic, bwrap, none };

// Whether a run may see and run the suite's own programs: a command given
// after -- may; a solution given as a source or a program, and a compiler,
// may not.
enum class SuiteAccess { hidden, shown };

// Files and folders mounted read-only into the sandbox: source and target.
using Exposures = std::vector<std::pair<std::string, std::string>>;

// The in-memory file systems of a bwrap sandbox and their sizes.
struct SandboxSizes {
    std::uint64_t tmp_bytes = 0;  // /tmp
    std::uint64_t shm_bytes = 0;  // /dev/shm
};

class Sandbox {
public:
    // Not set up: nothing can run.
    Sandbox() = default;

    // No sandbox: the command runs under the keeper as the judge's user.
    // environment: NAME=VALUE pairs added to the solution's own.
    Sandbox(std::string keeper, std::vector<std::string> environment);

    // bwrap at bwrap_path, hiding the given folders (the judge's temporary
    // folder, the cases, the saved failures) under empty file systems.
    Sandbox(std::string keeper, std::vector<std::string> environment, std::string bwrap_path,
            std::vector<std::string> hidden, SandboxSizes sizes);

    bool isolates() const { return !bwrap_.empty(); }
    const std::string& keeper() const { return keeper_; }

    // What a command must see, read-only, that the sandbox would not show:
    // the files it names (full paths) outside the system's folders (or
    // covered there, as the suite's programs are), its own program wherever
    // it is, and the given folders (a solution's build folder). Nothing else
    // in the folders hidden on purpose is shown.
    Exposures exposures(const std::vector<std::string>& command, const std::vector<std::string>& folders = {}) const;

    // Sets up launch to run command in folder work: the command line, the
    // keeper's place, the file systems counted and a clean environment,
    // with the suite's programs in view or not.
    void prepare(Launch& launch, const std::vector<std::string>& command, const std::string& work,
                 const Exposures& exposed = {}, SuiteAccess suite = SuiteAccess::hidden) const;

    // Runs a trivial command this way, in the folder work; "" when it
    // works, else what went wrong.
    std::string trial(const std::string& work) const;

private:
    bool hides_on_purpose(const std::string& path) const;
    bool in_view(const std::string& real) const;
    void expose(Exposures& exposed, const std::string& path, bool program) const;
    std::vector<std::string> bwrap_line(const std::string& work, const Exposures& exposed, SuiteAccess suite) const;

    std::string keeper_;  // exercise-judge-keeper
    std::vector<std::string> environment_;
    std::string bwrap_;
    std::vector<std::string> hidden_;
    Exposures keeper_exposed_;
    SandboxSizes sizes_;
    std::vector<std::string> system_words_;  // bwrap's words for the system's folders and /etc
    std::vector<std::string> system_trees_;  // the real folders they show
    std::vector<std::string> suite_files_;   // the suite's files in them, to cover
};

// What the sandbox is chosen from.
struct SandboxChoice {
    std::string mode = "auto";                // auto, bwrap or none
    std::vector<std::string> environment;     // NAME=VALUE added to the solution's
    std::vector<std::string> hidden;          // folders hidden besides the temporary one
    Limits limits;                            // the solutions' (sizes of /tmp and /dev/shm)
};

// The sandbox: bwrap when asked for or, with auto, when a trial run works;
// otherwise none, after a trial of the keeper. A warning (a line without
// the program's name) goes to warn. A sandbox that cannot be had is a
// SetupError.
Sandbox choose_sandbox(const SandboxChoice& choice, const TemporaryFolder& temporary,
                       const std::function<void(const std::string&)>& warn);

}  // namespace judge
