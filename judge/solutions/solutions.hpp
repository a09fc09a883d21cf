// The solutions judged: commands, programs, or source files (alone or a
// folder of them), each in a language of the table. Compiling them is
// compiling.hpp's. A solution that cannot be judged at all (a file that
// cannot be read, a language that cannot be told or is missing here) is a
// SetupError.
#pragma once

#include <string>
#include <vector>

#include "judge/solutions/languages.hpp"
#include "judge/run/process.hpp"
#include "judge/run/sandbox.hpp"

namespace judge {

// How a source's compile step went: how the compiler's run ended, and,
// once the judging has looked at it, whether it failed and why.
struct Compilation {
    bool needed = false;  // a source whose language has a compile step
    Outcome outcome;      // the compiler's run
    bool ok = true;
    double seconds = 0;   // processor time
    std::string detail;   // why it failed: "exit status 1", "processor time above 60 s"
    std::string log;      // the first lines the compiler wrote on standard error
};

struct Solution {
    std::string name;                // as reports show it: unique among the run's solutions
    std::vector<std::string> given;  // as typed: the command, or the source's path
    std::string source;              // the source file, for a source; the program, for a program named as one
    std::string language;            // its language's name, for a source
    std::vector<std::string> command;  // what runs, its program a full path (after compiling, for a source)
    std::string folder;              // its build folder, shown read-only in the sandbox; "" for a command
    Compilation compilation;
    Exposures exposed;               // what the sandbox shows it
    // A shell line's parts that replay it from scratch: what builds it
    // ("" for none, else ending in "&& "), and the command to pipe into.
    std::string replay_build;
    std::string replay_command;
};

// A command as typed: its program as a full path, arguments that name
// files here made full paths too. Throws SetupError when it cannot be run.
Solution command_solution(const std::vector<std::string>& words);

// The solutions named: source files, programs (run as they are), or
// folders whose files in a known language are each a solution (by name);
// the language by extension unless forced.
// Names shown are the files' names, made unique by their folders where two
// are alike. Throws SetupError for a file that cannot be read, a language
// that cannot be told or is not available here, a folder without sources.
std::vector<Solution> source_solutions(const std::vector<std::string>& paths, const LanguageTable& table,
                                       const Language* forced);

}  // namespace judge
