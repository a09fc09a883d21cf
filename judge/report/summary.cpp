// What several reports say alike about a result.

#include "judge/report/report.hpp"

namespace judge {

Summary summarize(const SolutionResult& solution)
{
    Summary summary;
    for (const CaseResult& result : solution.cases) {
        if (result.ran && (summary.slowest == nullptr || result.cpu_seconds > summary.slowest->cpu_seconds))
            summary.slowest = &result;
        if (result.ran)
            summary.peak_memory_bytes = std::max(summary.peak_memory_bytes, result.memory_bytes);
        if (summary.first_failure == nullptr && !passed(result.verdict))
            summary.first_failure = &result;
    }
    return summary;
}

std::string case_title(const CaseResult& result)
{
    std::string title = "case " + result.name;
    if (result.seed)
        title += " (seed " + std::to_string(*result.seed) + ", answers \"" + result.size + "\")";
    return title;
}

std::string verdict_line(const CaseResult& result)
{
    std::string line = verdict_name(result.verdict);
    if (!result.detail.empty())
        line += ": " + result.detail;
    return line;
}

}  // namespace judge
