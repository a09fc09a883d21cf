// The result as JSON, keys in the order a reader takes them in.

#include <nlohmann/json.hpp>

#include "judge/report/report.hpp"

namespace judge {

namespace {

using json = nlohmann::ordered_json;

json or_null(const std::optional<std::string>& text)
{
    return text ? json(*text) : json(nullptr);
}

json case_json(const CaseResult& result)
{
    json entry = {
        {"name", result.name},
        {"seed", result.seed ? json(*result.seed) : json(nullptr)},
        {"maker", result.maker.empty() ? json(nullptr) : json(result.maker)},
        {"answers", result.seed ? json(result.answers) : json(nullptr)},
        {"size", result.size()},
        {"verdict", verdict_name(result.verdict)},
        {"passed", passed(result.verdict)},
        {"detail", result.detail},
        {"saved", result.saved.empty() ? json(nullptr) : json(result.saved)},
    };
    if (result.ran) {
        entry["cpu_seconds"] = result.cpu_seconds;
        entry["wall_seconds"] = result.wall_seconds;
        entry["memory_bytes"] = result.memory_bytes;
    } else {
        entry["cpu_seconds"] = entry["wall_seconds"] = entry["memory_bytes"] = nullptr;
    }
    return entry;
}

// Lines shown joined again, each with its line break; null for none.
json shown_json(const ShownContent& shown, const ShownText& text)
{
    if (!shown.in_full)
        return nullptr;
    std::string joined;
    for (const std::string& line : text.lines)
        joined += line + "\n";
    return joined;
}

// A shrink by content: its attempts and time, the case's size, and the
// case (whole) with its outputs (cut) when it is short enough to show.
json content_json(const ShrunkContent& content)
{
    const ShownContent shown = shown_content(content);
    return {{"attempts", content.attempts},
            {"seconds", content.seconds},
            {"lines", shown.lines},
            {"bytes", content.input.size()},
            {"case", shown.in_full ? json(content.input) : json(nullptr)},
            {"expected", shown_json(shown, shown.expected)},
            {"expected_more_lines", shown.expected.more},
            {"found", shown_json(shown, shown.found)},
            {"found_more_lines", shown.found.more}};
}

json limits_json(const Limits& limits)
{
    return {{"cpu_seconds", limits.cpu_seconds},
            {"wall_seconds", limits.wall_seconds},
            {"memory_bytes", limits.memory_bytes},
            {"output_bytes", limits.file_bytes},
            {"processes", limits.processes}};
}

json compilation_json(const Compilation& compilation)
{
    if (!compilation.needed)
        return nullptr;
    return {{"status", compilation.ok ? "ok" : "failed"},
            {"seconds", compilation.seconds},
            {"detail", compilation.detail},
            {"log", compilation.log}};
}

json cases_json(const SolutionResult& solution)
{
    json cases = json::array();
    for (const CaseResult& entry : solution.cases)
        cases.push_back(case_json(entry));
    return cases;
}

// The groups of cases: their names, valid cases and points.
json groups_json(const Result& result)
{
    json groups = json::array();
    for (const GroupResult& group : result.groups)
        groups.push_back({{"name", group.name}, {"cases", group.cases}, {"points", group.points}});
    return groups;
}

// A solution's cases passed in each group.
json passed_json(const Result& result, const SolutionResult& solution)
{
    json passed = json::array();
    for (std::size_t g = 0; g < result.groups.size(); ++g)
        passed.push_back({{"group", result.groups[g].name},
                          {"passed", g < solution.group_passed.size() ? solution.group_passed[g] : 0}});
    return passed;
}

json invalid_json(const Result& result)
{
    json invalid = json::array();
    for (const CaseResult& entry : result.invalid)
        invalid.push_back(case_json(entry));
    return invalid;
}

// A run of made cases of one group, as the layouts before groups were.
bool one_group(const RunInfo& info)
{
    return !info.cases_dir && info.groups.size() == 1;
}

// The run's settings, as every layout starts.
json settings_json(const RunInfo& info)
{
    return {
        {"exercise", info.exercise},
        {"sandbox", info.sandbox},
        {"limits_by", info.limits_by},
        {"seed", info.seed ? json(*info.seed) : json(nullptr)},
        {"size", one_group(info) && !info.groups.front().answers ? json(info.groups.front().name) : json(nullptr)},
        {"answers", one_group(info) && info.groups.front().answers ? json(*info.groups.front().answers) : json(nullptr)},
        {"cases_dir", or_null(info.cases_dir)},
        {"reference", info.reference},
        {"limits", limits_json(info.limits)},
    };
}

std::string dump(const json& report)
{
    return report.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace

std::string json_report(const RunInfo& info, const Result& result)
{
    if (result.solutions.size() == 1) {
        // The layout of a run of one command, with its language and
        // compilation added.
        const SolutionResult& solution = result.solutions.front();
        json settings = settings_json(info);
        json report = {{"exercise", info.exercise},
                       {"command", solution.command},
                       {"language", solution.language.empty() ? json(nullptr) : json(solution.language)},
                       {"compilation", compilation_json(solution.compilation)}};
        for (auto& [key, value] : settings.items())
            if (key != "exercise")
                report[key] = value;
        report["stress"] = info.stress;
        report["cases"] = cases_json(solution);
        report["passed"] = solution.passed;
        report["failed"] = solution.failed;
        report["groups"] = groups_json(result);
        report["group_passed"] = passed_json(result, solution);
        report["score"] = solution.score;
        report["invalid_cases"] = invalid_json(result);
        if (result.shrinking) {
            report["shrinking"] = {{"original", case_json(result.shrinking->original)},
                                   {"shrunk", case_json(result.shrinking->shrunk)},
                                   {"attempts", result.shrinking->attempts}};
            if (result.shrinking->content)
                report["shrinking"]["content"] = content_json(*result.shrinking->content);
        } else
            report["shrinking"] = nullptr;
        return dump(report);
    }
    json report = settings_json(info);
    report["compile_limits"] = limits_json(info.compile_limits);
    report["languages"] = info.languages.empty() ? json(nullptr) : json(info.languages);
    json solutions = json::array();
    int passed_solutions = 0;
    for (const SolutionResult& solution : result.solutions) {
        solutions.push_back({{"name", solution.name},
                             {"language", solution.language.empty() ? json(nullptr) : json(solution.language)},
                             {"given", solution.given},
                             {"command", solution.command},
                             {"compilation", compilation_json(solution.compilation)},
                             {"cases", cases_json(solution)},
                             {"passed", solution.passed},
                             {"failed", solution.failed},
                             {"group_passed", passed_json(result, solution)},
                             {"score", solution.score},
                             {"all_passed", solution.all_passed()}});
        passed_solutions += solution.all_passed() ? 1 : 0;
    }
    report["groups"] = groups_json(result);
    report["all_or_nothing"] = result.all_or_nothing;
    report["invalid_cases"] = invalid_json(result);
    report["solutions"] = solutions;
    report["passed"] = passed_solutions;
    report["failed"] = static_cast<int>(result.solutions.size()) - passed_solutions;
    return dump(report);
}

}  // namespace judge
