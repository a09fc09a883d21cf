// Judging: every case walked down its road once and every solution run on
// it, (case, solution) pairs several at a time; under --stress cases are
// made until the first failure, which is then shrunk. A setup error or an
// interruption is thrown; everything that happens to a case or a solution
// is in the result.
#pragma once

#include <functional>
#include <vector>

#include "judge/cases/road.hpp"
#include "judge/judging/result.hpp"
#include "judge/judging/settings.hpp"
#include "judge/solutions/languages.hpp"

namespace judge {

// Called after each (case, solution) pair, one call at a time.
using Progress = std::function<void(const CaseResult& latest, const Solution& solution, int done)>;

// Compiles the settings' solutions that are sources (solutions/compiling.hpp)
// and judges each compilation: one that passed a limit or failed is a
// COMPILATION ERROR with why.
void compile_solutions(Settings& settings, const LanguageTable& table);

// The cases the settings make: settings.cases of them.
std::vector<CaseSource> made_cases(const Settings& settings);

// Judges every solution on the cases, settings.jobs pairs at a time.
Result judge_cases(const Settings& settings, const std::vector<CaseSource>& cases, const Progress& progress);

// Makes and judges cases until the first failure or settings.cases, then
// shrinks that failure; one solution.
Result stress(const Settings& settings, const Progress& progress);

}  // namespace judge
