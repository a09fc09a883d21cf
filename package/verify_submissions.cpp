// verify's judging of the submissions: the accepted ones first, under a
// generous limit, whose slowest run sets the time limit; then the others
// under the limit's safety margin; each submission's verdicts against what
// its folder asks.

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>

#include "judge/base/failure.hpp"
#include "judge/base/text.hpp"
#include "judge/cases/road.hpp"
#include "judge/cli/progress.hpp"
#include "judge/judging/judging.hpp"
#include "judge/solutions/languages.hpp"
#include "package/catalog.hpp"
#include "package/verify.hpp"

namespace package {

namespace fs = std::filesystem;

namespace {

// The verdict a run would have had under limit: past it, a time limit.
judge::Verdict verdict_under(const judge::CaseResult& result, double limit)
{
    if (result.ran && result.cpu_seconds > limit &&
        (result.verdict == judge::Verdict::ok || result.verdict == judge::Verdict::wrong_answer))
        return judge::Verdict::time_limit;
    return result.verdict;
}

// Whether the verdicts are what the submission's folder asks for; found
// says what they were.
bool fares_as_expected(const std::string& folder, const std::vector<judge::Verdict>& verdicts, std::string& found)
{
    const auto failing =
        std::find_if(verdicts.begin(), verdicts.end(), [](judge::Verdict v) { return v != judge::Verdict::ok; });
    found = failing == verdicts.end() ? "every case OK" : std::string("first failure ") + judge::verdict_name(*failing);
    if (folder == "accepted")
        return failing == verdicts.end();
    if (failing == verdicts.end())
        return false;
    if (folder == "wrong_answer")
        return *failing == judge::Verdict::wrong_answer;
    if (folder == "time_limit_exceeded")
        return *failing == judge::Verdict::time_limit;
    // A memory limit is a run-time error, as the format counts it.
    return *failing == judge::Verdict::runtime_error || *failing == judge::Verdict::memory_limit;
}

// The package's data as the judge's stored cases.
std::vector<judge::CaseSource> case_sources(const std::vector<DataCase>& cases)
{
    std::vector<judge::CaseSource> sources;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        judge::CaseSource source;
        source.name = cases[i].name;
        source.index = i;
        source.input = cases[i].input.string();
        source.expected = cases[i].answer.string();
        sources.push_back(std::move(source));
    }
    return sources;
}

// The accepted submissions, or the others, judged under `seconds`.
judge::Result judge_some(judge::Settings& settings, const std::vector<judge::Solution>& all,
                         const std::vector<judge::CaseSource>& sources, const ProblemYaml& yaml, bool accepted,
                         double seconds)
{
    settings.solutions.clear();
    for (const judge::Solution& solution : all)
        if ((solution.name.rfind("accepted/", 0) == 0) == accepted)
            settings.solutions.push_back(solution);
    settings.limits = judge::solution_limits(seconds, yaml.memory_mib, yaml.output_mib, 256);
    if (settings.solutions.empty() || sources.empty())
        return {};
    judge::JudgingProgress line(settings.solutions.size() * sources.size());
    return judge::judge_cases(settings, sources, line.progress());
}

// The time limit as the format's tools compute it: the slowest run of the
// accepted submissions that passed every case, times the multiplier,
// rounded, at least 1 s. An accepted submission that fails is a problem,
// not a measure of the time a right one takes.
TimeLimit time_limit(const judge::Result& accepted, const ProblemYaml& yaml)
{
    TimeLimit limit;
    for (const judge::SolutionResult& column : accepted.solutions) {
        if (!column.all_passed())
            continue;
        for (const judge::CaseResult& cell : column.cases)
            if (cell.ran && cell.cpu_seconds > limit.slowest) {
                limit.slowest = cell.cpu_seconds;
                limit.slowest_name = column.name + " on " + cell.name;
            }
    }
    limit.seconds = std::max(1.0, std::round(limit.slowest * yaml.time_multiplier));
    limit.margin = limit.seconds * yaml.time_safety_margin;
    return limit;
}

// Each submission as its folder says, at the time limit; a verdict that
// changes between the limit and the margin is flagged.
void check_verdicts(const judge::Result& result, const TimeLimit& limit, Checks& checks)
{
    for (const judge::SolutionResult& column : result.solutions) {
        std::vector<judge::Verdict> verdicts;
        for (const judge::CaseResult& cell : column.cases) {
            verdicts.push_back(verdict_under(cell, limit.seconds));
            if (verdicts.back() != cell.verdict)
                checks.flag(column.name + " on " + cell.name + ": " + judge::verdict_name(verdicts.back()) + " at " +
                            judge::seconds_text(limit.seconds) + ", " + judge::verdict_name(cell.verdict) +
                            " within the margin " + judge::seconds_text(limit.margin));
        }
        if (!column.compilation.ok) {
            checks.fail(column.name + ": COMPILATION ERROR: " + column.compilation.detail);
            continue;
        }
        const std::string folder = column.name.substr(0, column.name.find('/'));
        std::string found;
        const bool right = fares_as_expected(folder, verdicts, found);
        const auto expectation = std::find_if(submission_folders().begin(), submission_folders().end(),
                                              [&](const SubmissionFolder& f) { return folder == f.name; });
        checks.check(right, column.name + ": " + found + ", where " + folder + " asks for " + expectation->expectation);
    }
}

}  // namespace

