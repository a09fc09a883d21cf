// What a judging run is set up from, shared by the programs built on the
// judge: the suite's programs found, the temporary folder, the limits'
// policy and the sandbox chosen. Setup errors are thrown; the program
// decides how to end.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "judge/run/process.hpp"
#include "judge/run/sandbox.hpp"

namespace judge {

// A run that cannot be set up, or go on: a program or file missing, a
// folder that cannot be made. Programs end with status 2 on it.
struct SetupError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The folder holding the judge's own executable, and the executable.
std::string own_folder();
std::string own_path();

// A program found beside the judge, else on PATH; "" when not found. A name
// with a slash is taken as a path.
std::string find_program(const std::string& name, bool beside_judge = true);

// A program a language's command names: on the solution's own PATH first,
// so that a compiler or interpreter is the one a solution would find, then
// on the judge's; "" when not found.
std::string find_tool(const std::string& name);

// A suite program's full path; a missing one is a SetupError naming its
// role ("the reference pro6-solve").
std::string suite_program(const std::string& name, const char* role);

// The run's own temporary folder in $TMPDIR (else /tmp), and whatever
// processes the run left: both gone when it is, or at exit for a program
// that ends through exit() while it lives.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return path_; }

    // Ends every process left and removes the folder now.
    void remove();

private:
    std::string path_;
};

// A solution's limits from the options: wall time is twice the processor
// time plus one second.
Limits solution_limits(double cpu_seconds, std::uint64_t memory_megabytes, std::uint64_t output_megabytes,
                       int processes);

// The wall time the makers, validators and references get.
double helper_wall_seconds(const Limits& limits);

// What the sandbox is chosen from.
struct SandboxChoice {
    std::string mode = "auto";                // auto, bwrap or none
    std::vector<std::string> environment;     // NAME=VALUE added to the solution's
    std::vector<std::string> hidden;          // folders hidden besides the temporary one
    Limits limits;                            // the solutions' (sizes of /tmp and /dev/shm)
};

// The sandbox: bwrap when asked for or, with auto, when a trial run works;
// otherwise none, after a trial of the keeper. A warning (a line without
// the program's name) goes to warn.
Sandbox choose_sandbox(const SandboxChoice& choice, const TemporaryFolder& temporary,
                       const std::function<void(const std::string&)>& warn);

}  // namespace judge
