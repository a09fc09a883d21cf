// The solutions judged: commands, or source files (alone or a folder of
// them) compiled once per run by their language, in the sandbox, under
// limits of their own.
#pragma once

#include <string>
#include <vector>

#include "judge/solutions/languages.hpp"
#include "judge/run/process.hpp"
#include "judge/run/sandbox.hpp"

namespace judge {

// How a source's compile step went.
struct Compilation {
    bool needed = false;  // a source whose language has a compile step
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

// Copies each source into its build folder (under folder) and compiles it
// there in the sandbox, jobs at a time; then fills in what runs it and what
// the sandbox must show it (commands too). Compilations that fail are
// recorded, not thrown; a program that cannot start is a SetupError, and
// an interrupted judge stops it early (false).
bool prepare_solutions(std::vector<Solution>& solutions, const LanguageTable& table, const Sandbox& sandbox,
                       const Limits& limits, const std::string& folder, int jobs);

}  // namespace judge
