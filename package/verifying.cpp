// exercise-package verify: the package checked as a contest system would
// use it. Its files and names; every input through the package's own input
// validator; every answer against the reference; the output validator on
// the answers; every submission run on every case in the judge's sandbox,
// first the accepted ones, whose slowest run sets the time limit, then the
// others under the limit's safety margin.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>

#include "judge/judging/compare.hpp"
#include "judge/cases/exercises.hpp"
#include "judge/base/files.hpp"
#include "judge/judging/judging.hpp"
#include "judge/solutions/languages.hpp"
#include "judge/run/process.hpp"
#include "judge/report/report.hpp"
#include "judge/base/failure.hpp"
#include "judge/run/programs.hpp"
#include "judge/run/temporary.hpp"
#include "judge/run/sandbox.hpp"
#include "judge/judging/settings.hpp"
#include "judge/solutions/solutions.hpp"
#include "judge/base/text.hpp"
#include "package/catalog.hpp"
#include "package/coverage.hpp"
#include "package/package.hpp"
#include "package/plan.hpp"
#include "package/problem_yaml.hpp"

namespace package {

namespace fs = std::filesystem;

namespace {

// The limits a validator's build and run get: what contest systems give.
constexpr double build_seconds = 60;
constexpr std::uint64_t build_megabytes = 2048;
constexpr double validation_seconds = 60;
constexpr std::uint64_t validation_megabytes = 2048;

// The exit statuses of a validator's judgement.
constexpr int accepted_status = 42;
constexpr int rejected_status = 43;

std::string read_text(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The checks made and what failed, and what is only flagged.
class Checks {
public:
    void pass() { ++passed_; }
    void fail(const std::string& problem)
    {
        ++failed_;
        problems_.push_back(problem);
    }
    void check(bool ok, const std::string& problem) { ok ? pass() : fail(problem); }
    void flag(const std::string& note) { flags_.push_back(note); }

    int failed() const { return failed_; }

    // Takes in another's checks, after its own.
    void merge(const Checks& other)
    {
        passed_ += other.passed_;
        failed_ += other.failed_;
        problems_.insert(problems_.end(), other.problems_.begin(), other.problems_.end());
        flags_.insert(flags_.end(), other.flags_.begin(), other.flags_.end());
    }

    std::string report() const
    {
        std::string text;
        if (!flags_.empty()) {
            text += "\nFlagged (not failures):\n";
            for (const std::string& note : flags_)
                text += "  " + judge::terminal_text(note) + "\n";
        }
        text += problems_.empty() ? "\nNo problem found.\n" : "\nProblems found:\n";
        for (const std::string& problem : problems_)
            text += "  " + judge::terminal_text(problem) + "\n";
        return text + std::to_string(passed_) + " passed, " + std::to_string(failed_) + " failed\n";
    }

private:
    int passed_ = 0;
    int failed_ = 0;
    std::vector<std::string> problems_;
    std::vector<std::string> flags_;
};

// A test case of the package's data.
struct DataCase {
    std::string name;   // the file's base name
    std::string group;  // sample or secret
    fs::path input, answer, desc;
};

// The cases of data/sample and data/secret, in the order a contest system
// takes them: samples first, each group by name.
std::vector<DataCase> data_cases(const fs::path& package, Checks& checks)
{
    std::vector<DataCase> cases;
    for (const char* group : {"sample", "secret"}) {
        const fs::path folder = package / "data" / group;
        std::error_code error;
        if (!fs::is_directory(folder, error)) {
            checks.check(std::string(group) == "sample", "data/" + std::string(group) + " is missing");
            continue;
        }
        std::vector<DataCase> found;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            const std::string file = entry.path().filename().string();
            if (!valid_file_name(file))
                checks.fail("data/" + std::string(group) + "/" + file + ": a name the format does not allow");
            if (entry.path().extension() != ".in")
                continue;
            DataCase data{entry.path().stem().string(), group, entry.path(), entry.path(), entry.path()};
            data.answer.replace_extension(".ans");
            data.desc.replace_extension(".desc");
            if (!fs::is_regular_file(data.answer, error))
                checks.fail("data/" + std::string(group) + "/" + data.name + ".in has no .ans");
            else
                found.push_back(std::move(data));
        }
        std::sort(found.begin(), found.end(), [](const DataCase& a, const DataCase& b) { return a.name < b.name; });
        cases.insert(cases.end(), found.begin(), found.end());
    }
    if (std::none_of(cases.begin(), cases.end(), [](const DataCase& data) { return data.group == "secret"; }))
        checks.fail("no secret case: run exercise-package build first");
    return cases;
}

// A validator program of the package, built in a copy of its folder.
struct Program {
    std::string name;
    std::string folder;  // the copy
    std::string run;     // its run program; "" when it did not build
};

class Runner {
public:
    Runner(const judge::Sandbox& sandbox, const std::string& temporary) : sandbox_(sandbox), temporary_(temporary) {}

