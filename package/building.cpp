// exercise-package new and build: a package's files, then its test data
// made from the plan by the suite's makers, checked by its validator and
// answered by its reference solver.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string_view>
#include <thread>

#include "judge/cases/exercises.hpp"
#include "judge/base/files.hpp"
#include "judge/run/process.hpp"
#include "judge/base/failure.hpp"
#include "judge/run/programs.hpp"
#include "judge/run/temporary.hpp"
#include "judge/run/sandbox.hpp"
#include "judge/judging/settings.hpp"
#include "judge/base/text.hpp"
#include "package/catalog.hpp"
#include "package/coverage.hpp"
#include "package/package.hpp"
#include "package/plan.hpp"
#include "package/problem_yaml.hpp"

#ifndef SUITE_VERSION
#define SUITE_VERSION "0.0.0"
#endif

namespace package {

namespace fs = std::filesystem;

namespace {

// The wall time a maker, validator or reference gets for one case.
constexpr double helper_seconds = 600;

// How the default comparison is made exact but for the amount of white
// space at a line's end: case- and space-change-sensitive.
constexpr const char* exact_flags = "case_sensitive space_change_sensitive";

// The script that builds a validator's run program from its one source.
const char* const build_script =
    "#!/bin/sh\n"
    "# Builds the run program from the one source file beside this script.\n"
    "exec g++ -std=gnu++20 -O2 -o run %s\n";

std::string read_text(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void write_text(const fs::path& path, const std::string& text, bool executable = false)
{
    fs::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    if (!file)
        throw judge::SetupError("cannot write " + path.string());
    if (executable)
        fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
}

// A folder made beside target, to be renamed into place when complete.
std::string folder_beside(const fs::path& target, const char* what)
{
    std::string pattern = (target.parent_path() / (std::string(".") + what + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw judge::SetupError("cannot create a folder beside " + target.string());
    return pattern;
}

// A program folder of a validator: the build script and its one source.
void write_program(const fs::path& folder, const std::string& source_name, const std::string& source_text)
{
    char script[256];
    std::snprintf(script, sizeof script, build_script, source_name.c_str());
    write_text(folder / "build", script, true);
    write_text(folder / source_name, source_text);
}

std::string suite_source(const std::string& name)
{
    const fs::path path = fs::path(sources_folder()) / name;
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        throw judge::SetupError("cannot find the source " + name + " in " + sources_folder());
    return read_text(path);
}

// Text as LaTeX prints it: its special characters escaped.
std::string tex_text(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        if (std::string_view("#$%&_{}").find(c) != std::string_view::npos)
            escaped += '\\';
        if (c == '\\' || c == '~' || c == '^')
            escaped += c == '\\' ? "\\textbackslash{}" : c == '~' ? "\\textasciitilde{}" : "\\textasciicircum{}";
        else
            escaped += c;
    }
    return escaped;
}

// The short name a package's folder must have.
bool short_name(const std::string& name)
{
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    });
}

// The package's last name, whatever slashes end the path.
std::string last_name(const std::string& folder)
{
    fs::path path = fs::path(folder).lexically_normal();
    if (path.filename().empty())
        path = path.parent_path();
    return path.filename().string();
}

// The answers as the reference wrote them, but for a 3-15 clock reading,
// which is judged as any integer and kept as 0 so that the same plan makes
// the same files on any machine.
std::string steady_answer(const std::string& answer, bool clock_line)
{
    if (!clock_line || answer.empty())
        return answer;
    std::string text = answer.substr(0, answer.size() - (answer.back() == '\n' ? 1 : 0));
    const std::size_t last = text.rfind('\n');
    return text.substr(0, last == std::string::npos ? 0 : last + 1) + "0\n";
}

// The first line of a .desc: how the case was made.
std::string recipe_line(const PlannedCase& entry)
{
    return entry.name + ": " + entry.recipe() + " (exercise suite " SUITE_VERSION ")";
}

// Runs a suite program on files; its standard output and error as text.
struct Ran {
    judge::Outcome outcome;
    std::string output;
    std::string error;
    bool ok() const { return outcome.ending == judge::Ending::exited && outcome.code == 0; }
};

Ran run_program(std::vector<std::string> argv, const std::string& input, const std::string& output,
                const std::string& scratch)
{
    judge::Launch launch;
    launch.argv = std::move(argv);
    launch.input = input;
    launch.output = output.empty() ? scratch + ".out" : output;
    launch.error = scratch + ".err";
    launch.limits.wall_seconds = helper_seconds;
    Ran ran;
    ran.outcome = judge::run(launch);
    if (ran.outcome.ending == judge::Ending::not_started)
        throw judge::SetupError("cannot run " + launch.argv[0] + ": " + ran.outcome.why);
    if (output.empty())
        ran.output = read_text(launch.output);
    ran.error = read_text(launch.error);
    fs::remove(scratch + ".out");
    fs::remove(scratch + ".err");
    return ran;
}

// The last line a program wrote, for a message.
std::string last_line(std::string text)
{
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return judge::terminal_text(text.substr(text.rfind('\n') + 1));
}

// The suite's programs a build runs.
struct Programs {
    std::map<std::string, std::string> makers;
    std::string validator;
    std::string reference;
};

// Makes one case into folder (its group's), or takes it unchanged from the
// old data; the validator's report for the coverage.
std::string make_case(const PlannedCase& entry, const Problem& problem, const Programs& programs,
                      const fs::path& package, const fs::path& folder)
{
    const fs::path old = package / "data" / entry.group() / entry.name;
    const fs::path made = folder / entry.group() / entry.name;
    const std::string recipe = recipe_line(entry);
    const std::string old_desc = read_text(old.string() + ".desc");
    std::error_code error;
    if (old_desc.rfind(recipe + "\n", 0) == 0 && fs::is_regular_file(old.string() + ".in", error) &&
        fs::is_regular_file(old.string() + ".ans", error)) {
        for (const char* suffix : {".in", ".ans", ".desc"}) {
            fs::create_hard_link(old.string() + suffix, made.string() + suffix, error);
            if (error && !fs::copy_file(old.string() + suffix, made.string() + suffix, error))
                throw judge::SetupError("cannot copy " + old.string() + suffix);
        }
        return old_desc.substr(old_desc.find('\n') + 1);
    }
    const judge::Exercise* exercise = judge::find_exercise(problem.exercise);
    const std::string input = made.string() + ".in";
    const std::string scratch = made.string();
    const std::string where = "case " + entry.name + " (plan line " + std::to_string(entry.line) + ")";
    if (entry.maker.empty()) {
        const fs::path stored = (package / entry.file).lexically_normal();
        const fs::path relative = stored.lexically_relative(package);
        if (fs::path(entry.file).is_absolute() || relative.empty() || *relative.begin() == "..")
            throw PackageError(where + ": the stored case " + entry.file + " lies outside the package");
        if (!fs::copy_file(stored, input, error))
            throw PackageError(where + ": cannot read the stored case " + entry.file);
    } else {
        std::vector<std::string> argv{programs.makers.at(entry.maker), "--seed", std::to_string(entry.seed)};
        std::string answers;
        if (exercise->options_maker) {
            argv.insert(argv.end(), entry.answers.begin(), entry.answers.end());
            argv.insert(argv.end(), {"-o", input});
        } else {
            answers = scratch + ".answers";
            write_text(answers, entry.answer_text());
        }
        const Ran maker = run_program(argv, answers, exercise->options_maker ? "" : input, scratch);
        fs::remove(answers);
        if (!maker.ok())
            throw PackageError(where + ": " + entry.maker + " failed: " +
                               last_line(maker.error.empty() ? maker.output : maker.error));
    }
    std::vector<std::string> validate{programs.validator};
    if (!entry.maker.empty())
        validate.push_back("--strict");
    validate.push_back(input);
    const Ran validated = run_program(validate, "", "", scratch);
    if (!validated.ok())
        throw PackageError(where + ": " + (entry.maker.empty() ? entry.file : entry.maker) +
                           " wrote a case the validator rejects: " + last_line(validated.error));
    const std::string answer = scratch + ".ans";
    const Ran answered = run_program({programs.reference}, input, answer, scratch);
    if (!answered.ok())
        throw PackageError(where + ": the reference failed on it: " + last_line(answered.error));
    if (exercise->clock_line)
        write_text(answer, steady_answer(read_text(answer), true));
    write_text(scratch + ".desc", recipe + "\n" + validated.output);
    return validated.output;
}

// "exercise-package: 3 of 11 cases made (08-largest)" on a terminal.
class Progress {
public:
    explicit Progress(std::size_t total) : total_(total), shown_(::isatty(2) == 1) {}
    void done(const std::string& name)
    {
        const std::lock_guard lock(mutex_);
        ++done_;
        if (shown_)
            std::fprintf(stderr, "\rexercise-package: %zu of %zu cases made (%s)\033[K", done_, total_,
                         judge::terminal_text(name).c_str());
    }
    ~Progress()
    {
        if (shown_)
            std::fputs("\r\033[K", stderr);
    }

private:
    std::mutex mutex_;
    std::size_t total_;
    std::size_t done_ = 0;
    bool shown_;
};

}  // namespace

void new_package(const NewOptions& options)
{
    const Problem* problem = find_problem(options.exercise);
    if (problem == nullptr)
        throw UsageError("unknown exercise '" + options.exercise + "' (" + judge::exercise_names() + ")");
    const std::string name = last_name(options.folder);
    if (!short_name(name))
        throw UsageError("'" + name + "' cannot name a package: its folder's name must be a short name of "
                         "lower-case letters a-z and digits 0-9");
    if (!known_license(options.license))
        throw UsageError("unknown license '" + options.license +
                         "' (unknown, public domain, cc0, cc by, cc by-sa, educational or permission)");
    const fs::path target = fs::absolute(options.folder).lexically_normal();
    std::error_code error;
    if (fs::exists(target, error) && !(fs::is_directory(target, error) && fs::is_empty(target, error)))
        throw UsageError(options.folder + " already exists and is not an empty folder");

    const fs::path problems = fs::path(problems_folder()) / problem->exercise;
    ProblemYaml yaml;
    yaml.name = options.name.empty() ? problem->name : options.name;
    yaml.source = options.source;
    yaml.license = options.license;
    yaml.rights_owner = options.license == "public domain" ? "" : options.rights_owner;
    yaml.memory_mib = problem->memory_mib;
    yaml.output_mib = problem->output_mib;
    yaml.validation = problem->output_validator != nullptr ? "custom" : "default";
    yaml.validator_flags = problem->output_validator != nullptr ? "" : exact_flags;
    std::vector<std::pair<std::string, std::string>> submissions;  // path in the package, text
    std::uintmax_t largest = 0;
    for (const Submission& submission : problem->submissions) {
        submissions.emplace_back(std::string("submissions/") + submission.folder + "/" + submission.source,
                                 suite_source(submission.source));
        largest = std::max<std::uintmax_t>(largest, submissions.back().second.size());
    }
    // Room for the largest submission, in whole KiB.
    yaml.code_kib = std::max<std::uint64_t>(yaml.code_kib, (largest + 1023) / 1024 + 1);

    const fs::path statement = problems / "problem.en.tex";
    const fs::path plan = problems / (options.small ? "plan-small" : "plan");
    if (!fs::is_regular_file(statement, error) || !fs::is_regular_file(plan, error))
        throw judge::SetupError("cannot find the problem files of " + std::string(problem->exercise) + " in " +
                                problems.string());
    std::string tex = read_text(statement);
    if (!options.name.empty()) {
        const std::string command = "\\problemname{";
        const std::size_t from = tex.find(command);
        const std::size_t to = from == std::string::npos ? from : tex.find('}', from);
        if (to != std::string::npos)
            tex.replace(from, to + 1 - from, command + tex_text(options.name) + "}");
    }

    fs::create_directories(target.parent_path(), error);
    const fs::path building = folder_beside(target, "new");
    try {
        write_text(building / "problem.yaml", write_problem_yaml(yaml));
        write_text(building / "generators" / "plan", std::string(plan_header) + "\n" + read_text(plan));
        if (fs::is_directory(problems / "cases", error))
            for (const fs::directory_entry& stored : fs::directory_iterator(problems / "cases"))
                write_text(building / "generators" / "cases" / stored.path().filename(), read_text(stored.path()));
        write_text(building / "problem_statement" / "problem.en.tex", tex);
        write_program(building / "input_validators" / "validate", "validate.cpp", suite_source(problem->input_validator));
        if (problem->output_validator != nullptr)
            write_program(building / "output_validators" / "compare", "compare.cpp",
                          suite_source(problem->output_validator));
        for (const auto& [path, text] : submissions)
            write_text(building / path, text);
        fs::remove(target, error);
        fs::rename(building, target);
    } catch (...) {
        judge::remove_folder(building.string());
        throw;
    }
}

int build_package(const std::string& folder, int jobs)
{
    const fs::path package = fs::absolute(folder).lexically_normal();
    Plan plan;
    try {
        plan = read_plan((package / "generators" / "plan").string());
    } catch (const PlanError& error) {
        throw PackageError(folder + "/generators/plan: " + error.what());
    }
    ProblemYaml yaml;
    try {
        yaml = read_problem_yaml((package / "problem.yaml").string());
    } catch (const std::exception& error) {
        throw PackageError(folder + "/problem.yaml: " + error.what());
    }
    const Problem& problem = *plan.problem;
    Programs programs;
    for (const char* maker : problem.makers)
        programs.makers[maker] = judge::suite_program(maker, "maker");
    programs.validator = judge::suite_program(problem.validator, "validator");
    programs.reference = judge::suite_program(problem.reference, "reference");

    const std::string building = folder_beside(package / "data", "data");
    std::vector<std::string> reports(plan.cases.size());
    try {
        for (const char* group : {"sample", "secret"})
            fs::create_directories(fs::path(building) / group);
        std::atomic<std::size_t> next{0};
        std::mutex failure_mutex;
        std::exception_ptr failure;
        Progress progress(plan.cases.size());
        const auto work = [&] {
            for (std::size_t index; (index = next++) < plan.cases.size();) {
                try {
                    reports[index] = make_case(plan.cases[index], problem, programs, package, building);
                    progress.done(plan.cases[index].name);
                } catch (...) {
                    const std::lock_guard lock(failure_mutex);
                    if (!failure)
                        failure = std::current_exception();
                    next = plan.cases.size();
                }
            }
        };
        std::vector<std::thread> pool;
        for (int i = 1; i < std::min<int>(jobs, static_cast<int>(plan.cases.size())); ++i)
            pool.emplace_back(work);
        work();
        for (std::thread& thread : pool)
            thread.join();
        if (failure)
            std::rethrow_exception(failure);
        // The new data in place of the old, whole.
        const fs::path data = package / "data";
        std::error_code error;
        const std::string old = folder_beside(data, "old");
        if (fs::exists(data, error))
            fs::rename(data, fs::path(old) / "data");
        fs::rename(building, data);
        judge::remove_folder(old);
    } catch (...) {
        judge::remove_folder(building);
        throw;
    }

    Coverage coverage;
    std::uintmax_t largest_answer = 0;
    std::string largest_name;
    for (std::size_t i = 0; i < plan.cases.size(); ++i) {
        coverage.add(read_report(reports[i]));
        std::error_code error;
        const PlannedCase& entry = plan.cases[i];
        const std::uintmax_t size =
            fs::file_size(package / "data" / entry.group() / (entry.name + ".ans"), error);
        if (!error && size > largest_answer) {
            largest_answer = size;
            largest_name = entry.name;
        }
    }
    int samples = 0;
    for (const PlannedCase& entry : plan.cases)
        samples += entry.sample ? 1 : 0;
    std::printf("Built %zu cases of %s (%d sample, %zu secret) in %s/data\n\nCoverage of the format's bounds:\n%s",
                plan.cases.size(), problem.exercise, samples, plan.cases.size() - static_cast<std::size_t>(samples),
                folder.c_str(), coverage.report().c_str());
    if (largest_answer > (yaml.output_mib << 20)) {
        std::printf("problem: the answer of %s (%ju bytes) is larger than the output limit in problem.yaml "
                    "(%ju MiB)\n",
                    largest_name.c_str(), largest_answer, static_cast<std::uintmax_t>(yaml.output_mib));
        return 1;
    }
    return 0;
}

}  // namespace package
