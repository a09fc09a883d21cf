// Finding programs: the judge's own folder, the suite's programs beside it
// (then on PATH), and a language's tools as a solution would find them.
// Lookups return "" for a program not found; suite_program throws a
// SetupError naming the program's role.
#pragma once

#include <string>

namespace judge {

// The PATH a solution gets.
constexpr const char* solution_path = "/usr/local/bin:/usr/bin:/bin";

// Every program the suite installs: what a solution given as a source or a
// program may neither see nor run, wherever it is installed.
constexpr const char* suite_programs[] = {
    "pro3-solve", "pro3-maketest", "pro3-validate", "pro3-shrink",
    "pro2-solve", "pro2-maketest", "pro2-maketest-b", "pro2-validate", "pro2-shrink",
    "pro6-solve", "pro6-solve-b", "pro6-solve-c", "pro6-maketest", "pro6-maketest-b", "pro6-validate", "pro6-shrink",
    "order-solve-list", "order-solve-grid", "order-solve-bucket", "order-gen", "order-validate", "order-shrink",
    "transfer-summary", "exercise-judge", "exercise-judge-keeper", "exercise-package",
};

// The folder of the suite's shared files beside the programs' folder
// (share/exercise-suite: the single-file sources, the problems' material).
std::string own_share_folder();

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

}  // namespace judge