std::vector<judge::Solution> submissions(const fs::path& package, Checks& checks)
{
    std::set<std::string> known;
    for (const SubmissionFolder& folder : submission_folders())
        known.insert(folder.name);
    std::vector<std::string> paths;
    std::vector<std::string> names;
    std::vector<fs::path> folders;
    std::error_code error;
    if (fs::is_directory(package / "submissions", error))
        for (const fs::directory_entry& entry : fs::directory_iterator(package / "submissions"))
            folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    for (const fs::path& folder : folders) {
        const std::string name = folder.filename().string();
        if (known.count(name) == 0 || !fs::is_directory(folder)) {
            checks.fail("submissions/" + name + ": not a folder the format knows (accepted, wrong_answer, "
                        "time_limit_exceeded, run_time_error)");
            continue;
        }
        std::vector<fs::path> files;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            paths.push_back(file.string());
            names.push_back(name + "/" + file.filename().string());
        }
    }
    checks.check(std::any_of(names.begin(), names.end(), [](const std::string& n) { return n.rfind("accepted/", 0) == 0; }),
                 "submissions/accepted holds no submission: at least one is needed");
    const std::string table_path = judge::installed_languages();
    if (table_path.empty())
        throw judge::SetupError("cannot find the language table languages.json");
    std::vector<judge::Solution> solutions;
    if (!paths.empty())
        solutions = judge::source_solutions(paths, judge::read_languages(table_path), nullptr);
    for (std::size_t i = 0; i < solutions.size(); ++i)
        solutions[i].name = names[i];
    return solutions;
}

Judged judge_submissions(const ProblemYaml& yaml, const std::vector<DataCase>& cases, judge::Settings& settings,
                         double probe_seconds, Checks& checks)
{
    const std::vector<judge::Solution> all = settings.solutions;
    const std::vector<judge::CaseSource> sources = case_sources(cases);
    Judged judged;
    judged.result = judge_some(settings, all, sources, yaml, true, probe_seconds);
    judged.limit = time_limit(judged.result, yaml);
    const judge::Result others = judge_some(settings, all, sources, yaml, false, judged.limit.margin);
    judged.result.solutions.insert(judged.result.solutions.end(), others.solutions.begin(), others.solutions.end());
    check_verdicts(judged.result, judged.limit, checks);
    settings.solutions = all;
    return judged;
}

}  // namespace package
