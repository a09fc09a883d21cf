// From a run's ending to its verdict.

#include "judge/judging/verdict.hpp"

#include "judge/base/text.hpp"

#include <signal.h>

#include <cstdio>
#include <cstring>
#include <iterator>

namespace judge {

namespace {

// By verdict, in the order of the enum (checked below).
constexpr VerdictRow verdict_rows[] = {
    {Verdict::ok, "OK", "OK", "passed", "passed", "#d3f0d9", "#14532d", "#2f9e57"},
    {Verdict::wrong_answer, "WRONG ANSWER", "WA", "wrong answer", "wrong answer", "#fad4d1", "#8f1d14", "#d9453a"},
    {Verdict::time_limit, "TIME LIMIT", "TLE", "time limit", "time limit (processor or wall)", "#fde3bd",
     "#7a4100", "#e88c1c"},
    {Verdict::memory_limit, "MEMORY LIMIT", "MLE", "memory limit", "memory limit", "#e6dbf7", "#4c2785", "#8558c8"},
    {Verdict::output_limit, "OUTPUT LIMIT", "OLE", "output limit", "output limit", "#f7d6ea", "#7f1b5a", "#c4468f"},
    {Verdict::runtime_error, "RUNTIME ERROR", "RE", "runtime error", "runtime error (a signal or an exit status)",
     "#f6eda8", "#5c4d00", "#c2a100"},
    {Verdict::compilation_error, "COMPILATION ERROR", "CE", "compilation error", "compilation error", "#dde3ec",
     "#2f3d52", "#667a94"},
    {Verdict::invalid_case, "INVALID CASE", "IC", "invalid case", "invalid case, not judged", "#e5e5e5", "#4a4a4a",
     "#9a9a9a"},
};

constexpr bool rows_in_order()
{
    if (std::size(verdict_rows) != std::size(all_verdicts))
        return false;
    for (std::size_t i = 0; i < std::size(verdict_rows); ++i)
        if (verdict_rows[i].verdict != all_verdicts[i] || static_cast<std::size_t>(all_verdicts[i]) != i)
            return false;
    return true;
}
static_assert(rows_in_order(), "a row for every verdict, in the order of the enum");

}  // namespace

const VerdictRow& verdict_row(Verdict verdict)
{
    return verdict_rows[static_cast<std::size_t>(verdict)];
}

bool passed(Verdict verdict)
{
    return verdict == Verdict::ok;
}

std::optional<Judgement> judge_ending(const Outcome& outcome, const Limits& limits, std::uint64_t output_bytes)
{
    const int signal = outcome.ending == Ending::signaled ? outcome.code : 0;

    if (outcome.ending == Ending::cpu_limit || (limits.cpu_seconds > 0 && outcome.cpu_seconds > limits.cpu_seconds))
        return Judgement{Verdict::time_limit, "processor time above " + seconds_text(limits.cpu_seconds)};
    if (outcome.ending == Ending::memory_limit ||
        (limits.memory_bytes > 0 && outcome.peak_memory_bytes > limits.memory_bytes))
        return Judgement{Verdict::memory_limit, "memory above " + megabytes_text(limits.memory_bytes)};
    if (outcome.ending == Ending::output_limit || (limits.file_bytes > 0 && output_bytes > limits.file_bytes) ||
        signal == SIGXFSZ)
        return Judgement{Verdict::output_limit, "output above " + megabytes_text(limits.file_bytes)};
    if (outcome.ending == Ending::wall_limit) {
        char used[32];
        std::snprintf(used, sizeof used, "%.2f s", outcome.cpu_seconds);
        return Judgement{Verdict::time_limit, "above " + seconds_text(limits.wall_seconds) +
                                                  " of wall time, with processor time " + used};
    }
    if (outcome.ending == Ending::process_limit)
        return Judgement{Verdict::runtime_error,
                         "more than " + std::to_string(limits.processes) + " processes or threads"};
    if (outcome.ending == Ending::unreported)
        return Judgement{Verdict::runtime_error, "the sandbox gave no report"};
    if (signal != 0)
        return Judgement{Verdict::runtime_error, "killed by " + signal_name(signal)};
    if (outcome.code != 0)
        return Judgement{Verdict::runtime_error, "exit status " + std::to_string(outcome.code)};
    return std::nullopt;
}

}  // namespace judge
