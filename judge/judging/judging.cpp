// The pool that runs (case, solution) pairs side by side, each case
// prepared once by the first pair that needs it and removed after the last.

#include "judge/judging/judging.hpp"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

#include "judge/base/failure.hpp"
#include "judge/base/pool.hpp"
#include "judge/judging/runs.hpp"
#include "judge/judging/scoring.hpp"
#include "judge/judging/shrinking.hpp"
#include "judge/solutions/compiling.hpp"

namespace judge {

namespace {

// A case being judged by several solutions at once: prepared by the first
// that needs it, removed when the last is done.
struct SharedCase {
    std::mutex mutex;
    std::unique_ptr<PreparedCase> prepared;
    std::atomic<std::size_t> remaining{0};
};

// Every solution's column, without results yet.
Result empty_columns(const Settings& settings)
{
    Result result;
    for (const Solution& solution : settings.solutions) {
        SolutionResult column;
        column.name = solution.name;
        column.language = solution.language;
        column.given = solution.given;
        column.command = solution.command;
        column.compilation = solution.compilation;
        result.solutions.push_back(std::move(column));
    }
    return result;
}

// The case of a pair, prepared by the first solution that needs it.
const PreparedCase& prepared_case(const Settings& settings, const CaseSource& source, SharedCase& shared)
{
    const std::lock_guard lock(shared.mutex);
    if (!shared.prepared) {
        auto prepared = std::make_unique<PreparedCase>(settings.road, source, new_case_folder(settings));
        prepared->prepare();
        shared.prepared = std::move(prepared);
    }
    return *shared.prepared;
}

// One (case, solution) pair.
CaseResult judge_pair(const Settings& settings, const CaseSource& source, std::size_t which, SharedCase& shared)
{
    const Solution& solution = settings.solutions[which];
    CaseResult result;
    if (!solution.compilation.ok) {
        result = not_compiled(source, solution);
    } else {
        const PreparedCase& prepared = prepared_case(settings, source, shared);
        result = run_on(settings, prepared, solution, which);
        if (!passed(result.verdict) && settings.save)
            save_failure(settings, prepared, solution, which, "", result);
    }
    if (--shared.remaining == 0) {
        const std::lock_guard lock(shared.mutex);
        shared.prepared.reset();
    }
    return result;
}

// Runs every (case, solution) pair, `jobs` at a time, case by case; the
// results stay in the sources' order. With stop_at_failure (one solution),
// no case after the first failing one is started, and the results end with
// it.
Result run_pool(const Settings& settings, const std::vector<CaseSource>& sources, const Progress& progress,
                bool stop_at_failure)
{
    Result result = empty_columns(settings);
    const std::size_t solutions = settings.solutions.size();
    std::vector<SharedCase> cases(sources.size());
    for (SharedCase& shared : cases)
        shared.remaining = solutions;
    std::vector<std::vector<std::optional<CaseResult>>> results(solutions,
                                                                std::vector<std::optional<CaseResult>>(sources.size()));
    std::atomic<std::size_t> first_failure{sources.size()};
    std::mutex report;
    for_each_index(
        sources.size() * solutions, settings.jobs,
        [&](std::size_t pair) {
            const std::size_t index = pair / solutions;
            if (index > first_failure)
                return;
            const Solution& solution = settings.solutions[pair % solutions];
            if (progress.started && solution.compilation.ok)
                progress.started(sources[index], solution);
            const CaseResult entry = judge_pair(settings, sources[index], pair % solutions, cases[index]);
            if (progress.finished)
                progress.finished(entry, solution);
            const std::lock_guard lock(report);
            if (stop_at_failure && !passed(entry.verdict))
                first_failure = std::min(first_failure.load(), index);
            results[pair % solutions][index] = entry;
        },
        [] { return interruption() != 0; });
    if (const int signal = interruption(); signal != 0)
        throw Interrupted(signal);

    if (sources.empty())
        return result;
    const std::size_t last = stop_at_failure ? std::min(first_failure.load(), sources.size() - 1) : sources.size() - 1;
    for (std::size_t which = 0; which < solutions; ++which) {
        SolutionResult& column = result.solutions[which];
        for (std::size_t i = 0; i <= last; ++i) {
            if (!results[which][i])
                continue;
            column.cases.push_back(*results[which][i]);
        }
    }
    return result;
}

}  // namespace

void compile_solutions(Settings& settings, const LanguageTable& table, const Progress& progress)
{
    std::mutex counting;
    std::size_t done = 0;
    prepare_solutions(settings.solutions, table, settings.sandbox, settings.compile_limits, settings.limits,
                      settings.temporary,
                      settings.jobs, [&](std::size_t index) {
                          const std::lock_guard lock(counting);
                          if (progress.compiled)
                              progress.compiled(++done, settings.solutions.size(), settings.solutions[index]);
                      });
    for (Solution& solution : settings.solutions) {
        if (!solution.compilation.needed)
            continue;
        if (const auto judgement = judge_ending(solution.compilation.outcome, settings.compile_limits, 0)) {
            solution.compilation.ok = false;
            solution.compilation.detail = judgement->detail;
        }
    }
}

std::vector<CaseSource> made_cases(const Settings& settings)
{
    std::vector<CaseSource> sources;
    for (std::size_t group = 0; group < settings.groups.size(); ++group) {
        if (settings.groups[group].stored)
            continue;
        CaseMaking making = settings.making;
        making.size = settings.groups[group].size;
        making.answers = settings.groups[group].answers;
        for (int place = 0; place < settings.cases; ++place) {
            const int index = static_cast<int>(group) * settings.cases + place;
            sources.push_back(made_case(making, index, place));
            sources.back().group = group;
        }
    }
    return sources;
}

Result judge_cases(const Settings& settings, const std::vector<CaseSource>& cases, const Progress& progress)
{
    Result result = run_pool(settings, cases, progress, false);
    tally(result, settings.groups, settings.all_or_nothing);
    return result;
}

Result stress(const Settings& settings, const Progress& progress)
{
    const std::vector<CaseSource> sources = made_cases(settings);
    Result result = run_pool(settings, sources, progress, true);
    tally(result, settings.groups, settings.all_or_nothing);
    const std::vector<CaseResult>& cases = result.solutions.front().cases;
    if (cases.empty() || !fails(cases.back()))
        return result;
    const CaseResult& failure = cases.back();
    result.shrinking = shrink(settings, sources[failure.index], failure);
    return result;
}

}  // namespace judge
