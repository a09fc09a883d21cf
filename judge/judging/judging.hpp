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

// What a judging tells as it goes; any may be empty. Calls come from the
// judging's threads, several at once: the receiver keeps its own order.
struct Progress {
    std::function<void(std::size_t done, std::size_t total, const Solution& solution)> compiled;
    std::function<void(const CaseSource& source, const Solution& solution)> started;  // a run begins
    std::function<void(const CaseResult& latest, const Solution& solution)> finished;
};

// Compiles the settings' solutions that are sources (solutions/compiling.hpp)
// and judges each compilation: one that passed a limit or failed is a
// COMPILATION ERROR with why.
void compile_solutions(Settings& settings, const LanguageTable& table, const Progress& progress = {});

// The cases the settings make: settings.cases of them.
std::vector<CaseSource> made_cases(const Settings& settings);

// Judges every solution on the cases, settings.jobs pairs at a time.
Result judge_cases(const Settings& settings, const std::vector<CaseSource>& cases, const Progress& progress);

// Makes and judges cases until the first failure or settings.cases, then
// shrinks that failure; one solution.
Result stress(const Settings& settings, const Progress& progress);

}  // namespace judge
