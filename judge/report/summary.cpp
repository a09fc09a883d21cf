// What several reports say alike about a result: the matrix, the summary
// of a solution, a case's title and a verdict's line.

#include "judge/report/report.hpp"

#include <algorithm>
#include <map>

namespace judge {

Summary summarize(const SolutionResult& solution)
{
    Summary summary;
    for (const CaseResult& result : solution.cases) {
        if (result.ran && (summary.slowest == nullptr || result.cpu_seconds > summary.slowest->cpu_seconds))
            summary.slowest = &result;
        if (result.ran)
            summary.peak_memory_bytes = std::max(summary.peak_memory_bytes, result.memory_bytes);
        if (summary.first_failure == nullptr && !passed(result.verdict) && result.verdict != Verdict::invalid_case)
            summary.first_failure = &result;
    }
    return summary;
}

Matrix matrix_of(const Result& result)
{
    std::map<std::size_t, const CaseResult*> cases;
    for (const SolutionResult& solution : result.solutions)
        for (const CaseResult& entry : solution.cases)
            cases.emplace(entry.index, &entry);
    Matrix matrix;
    std::map<std::size_t, std::size_t> row_of;
    for (const auto& [index, entry] : cases) {
        row_of[index] = matrix.rows.size();
        matrix.rows.push_back(entry);
    }
    for (const SolutionResult& solution : result.solutions) {
        std::vector<const CaseResult*> column(matrix.rows.size(), nullptr);
        for (const CaseResult& entry : solution.cases)
            column[row_of[entry.index]] = &entry;
        matrix.cells.push_back(std::move(column));
    }
    return matrix;
}

std::string groups_text(const RunInfo& info)
{
    const auto shown = [](const Group& group) { return group.answers ? "\"" + group.name + "\"" : group.name; };
    if (info.groups.size() == 1)
        return (info.groups.front().answers ? "answers " : "size ") + shown(info.groups.front());
    std::string text = "groups";
    for (const Group& group : info.groups)
        text += (&group == &info.groups.front() ? " " : ", ") + shown(group);
    return text;
}

std::string case_title(const CaseResult& result)
{
    std::string title = "case " + result.name;
    if (result.seed)
        title += " (seed " + std::to_string(*result.seed) + ", answers \"" + result.size() + "\")";
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
