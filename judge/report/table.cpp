// The table on standard output: one solution as rows of cases with their
// measures and the details of failures; several as a matrix of short
// verdicts with one line per solution under it.

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "judge/base/text.hpp"
#include "judge/judging/scoring.hpp"
#include "judge/report/report.hpp"

namespace judge {

namespace {

// The table's columns for one solution, in order.
const char* const columns[] = {"case", "seed", "size", "verdict", "processor", "wall", "memory"};

// The most characters the size column shows.
constexpr std::size_t size_width = 48;

// How many lines of a compiler's messages the table shows.
constexpr std::size_t log_lines_shown = 10;

std::string fixed(double value, const char* unit, int decimals = 3)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.*f %s", decimals, value, unit);
    return text;
}

std::string seed_text(const CaseResult& result)
{
    return result.seed ? std::to_string(*result.seed) : "-";
}

std::string cut(const std::string& text, std::size_t width)
{
    return text.size() <= width ? text : text.substr(0, width - 3) + "...";
}

// "OK 0.12s 17M": a matrix cell.
std::string cell(const CaseResult& result)
{
    std::string text = verdict_code(result.verdict);
    if (!result.ran)
        return text;
    char measures[64];
    const double megabytes = static_cast<double>(result.memory_bytes) / (1 << 20);
    std::snprintf(measures, sizeof measures, " %.2fs %.*fM", result.cpu_seconds, megabytes < 10 ? 1 : 0, megabytes);
    return text + measures;
}

// A compiler's messages, indented under the line that names the failure.
std::string compiler_lines(const Compilation& compilation)
{
    std::string text;
    std::size_t shown = 0;
    for (std::size_t at = 0; at < compilation.log.size() && shown < log_lines_shown; ++shown) {
        const std::size_t end = std::min(compilation.log.find('\n', at), compilation.log.size());
        text += "  " + terminal_text(compilation.log.substr(at, end - at)) + "\n";
        at = end + 1;
    }
    return text;
}

std::string saved_line(const RunInfo& info, const std::string& saved)
{
    return terminal_text("  saved as " + *info.save + "/" + saved + ".{in,ans,out,cmd}") + "\n";
}

// "Shrunk in N attempts to seed S, answers "...": VERDICT: detail".
std::string shrunk_line(const Shrinking& shrinking)
{
    const CaseResult& shrunk = shrinking.shrunk;
    return "Shrunk in " + std::to_string(shrinking.attempts) + " attempts to seed " + seed_text(shrunk) +
           ", answers \"" + shrunk.size() + "\": " + verdict_line(shrunk);
}

// "Shrunk in N attempts (M on its content, T s) to a case of L lines, B
// bytes: VERDICT: detail", then the case, the expected and the found output
// when the case is short enough to show in full.
std::string shrunk_content_lines(const Shrinking& shrinking)
{
    const ShrunkContent& content = *shrinking.content;
    std::string text = terminal_text("Shrunk in " + content_attempts_text(shrinking) + " to " +
                                     content_size_text(content) + ": " + verdict_line(shrinking.shrunk)) + "\n";
    const ShownContent shown = shown_content(content);
    if (!shown.in_full)
        return text;
    const std::pair<const char*, const ShownText*> parts[] = {
        {"case", &shown.input}, {"expected", &shown.expected}, {"found", &shown.found}};
    for (const auto& [name, part] : parts) {
        text += std::string("  ") + name + ":\n";
        for (const std::string& line : part->lines)
            text += "  | " + terminal_text(line) + "\n";
        if (part->more > 0)
            text += "  (" + std::to_string(part->more) + " more lines)\n";
    }
    return text;
}

// "score 73.33 of 100 (small 3 of 3, large 1 of 3)", when the run is
// scored.
std::string score_line(const Result& result, const SolutionResult& solution)
{
    std::string line = "score " + score_text(solution.score) + " of " + score_text(result.points());
    if (result.groups.size() < 2)
        return line;
    for (std::size_t g = 0; g < result.groups.size(); ++g) {
        const int passed_here = g < solution.group_passed.size() ? solution.group_passed[g] : 0;
        const std::string& name = result.groups[g].name;
        line += std::string(g == 0 ? " (" : ", ") + (name.find(' ') == std::string::npos ? name : '"' + name + '"') +
                " " + std::to_string(passed_here) + " of " + std::to_string(result.groups[g].cases);
    }
    return line + ")";
}

// The invalid cases, each once: a fault of the cases, not of a solution.
std::string invalid_lines(const Result& result)
{
    if (result.invalid.empty())
        return "";
    std::string text = result.invalid.size() == 1 ? "1 invalid case, left out of every count:\n"
                                                  : std::to_string(result.invalid.size()) +
                                                        " invalid cases, left out of every count:\n";
    for (const CaseResult& entry : result.invalid)
        text += "  " + terminal_text(case_title(entry) + ": " + entry.detail) + "\n";
    return text;
}

// Each case's row of one solution, with its group where there are several.
std::vector<std::vector<std::string>> case_rows(const Result& result, const SolutionResult& solution)
{
    const bool groups = result.groups.size() > 1;
    std::vector<std::vector<std::string>> rows{std::vector<std::string>(std::begin(columns), std::end(columns))};
    if (groups)
        rows.front().insert(rows.front().begin() + 1, "group");
    for (const CaseResult& entry : solution.cases) {
        rows.push_back({terminal_text(entry.name), seed_text(entry), cut(terminal_text(entry.size()), size_width),
                        verdict_name(entry.verdict), entry.ran ? fixed(entry.cpu_seconds, "s") : "-",
                        entry.ran ? fixed(entry.wall_seconds, "s") : "-",
                        entry.ran ? memory_text(entry.memory_bytes) : "-"});
        if (groups)
            rows.back().insert(rows.back().begin() + 1,
                               entry.group < result.groups.size() ? terminal_text(result.groups[entry.group].name) : "");
    }
    return rows;
}

std::string one_solution(const RunInfo& info, const Result& result)
{
    const SolutionResult& solution = result.solutions.front();
    std::vector<bool> right{true, true, false, false, true, true, true};
    if (result.groups.size() > 1)
        right.insert(right.begin() + 1, false);
    std::string text = lay_out(case_rows(result, solution), right);
    if (!solution.compilation.ok) {
        text += terminal_text(solution.name + ": " + verdict_name(Verdict::compilation_error) + ": " +
                              solution.compilation.detail) + "\n";
        text += compiler_lines(solution.compilation);
    }
    for (const CaseResult& entry : solution.cases) {
        if (passed(entry.verdict) || entry.verdict == Verdict::compilation_error)
            continue;
        text += terminal_text(case_title(entry) + ": " + verdict_line(entry)) + "\n";
        if (!entry.saved.empty())
            text += saved_line(info, entry.saved);
    }
    if (result.shrinking && result.shrinking->content) {
        text += shrunk_content_lines(*result.shrinking);
        if (!result.shrinking->shrunk.saved.empty())
            text += saved_line(info, result.shrinking->shrunk.saved);
    } else if (result.shrinking) {
        text += terminal_text(shrunk_line(*result.shrinking)) + "\n";
        if (!result.shrinking->shrunk.saved.empty())
            text += saved_line(info, result.shrinking->shrunk.saved);
    } else if (info.stress && solution.failed == 0) {
        text += "No failure in " + std::to_string(solution.cases.size()) + " cases.\n";
    }
    if (!result.invalid.empty())
        text += std::to_string(result.invalid.size()) + (result.invalid.size() == 1 ? " invalid case" : " invalid cases") +
                " left out of the counts\n";
    if (info.scored)
        text += "S" + score_line(result, solution).substr(1) + "\n";
    return text + std::to_string(solution.passed) + " passed, " + std::to_string(solution.failed) + " failed\n";
}

// A solution's line under the matrix.
std::string solution_line(const RunInfo& info, const Result& result, const SolutionResult& solution)
{
    std::string line = solution.name + (solution.language.empty() ? "" : " (" + solution.language + ")") + ": " +
                       std::to_string(solution.passed) + " of " + std::to_string(result.valid_cases()) + " passed";
    if (info.scored)
        line += "; " + score_line(result, solution);
    if (!solution.compilation.ok)
        return line + "; " + verdict_name(Verdict::compilation_error) + ": " + solution.compilation.detail;
    const Summary summary = summarize(solution);
    if (summary.slowest != nullptr)
        line += "; slowest case " + summary.slowest->name + ", " + fixed(summary.slowest->cpu_seconds, "s") +
                "; peak memory " + memory_text(summary.peak_memory_bytes);
    if (summary.first_failure != nullptr)
        line += "; first failure case " + summary.first_failure->name + ": " + verdict_line(*summary.first_failure);
    return line;
}

// The matrix with a column per solution and a row per case.
std::vector<std::vector<std::string>> case_matrix(const Result& result, const Matrix& cases,
                                                  std::vector<bool>& right)
{
    const bool groups = result.groups.size() > 1;
    std::vector<std::vector<std::string>> rows{{"case", "seed", "size"}};
    right = {true, true, false};
    if (groups) {
        rows.front().insert(rows.front().begin() + 1, "group");
        right.insert(right.begin() + 1, false);
    }
    for (const SolutionResult& solution : result.solutions) {
        rows.front().push_back(terminal_text(solution.name));
        right.push_back(false);
    }
    for (std::size_t i = 0; i < cases.rows.size(); ++i) {
        const CaseResult& row = *cases.rows[i];
        std::vector<std::string> cells{terminal_text(row.name), seed_text(row), cut(terminal_text(row.size()), size_width)};
        if (groups)
            cells.insert(cells.begin() + 1, row.group < result.groups.size() ? terminal_text(result.groups[row.group].name) : "");
        for (const std::vector<const CaseResult*>& column : cases.cells)
            cells.push_back(column[i] != nullptr ? cell(*column[i]) : "-");
        rows.push_back(std::move(cells));
    }
    return rows;
}

// The widest line of a laid out table.
std::size_t widest(const std::string& text)
{
    std::size_t most = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        most = std::max(most, end - at);
        at = end + 1;
    }
    return most;
}