    // Builds the program folder (or single file) at path with its build
    // script; the reason it failed, or "".
    std::string build(const fs::path& path, Program& program)
    {
        program.name = path.filename().string();
        program.folder = temporary_ + "/program-" + std::to_string(++count_);
        std::error_code error;
        fs::create_directories(program.folder, error);
        if (fs::is_directory(path, error))
            fs::copy(path, program.folder, fs::copy_options::recursive, error);
        else
            fs::copy_file(path, fs::path(program.folder) / path.filename(), error);
        if (error)
            return "cannot copy it: " + error.message();
        const fs::path script = fs::path(program.folder) / "build";
        const fs::path run = fs::path(program.folder) / "run";
        if (fs::is_regular_file(script, error)) {
            const judge::Outcome outcome =
                launch({"/bin/sh", script.string()}, program.folder, "", program.folder + ".build.out",
                       judge::solution_limits(build_seconds, build_megabytes, 64, 256));
            if (outcome.ending != judge::Ending::exited || outcome.code != 0)
                return "its build script failed: " + last_line(program.folder + ".build.out");
        }
        if (!fs::is_regular_file(run, error))
            return "no run program after its build script (a folder with a build script is what this package "
                   "knows)";
        program.run = run.string();
        return "";
    }

    // Runs a built validator; its outcome.
    judge::Outcome validate(const Program& program, const std::vector<std::string>& args, const std::string& input,
                            const std::string& scratch)
    {
        std::vector<std::string> argv{program.run};
        argv.insert(argv.end(), args.begin(), args.end());
        return launch(argv, scratch, input, scratch + ".out",
                      judge::solution_limits(validation_seconds, validation_megabytes, 8, 256), {program.folder});
    }

    // The reference's answer to a case, into answer.
    judge::Outcome answer(const std::string& reference, const std::string& input, const std::string& answer_file)
    {
        judge::Launch launch;
        launch.argv = {reference};
        launch.input = input;
        launch.output = answer_file;
        launch.error = answer_file + ".err";
        launch.limits.wall_seconds = 600;
        return judge::run(launch);
    }

    static std::string last_line(const std::string& path)
    {
        std::string text = read_text(path);
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        return judge::terminal_text(text.substr(text.rfind('\n') + 1));
    }

private:
    judge::Outcome launch(const std::vector<std::string>& argv, const std::string& work, const std::string& input,
                          const std::string& output, const judge::Limits& limits,
                          const std::vector<std::string>& folders = {})
    {
        std::error_code error;
        fs::create_directories(work, error);
        judge::Launch launch;
        sandbox_.prepare(launch, argv, work, sandbox_.exposures(argv, folders));
        launch.input = input;
        launch.output = output;
        launch.error = output;
        launch.limits = limits;
        const judge::Outcome outcome = judge::run(launch);
        if (outcome.ending == judge::Ending::not_started)
            throw judge::SetupError("cannot run " + argv[0] + ": " + outcome.why);
        if (outcome.ending == judge::Ending::interrupted)
            throw judge::SetupError("interrupted");
        return outcome;
    }

