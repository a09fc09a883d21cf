// The table on standard output: one solution as rows of cases with their
// measures and the details of failures; several as a matrix of short
// verdicts with one line per solution under it.

#include <algorithm>
#include <cstdio>

#include "judge/report/report.hpp"
#include "judge/base/text.hpp"

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

std::string one_solution(const RunInfo& info, const Result& result)
{
    const SolutionResult& solution = result.solutions.front();
    std::vector<std::vector<std::string>> rows{std::vector<std::string>(std::begin(columns), std::end(columns))};
    for (const CaseResult& entry : solution.cases)
        rows.push_back({terminal_text(entry.name), seed_text(entry), cut(terminal_text(entry.size()), size_width),
                        verdict_name(entry.verdict), entry.ran ? fixed(entry.cpu_seconds, "s") : "-",
                        entry.ran ? fixed(entry.wall_seconds, "s") : "-",
                        entry.ran ? memory_text(entry.memory_bytes) : "-"});
    std::string text = lay_out(rows, {true, true, false, false, true, true, true});
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
    if (result.shrinking) {
        text += terminal_text(shrunk_line(*result.shrinking)) + "\n";
        if (!result.shrinking->shrunk.saved.empty())
            text += saved_line(info, result.shrinking->shrunk.saved);
    } else if (info.stress && solution.failed == 0) {
        text += "No failure in " + std::to_string(solution.cases.size()) + " cases.\n";
    }
    return text + std::to_string(solution.passed) + " passed, " + std::to_string(solution.failed) + " failed\n";
}

// A solution's line under the matrix.
std::string solution_line(const SolutionResult& solution)
{
    std::string line = solution.name + (solution.language.empty() ? "" : " (" + solution.language + ")") + ": " +
                       std::to_string(solution.passed) + " of " + std::to_string(solution.cases.size()) + " passed";
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

}  // namespace

std::string matrix(const RunInfo& info, const Result& result)
{
    std::vector<std::vector<std::string>> rows{{"case", "seed", "size"}};
    std::vector<bool> right{true, true, false};
    for (const SolutionResult& solution : result.solutions) {
        rows.front().push_back(terminal_text(solution.name));
        right.push_back(false);
    }
    std::vector<bool> used(std::size(all_verdicts), false);
    const Matrix cases = matrix_of(result);
    for (std::size_t i = 0; i < cases.rows.size(); ++i) {
        const CaseResult& row = *cases.rows[i];
        std::vector<std::string> cells{terminal_text(row.name), seed_text(row), cut(terminal_text(row.size()), size_width)};
        for (const std::vector<const CaseResult*>& column : cases.cells) {
            const CaseResult* entry = column[i];
            cells.push_back(entry != nullptr ? cell(*entry) : "-");
            if (entry != nullptr)
                used[static_cast<std::size_t>(entry->verdict)] = true;
        }
        rows.push_back(std::move(cells));
    }
    std::string text = lay_out(rows, right);
    std::string codes;
    for (const Verdict verdict : all_verdicts) {
        if (!used[static_cast<std::size_t>(verdict)])
            continue;
        if (!codes.empty())
            codes += ", ";
        codes += std::string(verdict_code(verdict)) + " " + verdict_row(verdict).words;
    }
    if (!codes.empty())
        text += "Codes: " + codes + "; times are processor seconds, M megabytes.\n";
    for (const SolutionResult& solution : result.solutions) {
        text += terminal_text(solution_line(solution)) + "\n";
        if (!solution.compilation.ok)
            text += compiler_lines(solution.compilation);
        for (const CaseResult& entry : solution.cases)
            if (!entry.saved.empty())
                text += saved_line(info, entry.saved);
    }
    return text;
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
        text += info.answers ? " answers \"" + Answers(*info.answers).label() + "\"" : " size " + info.size;
        text += ", seeds from " + std::to_string(*info.seed) + " (repeat with --seed " + std::to_string(*info.seed) + ")";
    }
    text += "; reference " + info.reference.substr(info.reference.rfind('/') + 1) + ", sandbox " + info.sandbox;
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
