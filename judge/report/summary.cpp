// What several reports say alike about a result: the matrix, the summary
// of a solution, a case's title and a verdict's line.

#include "judge/report/report.hpp"

#include "judge/base/text.hpp"

#include <algorithm>
#include <cstdio>
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

namespace {

// The text's lines (a last line break ends the last line), the first
// shown_lines of them cut to shown_width.
ShownText shown_text(const std::string& text)
{
    ShownText shown;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        if (shown.lines.size() < shown_lines)
            shown.lines.push_back(cut_to(std::string_view(text).substr(at, end - at), shown_width));
        else
            ++shown.more;
        at = end + 1;
    }
    return shown;
}

}  // namespace

ShownContent shown_content(const ShrunkContent& content)
{
    ShownContent shown;
    shown.input = shown_text(content.input);
    shown.lines = shown.input.lines.size() + shown.input.more;
    shown.in_full = shown.lines <= shown_lines;
    if (shown.in_full) {
        shown.expected = shown_text(content.expected);
        shown.found = shown_text(content.found);
    }
    return shown;
}

std::string content_attempts_text(const Shrinking& shrinking)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f s", shrinking.content->seconds);
    return std::to_string(shrinking.attempts) + " attempts (" + std::to_string(shrinking.content->attempts) +
           " on its content, " + seconds + ")";
}

std::string content_size_text(const ShrunkContent& content)
{
    const std::size_t lines = shown_content(content).lines;
    return "a case of " + std::to_string(lines) + (lines == 1 ? " line, " : " lines, ") +
           std::to_string(content.input.size()) + (content.input.size() == 1 ? " byte" : " bytes");
}

std::string verdict_line(const CaseResult& result)
{
    std::string line = verdict_name(result.verdict);
    if (!result.detail.empty())
        line += ": " + result.detail;
    return line;
}

}  // namespace judge