    const judge::Sandbox& sandbox_;
    std::string temporary_;
    int count_ = 0;
};

// The package's programs of one kind: each file or folder in folder.
std::vector<fs::path> programs_in(const fs::path& folder)
{
    std::vector<fs::path> programs;
    std::error_code error;
    if (fs::is_directory(folder, error))
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            programs.push_back(entry.path());
    std::sort(programs.begin(), programs.end());
    return programs;
}

void check_inputs(const fs::path& package, const std::vector<DataCase>& cases, Runner& runner,
                  const std::string& temporary, Checks& checks)
{
    const std::vector<fs::path> validators = programs_in(package / "input_validators");
    if (validators.empty()) {
        checks.fail("input_validators/ holds no validator");
        return;
    }
    for (const fs::path& path : validators) {
        Program program;
        const std::string why = runner.build(path, program);
        checks.check(why.empty(), "input_validators/" + program.name + ": " + why);
        if (!why.empty())
            continue;
        for (const DataCase& data : cases) {
            const std::string scratch = temporary + "/input-" + data.name;
            const judge::Outcome outcome = runner.validate(program, {}, data.input.string(), scratch);
            const bool valid = outcome.ending == judge::Ending::exited && outcome.code == accepted_status;
            checks.check(valid, "data/" + data.group + "/" + data.name + ".in: the input validator " + program.name +
                                    " does not accept it (" + Runner::last_line(scratch + ".out") + ")");
        }
    }
}

void check_answers(const Problem& problem, const std::vector<DataCase>& cases, Runner& runner,
                   const std::string& temporary, Checks& checks)
{
    const std::string reference = judge::suite_program(problem.reference, "reference");
    const bool clock_line = judge::find_exercise(problem.exercise)->clock_line;
    for (const DataCase& data : cases) {
        const std::string answer = temporary + "/answer-" + data.group + "-" + data.name;
        const judge::Outcome outcome = runner.answer(reference, data.input.string(), answer);
        if (outcome.ending != judge::Ending::exited || outcome.code != 0) {
            checks.fail("data/" + data.group + "/" + data.name + ".in: the reference " + problem.reference +
                        " failed on it");
            continue;
        }
        const judge::Difference difference = judge::compare_outputs(answer, data.answer.string(), clock_line);
        checks.check(difference.same, "data/" + data.group + "/" + data.name + ".ans is not the reference's answer: " +
                                          judge::describe(difference));
        fs::remove(answer);
        fs::remove(answer + ".err");
    }
}

// The output validator accepts each answer as its own output, and rejects
// it with its first line changed.
void check_output_validators(const fs::path& package, const ProblemYaml& yaml, const std::vector<DataCase>& cases,
                             Runner& runner, const std::string& temporary, Checks& checks)
{
    const std::vector<fs::path> validators = programs_in(package / "output_validators");
    if (yaml.validation == "default") {
        checks.check(validators.empty(), "output_validators/ is there, but problem.yaml says validation: default");
        return;
    }
    if (validators.empty()) {
        checks.fail("problem.yaml says validation: custom, but output_validators/ holds no validator");
        return;
    }
    for (const fs::path& path : validators) {
        Program program;
        const std::string why = runner.build(path, program);
        checks.check(why.empty(), "output_validators/" + program.name + ": " + why);
        if (!why.empty())
            continue;
        int wrong = 0;
        std::string first_wrong;
        for (const DataCase& data : cases) {
            // The validator sees its own working folder: the input and the
            // answer are copied there.
            const std::string scratch = temporary + "/output-" + data.name;
            const std::string feedback = scratch + "/feedback/";
            const std::string changed = scratch + ".changed";
            std::error_code error;
            fs::create_directories(feedback, error);
            fs::copy_file(data.input, scratch + "/input", error);
            fs::copy_file(data.answer, scratch + "/answer", error);
            std::string text = read_text(data.answer);
            text.insert(0, "1");
            judge::save_text(text, changed);
            const std::vector<std::string> args{scratch + "/input", scratch + "/answer", feedback};
            const judge::Outcome own = runner.validate(program, args, data.answer.string(), scratch);
            const judge::Outcome other = runner.validate(program, args, changed, scratch);
            const bool right = own.ending == judge::Ending::exited && own.code == accepted_status &&
                               other.ending == judge::Ending::exited && other.code == rejected_status;
            if (!right && wrong++ == 0)
                first_wrong = data.name;
        }
        checks.check(wrong == 0, "output_validators/" + program.name + " misjudges " + std::to_string(wrong) +
                                     " cases' answers, first " + first_wrong +
                                     " (it must accept the answer, exit 42, and reject it changed, exit 43)");
    }
}

// A submission of the package, with the folder it lies in.
struct Entry {
    std::string folder;
    fs::path path;
};

std::vector<Entry> submission_entries(const fs::path& package, Checks& checks)
{
    std::vector<Entry> entries;
    std::set<std::string> known;
    for (const SubmissionFolder& folder : submission_folders())
        known.insert(folder.name);
    for (const fs::path& folder : programs_in(package / "submissions")) {
        const std::string name = folder.filename().string();
        if (known.count(name) == 0 || !fs::is_directory(folder)) {
            checks.fail("submissions/" + name + ": not a folder the format knows (accepted, wrong_answer, "
                        "time_limit_exceeded, run_time_error)");
            continue;
        }
        for (const fs::path& program : programs_in(folder))
            entries.push_back({name, program});
    }
    checks.check(std::any_of(entries.begin(), entries.end(), [](const Entry& entry) { return entry.folder == "accepted"; }),
                 "submissions/accepted holds no submission: at least one is needed");
    return entries;
}

// The verdict a run would have had under limit: past it, a time limit.
judge::Verdict verdict_under(const judge::CaseResult& result, double limit)
{
    if (result.ran && result.cpu_seconds > limit &&
        (result.verdict == judge::Verdict::ok || result.verdict == judge::Verdict::wrong_answer))
        return judge::Verdict::time_limit;
    return result.verdict;
}

// The verdict a submission's folder asks for, and whether its results give it.
bool fares_as_expected(const std::string& folder, const std::vector<judge::Verdict>& verdicts, std::string& found)
{
    const auto failing = std::find_if(verdicts.begin(), verdicts.end(), [](judge::Verdict v) { return v != judge::Verdict::ok; });
    found = failing == verdicts.end() ? "every case OK" : std::string("first failure ") + judge::verdict_name(*failing);
    if (folder == "accepted")
        return failing == verdicts.end();
    if (failing == verdicts.end())
        return false;
    if (folder == "wrong_answer")
        return *failing == judge::Verdict::wrong_answer;
    if (folder == "time_limit_exceeded")
        return *failing == judge::Verdict::time_limit;
    return *failing == judge::Verdict::runtime_error;
}

}  // namespace

int verify_package(const VerifyOptions& options)
{
    const fs::path package = fs::absolute(options.folder).lexically_normal();
    Checks checks;
    ProblemYaml yaml;
    try {
        yaml = read_problem_yaml((package / "problem.yaml").string());
        checks.pass();
    } catch (const std::exception& error) {
        checks.fail(std::string("problem.yaml: ") + error.what());
    }
    Plan plan;
    try {
        plan = read_plan((package / "generators" / "plan").string());
        checks.pass();
    } catch (const PlanError& error) {
        throw PackageError(options.folder + "/generators/plan: " + error.what());
    }
    const Problem& problem = *plan.problem;
    const std::string statement = read_text(package / "problem_statement" / "problem.en.tex");
    checks.check(statement.find("\\problemname{") != std::string::npos,
                 "problem_statement/problem.en.tex is missing or names no problem (\\problemname)");
    const std::vector<DataCase> cases = data_cases(package, checks);

    judge::TemporaryFolder temporary;
    judge::SandboxChoice choice;
    choice.mode = options.sandbox;
    choice.hidden.push_back(package.string());
    choice.limits = judge::solution_limits(options.probe_seconds, yaml.memory_mib, yaml.output_mib, 256);
    const judge::Sandbox sandbox = judge::choose_sandbox(
        choice, temporary, [](const std::string& line) { std::fprintf(stderr, "exercise-package: %s\n", line.c_str()); });
    // The data's checks go on beside the submissions' compiling: each
    // builds programs of its own.
    Checks data_checks;
    std::exception_ptr data_failure;
    std::thread data_thread([&] {
        try {
            const std::string folder = temporary.path() + "/data-checks";
            fs::create_directories(folder);
            Runner runner(sandbox, folder);
            check_inputs(package, cases, runner, folder, data_checks);
            check_answers(problem, cases, runner, folder, data_checks);
            check_output_validators(package, yaml, cases, runner, folder, data_checks);
        } catch (...) {
            data_failure = std::current_exception();
        }
    });
    struct Joined {
        std::thread& thread;
        ~Joined()
        {
            if (thread.joinable())
                thread.join();
        }
    } joined{data_thread};

    // The submissions: the accepted ones first, under a generous limit.
    const std::vector<Entry> entries = submission_entries(package, checks);
    const std::string table_path = judge::installed_languages();
    if (table_path.empty())
        throw judge::SetupError("cannot find the language table languages.json");
    const judge::LanguageTable table = judge::read_languages(table_path);
    std::vector<std::string> paths;
    for (const Entry& entry : entries)
        paths.push_back(entry.path.string());
    std::vector<judge::Solution> solutions;
    if (!paths.empty())
        solutions = judge::source_solutions(paths, table, nullptr);
    for (std::size_t i = 0; i < solutions.size(); ++i)
        solutions[i].name = entries[i].folder + "/" + entries[i].path.filename().string();
    const judge::Limits compile_limits = judge::solution_limits(build_seconds, build_megabytes, 64, 256);
    const bool compiled =
        judge::prepare_solutions(solutions, table, sandbox, compile_limits, temporary.path(), options.jobs);
    data_thread.join();
    if (data_failure)
        std::rethrow_exception(data_failure);
    checks.merge(data_checks);
    if (!compiled)
        throw judge::SetupError("interrupted");

    std::vector<judge::CaseSource> sources;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        judge::CaseSource source;
        source.name = cases[i].name;
        source.index = i;
        source.input = cases[i].input.string();
        source.expected = cases[i].answer.string();
        sources.push_back(std::move(source));
    }
    judge::Settings settings;
    settings.exercise = judge::find_exercise(problem.exercise);
    settings.helper_wall_seconds = 600;
    settings.jobs = options.jobs;
    settings.sandbox = sandbox;
    settings.temporary = temporary.path();
    const auto judge_some = [&](bool accepted, double seconds) {
        settings.solutions.clear();
        for (std::size_t i = 0; i < solutions.size(); ++i)
            if ((entries[i].folder == "accepted") == accepted)
                settings.solutions.push_back(solutions[i]);
        settings.bounds.limits = judge::solution_limits(seconds, yaml.memory_mib, yaml.output_mib, 256);
        if (settings.solutions.empty() || sources.empty())
            return judge::Result{};
        judge::Result result = judge::judge_cases(settings, sources, nullptr);
        if (!result.setup_error.empty())
            throw judge::SetupError(result.setup_error);
        return result;
    };
    judge::Result result = judge_some(true, options.probe_seconds);
    double slowest = 0;
    std::string slowest_name;
    for (const judge::SolutionResult& column : result.solutions)
        for (const judge::CaseResult& cell : column.cases)
            if (cell.ran && cell.cpu_seconds > slowest) {
                slowest = cell.cpu_seconds;
                slowest_name = column.name + " on " + cell.name;
            }
    const double limit = std::max(1.0, std::ceil(slowest * yaml.time_multiplier));
    const double margin = limit * yaml.time_safety_margin;
    judge::Result others = judge_some(false, margin);
    result.solutions.insert(result.solutions.end(), others.solutions.begin(), others.solutions.end());