// The matrix turned, to fit `width`: a row per solution and a column per
// case with only the verdict's code, the cases cut into blocks of columns
// where one block would still be too wide.
std::string turned_matrix(const Result& result, const Matrix& cases, std::size_t width)
{
    std::size_t names = std::string("solution").size();
    for (const SolutionResult& solution : result.solutions)
        names = std::max(names, terminal_text(solution.name).size());
    std::string text;
    for (std::size_t first = 0; first < cases.rows.size();) {
        // As many cases as fit beside the names, one at least.
        std::size_t used = names;
        std::size_t last = first;
        while (last < cases.rows.size()) {
            std::size_t column = terminal_text(cases.rows[last]->name).size();
            for (const std::vector<const CaseResult*>& solution : cases.cells)
                column = std::max<std::size_t>(column, solution[last] != nullptr ? std::strlen(verdict_code(solution[last]->verdict)) : 1);
            if (last > first && used + 2 + column > width)
                break;
            used += 2 + column;
            ++last;
        }
        std::vector<std::vector<std::string>> rows{{"solution"}};
        for (std::size_t i = first; i < last; ++i)
            rows.front().push_back(terminal_text(cases.rows[i]->name));
        for (std::size_t s = 0; s < result.solutions.size(); ++s) {
            rows.push_back({terminal_text(result.solutions[s].name)});
            for (std::size_t i = first; i < last; ++i)
                rows.back().push_back(cases.cells[s][i] != nullptr ? verdict_code(cases.cells[s][i]->verdict) : "-");
        }
        text += (first > 0 ? "\n" : "") + lay_out(rows, std::vector<bool>(rows.front().size(), false));
        first = last;
    }
    return text;
}

}  // namespace

