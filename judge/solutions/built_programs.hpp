// Programs a problem package brings, its input and output validators: a
// folder with a build script (or one file), copied into a folder of the
// judge's own, built there by the script in the sandbox into its run
// program, and run there like a solution, under limits of their own. A
// program that does not build is a result (why); one that cannot be
// started is a SetupError, an interrupted judge Interrupted.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "judge/run/process.hpp"
#include "judge/run/sandbox.hpp"

namespace judge {

struct BuiltProgram {
    std::string name;    // its file or folder's name
    std::string folder;  // the copy it was built in
    std::string run;     // its run program; "" when it did not build
};

// Builds the program at path in a copy at `into`; "" when it built, else
// why not.
std::string build_program(const Sandbox& sandbox, const std::string& path, const std::string& into,
                          const Limits& limits, BuiltProgram& program);

// How a run of a built program ended.
struct ProgramEnd {
    std::optional<int> status;  // its exit status; none when it did not exit (a signal, a limit)
    std::string last_line;      // the last line it wrote, standard output and error together
};

// Runs the built program with args on input (a file, "" for none) in the
// folder work (made when missing); both its streams go to the file output.
ProgramEnd run_built(const Sandbox& sandbox, const BuiltProgram& program, const std::vector<std::string>& args,
                     const std::string& input, const std::string& work, const std::string& output,
                     const Limits& limits);

}  // namespace judge
