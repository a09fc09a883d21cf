// exercise-package verify: the package checked as a contest system would
// use it. Its files and names; the data's checks (verify_data.cpp) beside
// the submissions' compiling; then every submission judged in the judge's
// sandbox (verify_submissions.cpp), and one report.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <thread>

#include "judge/base/files.hpp"
#include "judge/cli/output.hpp"
#include "judge/cli/progress.hpp"
#include "judge/judging/judging.hpp"
#include "judge/report/report.hpp"
#include "judge/solutions/languages.hpp"
#include "package/coverage.hpp"
#include "package/package.hpp"
#include "package/plan.hpp"
#include "package/stamp.hpp"
#include "package/verify.hpp"

namespace package {

namespace fs = std::filesystem;

namespace {

// What verify reads of the package before it runs anything.
struct Package {
    fs::path folder;
    ProblemYaml yaml;
    Plan plan;
    std::vector<DataCase> cases;
};

Package read_package(const VerifyOptions& options, Checks& checks)
{
    Package package;
    package.folder = fs::absolute(options.folder).lexically_normal();
    try {
        package.yaml = read_problem_yaml((package.folder / "problem.yaml").string());
        checks.pass();
    } catch (const std::exception& error) {
        checks.fail(std::string("problem.yaml: ") + error.what());
    }
    try {
        package.plan = read_plan((package.folder / "generators" / "plan").string());
        checks.pass();
    } catch (const PlanError& error) {
        throw PackageError(options.folder + "/generators/plan: " + error.what());
    }
    const std::string statement = judge::read_text((package.folder / "problem_statement" / "problem.en.tex").string());
    checks.check(statement.find("\\problemname{") != std::string::npos,
                 "problem_statement/problem.en.tex is missing or names no problem (\\problemname)");
    package.cases = data_cases(package.folder, checks);
    return package;
}

// The settings the submissions are judged with: the package's own cases,
// the accepted ones' generous limit first, the package hidden from them.
judge::Settings verify_settings(const VerifyOptions& options, const Package& package,
                                const judge::TemporaryFolder& temporary)
{
    judge::Request request;
    request.exercise = package.plan.exercise;
    request.makes_cases = false;
    request.groups = {judge::Group{"data", judge::Size::small, std::nullopt, std::nullopt}};
    request.limits = judge::solution_limits(options.probe_seconds, package.yaml.memory_mib, package.yaml.output_mib, 256);
    request.jobs = options.jobs;
    request.sandbox.mode = options.sandbox;
    request.sandbox.hidden.push_back(package.folder.string());
    return judge::build_settings(request, temporary, [](const std::string& line) {
        std::fprintf(stderr, "exercise-package: %s\n", line.c_str());
    });
}

// The data's checks in a thread of their own, beside the submissions'
// compiling: each builds programs of its own.
void check_beside_compiling(const Package& package, judge::Settings& settings, Checks& checks)
{
    Checks data_checks;
    std::exception_ptr data_failure;
    std::thread data_thread([&] {
        try {
            check_data(package.folder, *package.plan.exercise, package.yaml, package.cases, settings.sandbox,
                       settings.road, settings.temporary + "/data-checks", data_checks);
        } catch (...) {
            data_failure = std::current_exception();
        }
    });
    std::exception_ptr compile_failure;
    try {
        settings.solutions = submissions(package.folder, checks);
        if (!settings.solutions.empty()) {
            judge::JudgingProgress line(0);
            judge::compile_solutions(settings, judge::read_languages(judge::installed_languages()), line.progress());
        }
    } catch (...) {
        compile_failure = std::current_exception();
    }
    data_thread.join();
    for (const std::exception_ptr& failure : {data_failure, compile_failure})
        if (failure)
            std::rethrow_exception(failure);
    checks.merge(data_checks);
}

// What the matrix and the page say of the run.
judge::RunInfo run_info(const Package& package, const judge::Settings& settings, const TimeLimit& limit)
{
    judge::RunInfo info;
    info.exercise = package.plan.exercise->name;
    info.sandbox = settings.sandbox.isolates() ? "bwrap" : "none";
    info.limits_by = settings.limits_by;
    info.cases_dir = (package.folder / "data").string();
    info.reference = package.plan.exercise->reference().name;
    info.limits = settings.limits;
    info.limits.cpu_seconds = limit.seconds;
    info.compile_limits = settings.compile_limits;
    info.languages = judge::installed_languages();
    return info;
}

// The coverage of the format's bounds, from the validator reports kept in
// the cases' .desc files.
// A feature no case has is flagged: the data may miss the fault it
// catches.
std::string coverage_text(const Package& package, Checks& checks)
{
    Coverage coverage;
    for (const DataCase& data : package.cases) {
        const std::string desc = judge::read_text(data.desc.string());
        const std::string report = desc.substr(std::min(desc.size(), desc.find('\n') + 1));
        coverage.add(data.name, read_report(report), read_features(report));
    }
    coverage.explain(judge::read_text((package.folder / "generators" / "bounds-unreached").string()));
    for (const std::string& feature : coverage.missing_features())
        checks.flag("no case has the feature \"" + feature + "\"");
    return coverage.report();
}

// How the time limit was set, as one paragraph.
std::string time_limit_text(const Package& package, const TimeLimit& limit)
{
    char why[512];
    std::snprintf(why, sizeof why,
                  "%g s (written to .timelimit): the slowest run of an accepted submission that passed every case, "
                  "%s, took %.3f s; times %g (time_multiplier), rounded, at least 1 s. Safety margin: %g s (times %g, "
                  "time_safety_margin), under which the other submissions ran.",
                  limit.seconds, limit.slowest_name.empty() ? "none" : limit.slowest_name.c_str(), limit.slowest,
                  package.yaml.time_multiplier, limit.margin, package.yaml.time_safety_margin);
    return why;
}

// The report's parts after the matrix: the time limit, the coverage and
// the checks.
struct Findings {
    std::string time_limit;
    std::string coverage;
    std::string checks;
};

std::string report(const VerifyOptions& options, const Package& package, const judge::RunInfo& info,
                   const Judged& judged, const Findings& findings)
{
    std::string text = "Verifying " + options.folder + " (" + package.plan.exercise->name + ", " +
                       std::to_string(package.cases.size()) + " cases, " +
                       std::to_string(judged.result.solutions.size()) + " submissions; sandbox " + info.sandbox +
                       ")\n\n";
    if (!judged.result.solutions.empty())
        text += judge::matrix(info, judged.result);
    return text + "\nTime limit: " + findings.time_limit + "\n\nCoverage of the format's bounds:\n" +
           findings.coverage + findings.checks;
}

// The page: titled for the package, with the time limit's reasoning, the
// coverage and the problems found after the judge's sections.
void save_page(const VerifyOptions& options, judge::RunInfo info, const Judged& judged, const Findings& findings)
{
    std::filesystem::path folder = std::filesystem::absolute(options.folder).lexically_normal();
    if (!folder.has_filename())  // given as "pkg/" or "."
        folder = folder.parent_path();
    info.title = "exercise-package verify: " + folder.filename().string();
    info.sections = {{"Time limit", findings.time_limit},
                     {"Coverage of the format's bounds", findings.coverage},
                     {"Checks", findings.checks}};
    judge::save_text(judge::html_report(info, judged.result), *options.html);
}

}  // namespace

int verify_package(const VerifyOptions& options)
{
    Checks checks;
    const Package package = read_package(options, checks);
    const judge::TemporaryFolder temporary;
    judge::Settings settings = verify_settings(options, package, temporary);
    check_beside_compiling(package, settings, checks);
    const Judged judged = judge_submissions(package.yaml, package.cases, settings, options.probe_seconds, checks);
    judge::save_text(std::to_string(static_cast<long long>(judged.limit.seconds)) + "\n",
                     (package.folder / ".timelimit").string());
    const judge::RunInfo info = run_info(package, settings, judged.limit);
    // In this order: the coverage adds its flags to the checks reported.
    const Findings findings{time_limit_text(package, judged.limit), coverage_text(package, checks), checks.report()};
    judge::print(report(options, package, info, judged, findings));
    if (options.html)
        save_page(options, info, judged, findings);
    stamp_verified(package.folder, checks.failed() == 0);
    return checks.failed() == 0 ? 0 : 1;
}

}  // namespace package