std::string matrix(const RunInfo& info, const Result& result)
{
    const Matrix cases = matrix_of(result);
    std::vector<bool> right;
    std::string text = lay_out(case_matrix(result, cases, right), right);
    const bool turned = widest(text) > info.width;
    if (turned)
        text = turned_matrix(result, cases, info.width);
    std::vector<bool> used(std::size(all_verdicts), false);
    for (const std::vector<const CaseResult*>& column : cases.cells)
        for (const CaseResult* entry : column)
            if (entry != nullptr)
                used[static_cast<std::size_t>(entry->verdict)] = true;
    std::string codes;
    for (const Verdict verdict : all_verdicts) {
        if (!used[static_cast<std::size_t>(verdict)])
            continue;
        if (!codes.empty())
            codes += ", ";
        codes += std::string(verdict_code(verdict)) + " " + verdict_row(verdict).words;
    }
    if (!codes.empty())
        text += "Codes: " + codes + (turned ? ".\n" : "; times are processor seconds, M megabytes.\n");
    for (const SolutionResult& solution : result.solutions) {
        text += terminal_text(solution_line(info, result, solution)) + "\n";
        if (!solution.compilation.ok)
            text += compiler_lines(solution.compilation);
        for (const CaseResult& entry : solution.cases)
            if (!entry.saved.empty())
                text += saved_line(info, entry.saved);
    }
    return text + invalid_lines(result);
}

std::string heading(const RunInfo& info, const std::vector<Solution>& solutions)
{
    std::string text = "Judging ";
    text += solutions.size() == 1 ? shell_line(solutions.front().given)
                                  : std::to_string(solutions.size()) + " solutions";
    text += " on " + info.exercise + ":";
    if (info.cases_dir) {
        text += " the cases in " + *info.cases_dir;
    } else {
        text += " " + groups_text(info);
        text += ", seeds from " + std::to_string(*info.seed) + " (repeat with --seed " + std::to_string(*info.seed) + ")";
    }
    text += "; reference " + info.reference.substr(info.reference.rfind('/') + 1) + ", sandbox " + info.sandbox;
    if (!info.limits_by.empty())
        text += ", limits by " + info.limits_by;
    return terminal_text(text) + "\n";
}

std::string table(const RunInfo& info, const Result& result)
{
    if (result.solutions.size() == 1)
        return one_solution(info, result);
    int passed_solutions = 0;
    for (const SolutionResult& solution : result.solutions)
        passed_solutions += solution.all_passed() ? 1 : 0;
    const int count = static_cast<int>(result.solutions.size());
    return matrix(info, result) + std::to_string(passed_solutions) + " passed, " +
           std::to_string(count - passed_solutions) + " failed\n";
}

}  // namespace judge
