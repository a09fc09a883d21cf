// One row per solution, for a grade sheet: RFC 4180 text, CRLF line ends,
// a field quoted when it holds a comma, a quote or a line break.

#include <cstdio>

#include "judge/report/report.hpp"

namespace judge {

namespace {

// The header row's fields.
const char* const header[] = {"solution",    "language",        "cases",           "passed",
                              "failed",      "slowest_seconds", "peak_memory_bytes", "first_failure",
                              "first_failure_verdict"};

std::string field(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text)
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
    std::string text = record(std::vector<std::string>(std::begin(header), std::end(header)));
    for (const SolutionResult& solution : result.solutions) {
        const Summary summary = summarize(solution);
        char seconds[32] = "";
        if (summary.slowest != nullptr)
            std::snprintf(seconds, sizeof seconds, "%.3f", summary.slowest->cpu_seconds);
        const CaseResult* failure = summary.first_failure;
        text += record({solution.name, solution.language, std::to_string(solution.cases.size()),
                        std::to_string(solution.passed), std::to_string(solution.failed), seconds,
                        summary.slowest != nullptr ? std::to_string(summary.peak_memory_bytes) : "",
                        failure != nullptr ? failure->name : "",
                        failure != nullptr ? verdict_name(failure->verdict) : ""});
    }
    return text;
}

}  // namespace judge
