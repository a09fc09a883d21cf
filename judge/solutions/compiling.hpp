// Compiling the solutions that are sources, once per judging, each in a
// build folder of its own, in the sandbox, under limits of their own. A
// compilation that fails or passes a limit is recorded in the solution
// (COMPILATION ERROR with the compiler's first lines); a compiler that
// cannot be started is a SetupError, an interrupted judge Interrupted.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "judge/run/process.hpp"
#include "judge/run/sandbox.hpp"
#include "judge/solutions/languages.hpp"
#include "judge/solutions/solutions.hpp"

namespace judge {

// Copies each source into its build folder (under folder) and compiles it
// there under limits, jobs at a time; then fills in what runs it (under
// run_limits) and what the sandbox must show it (commands too). compiled
// is told of each source done, by its index, as it is.
void prepare_solutions(std::vector<Solution>& solutions, const LanguageTable& table, const Sandbox& sandbox,
                       const Limits& limits, const Limits& run_limits, const std::string& folder, int jobs,
                       const std::function<void(std::size_t index)>& compiled = {});

}  // namespace judge
