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
    std::string root;                // a student's folder, whose files together make the solution; "" for one file
    std::vector<std::string> files;  // the folder's files, from it; its sources among them
    std::string language;            // its language's name, for a source
    std::string problem;             // why a student's folder cannot be compiled, found before compiling
    std::vector<std::string> command;  // what runs, its program a full path (after compiling, for a source)
    std::string folder;              // its build folder, shown read-only in the sandbox; "" for a command
    Compilation compilation;
    Exposures exposed;               // what the sandbox shows it
    // A shell line's parts that replay it from scratch: what builds it in
    // the folder "$d" ("" for none, else ending in "&& "), and the command
    // to pipe into; replay_in_folder when it needs "$d".
    std::string replay_build;
    std::string replay_command;
    bool replay_in_folder = false;
};

// A command as typed: its program as a full path, arguments that name
// files here made full paths too. Throws SetupError when it cannot be run.
Solution command_solution(const std::vector<std::string>& words);

// The solutions named: source files, programs (run as they are), or
// folders. In a folder, each file in a known language is a solution (named
// by the file), and each subfolder is one student's (named by the
// subfolder): its files together make one program, in one language (C or
// C++ files compiled together with their headers, Java classes together,
// one Python file or the one named main.py among several). The language
// by extension unless forced. Names are made unique by the folders above
// them where two are alike. Throws SetupError for a file that cannot be
// read, a language that cannot be told or is not available here, a folder
// without sources.
std::vector<Solution> source_solutions(const std::vector<std::string>& paths, const LanguageTable& table,
                                       const Language* forced);

}  // namespace judge