    // Each submission as its folder says, at the time limit; a verdict that
    // changes between the limit and the margin is flagged.
    for (const judge::SolutionResult& column : result.solutions) {
        std::vector<judge::Verdict> verdicts;
        for (const judge::CaseResult& cell : column.cases) {
            verdicts.push_back(verdict_under(cell, limit));
            if (verdicts.back() != cell.verdict)
                checks.flag(column.name + " on " + cell.name + ": " + judge::verdict_name(verdicts.back()) + " at " +
                            judge::seconds_text(limit) + ", " + judge::verdict_name(cell.verdict) + " within the margin " +
                            judge::seconds_text(margin));
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
    judge::save_text(std::to_string(static_cast<long long>(limit)) + "\n", (package / ".timelimit").string());

    judge::RunInfo info;
    info.exercise = problem.exercise;
    info.sandbox = sandbox.isolates() ? "bwrap" : "none";
    info.cases_dir = (package / "data").string();
    info.reference = problem.reference;
    info.limits = settings.bounds.limits;
    info.limits.cpu_seconds = limit;
    info.compile_limits = compile_limits;
    info.languages = table.origin;

    std::string text = "Verifying " + options.folder + " (" + problem.exercise + ", " + std::to_string(cases.size()) +
                       " cases, " + std::to_string(result.solutions.size()) + " submissions; sandbox " + info.sandbox +
                       ")\n\n";
    if (!result.solutions.empty())
        text += judge::matrix(info, result);
    char why[512];
    std::snprintf(why, sizeof why,
                  "\nTime limit: %g s (written to .timelimit): the slowest accepted run, %s, took %.3f s; "
                  "times %g (time_multiplier), rounded up, at least 1 s. Safety margin: %g s (times %g, "
                  "time_safety_margin), under which the other submissions ran.\n",
                  limit, slowest_name.empty() ? "none" : slowest_name.c_str(), slowest, yaml.time_multiplier, margin,
                  yaml.time_safety_margin);
    text += why;
    Coverage coverage;
    for (const DataCase& data : cases) {
        const std::string desc = read_text(data.desc);
        coverage.add(read_report(desc.substr(std::min(desc.size(), desc.find('\n') + 1))));
    }
    text += "\nCoverage of the format's bounds:\n" + coverage.report();
    text += checks.report();
    std::fputs(text.c_str(), stdout);
    if (options.html)
        judge::save_text(judge::html_report(info, result), *options.html);
    return checks.failed() == 0 ? 0 : 1;
}

}  // namespace package
