// One row per solution, for a grade sheet: RFC 4180 text, CRLF line ends,
// a field quoted when it holds a comma, a quote or a line break, and none
// that a spreadsheet would run.

#include <cstdio>
#include <string_view>

#include "judge/judging/scoring.hpp"
#include "judge/report/report.hpp"

namespace judge {

namespace {

// The header row's fields.
const char* const header[] = {"solution",    "language",        "cases",           "passed",
                              "failed",      "slowest_seconds", "peak_memory_bytes", "first_failure",
                              "first_failure_verdict"};

// A field as RFC 4180 writes it; one that a spreadsheet would take for a
// formula (a first =, +, -, @, tab or carriage return) gets an apostrophe
// first, so that it stays text.
std::string field(const std::string& text)
{
    const std::string value = !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos
                                  ? "'" + text
                                  : text;
    if (value.find_first_of(",\"\r\n") == std::string::npos)
        return value;
    std::string quoted = "\"";
    for (const char c : value)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string record(const std::vector<std::string>& fields)
{
    std::string line;
    for (const std::string& text : fields) {
        if (!line.empty())
            line += ',';
        line += field(text);
    }
    return line + "\r\n";
}

}  // namespace

std::string csv_report(const Result& result)
{
    // The fixed fields, then the cases passed in each group, and the score.
    std::vector<std::string> fields(std::begin(header), std::end(header));
    for (const GroupResult& group : result.groups)
        fields.push_back(group.name);
    fields.push_back("score");
    std::string text = record(fields);
    for (const SolutionResult& solution : result.solutions) {
        const Summary summary = summarize(solution);
        char seconds[32] = "";
        if (summary.slowest != nullptr)
            std::snprintf(seconds, sizeof seconds, "%.3f", summary.slowest->cpu_seconds);
        const CaseResult* failure = summary.first_failure;
        std::vector<std::string> row{solution.name, solution.language, std::to_string(result.valid_cases()),
                                     std::to_string(solution.passed), std::to_string(solution.failed), seconds,
                                     summary.slowest != nullptr ? std::to_string(summary.peak_memory_bytes) : "",
                                     failure != nullptr ? failure->name : "",
                                     failure != nullptr ? verdict_name(failure->verdict) : ""};
        for (std::size_t g = 0; g < result.groups.size(); ++g)
            row.push_back(std::to_string(g < solution.group_passed.size() ? solution.group_passed[g] : 0));
        row.push_back(score_text(solution.score));
        text += record(row);
    }
    return text;
}

}  // namespace judge
