// exercise-judge: judges solutions to one of the suite's exercises on test
// cases. A solution is a command, or a source file (alone or in a folder
// of them) compiled by its language. Cases are made by the exercise's
// maker from seeds (or read from a folder), checked by its validator and
// answered by its reference solver, once; every solution runs on each
// under limits, in a sandbox where bubblewrap works, and gets a verdict.
// --stress hunts for a failing case and shrinks it. Results: a table (a
// matrix for several solutions) on standard output, JSON, JUnit XML, CSV
// and an HTML page.

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "common/fail.hpp"
#include "judge/base/failure.hpp"
#include "judge/base/text.hpp"
#include "judge/cases/exercises.hpp"
#include "judge/cases/road.hpp"
#include "judge/cli/command_line.hpp"
#include "judge/cli/output.hpp"
#include "judge/cli/progress.hpp"
#include "judge/judging/judging.hpp"
#include "judge/judging/settings.hpp"
#include "judge/report/report.hpp"
#include "judge/cli/program.hpp"
#include "judge/run/temporary.hpp"
#include "judge/solutions/languages.hpp"
#include "judge/solutions/solutions.hpp"

namespace {

namespace fs = std::filesystem;

// What the command line asks for.
struct Options {
    std::string exercise;
    std::vector<std::string> sources;  // SOLUTION operands
    std::vector<std::string> command;  // after --
    int cases = 20;
    std::optional<std::uint32_t> seed;
    std::optional<std::string> size;   // as given: sizes separated by commas
    std::vector<std::string> answers;  // each a group of its own
    std::optional<std::string> points; // as given
    bool all_or_nothing = false;
    bool edges = false;                // the exercise's stored edge cases as a group too
    std::vector<judge::Group> groups;  // from the sizes and the answers
    std::optional<std::string> cases_dir;
    std::optional<std::string> reference;
    double time_limit = 10;
    std::uint64_t memory_limit = 1024;
    std::uint64_t output_limit = 256;
    int process_limit = 256;
    double compile_time_limit = 60;
    std::uint64_t compile_memory_limit = 2048;
    std::uint64_t compile_output_limit = 64;
    std::vector<std::string> environment;
    std::optional<std::string> language;
    std::optional<std::string> languages;
    bool list_languages = false;
    int jobs = 1;
    bool stress = false;
    int shrink_attempts = 500;
    double shrink_seconds = 60;
    std::optional<std::string> save;
    std::string sandbox = "auto";
    std::optional<std::string> json;
    std::optional<std::string> junit;
    std::optional<std::string> csv;
    std::optional<std::string> html;
};

const char* const usage = "[OPTION]... EXERCISE SOLUTION...\n  or:  exercise-judge [OPTION]... EXERCISE -- COMMAND [ARG]...";

// After "Judges solutions on test cases of EXERCISE: NAMES. A", up to the
// exercises whose last line is a clock reading.
const char* const about =
    R"(SOLUTION is a source file, compiled by its language (by its extension, or
--language), a folder whose source files are each a solution, or a program,
run as it is; COMMAND is any command that reads a case and writes the answer. Each case is made by the
exercise's maker from a seed (or read from --cases-dir), checked by the
exercise's validator (a case that fails it is reported as INVALID CASE and not
used), answered by the reference solver, once, and given to every solution on
standard input, in a fresh working folder, in a sandbox, under limits. The
output must equal the reference's byte for byte, except that the last line of
)";

// After the exercises whose last line is a clock reading.
const char* const about_end =
    R"( answer, a clock reading, may be any integer; standard error is not
compared. Verdicts: OK, WRONG ANSWER (with the first differing line and
column), TIME LIMIT, MEMORY LIMIT, OUTPUT LIMIT, RUNTIME ERROR (the exit
status or the signal), COMPILATION ERROR, INVALID CASE.
The makers, validators and solvers are found beside exercise-judge, then on
PATH; so is COMMAND when it is a bare name. Arguments of COMMAND that name
files in the current folder are given to it with their full path.
)";

const char* const more =
    R"(Several solutions: the table has a column per solution (OK 0.12s 17M: the
verdict's code, processor time, memory), a line per solution under it, and
counts solutions: a solution passes when every case is OK. --stress takes one.

Sandbox: every solution runs under exercise-judge-keeper, which reports how
it ended, with a system-call filter (no tracing, no new namespaces or mounts)
and a small fixed environment; sources are compiled the same way, under the
compile limits, in a build folder of their own. With bwrap, each solution
runs in new namespaces (no network, no view of other processes), with no
capabilities, in a new session, dying with the judge; the file system is
read-only but for its working folder; /tmp (as large as the output limit)
and /dev/shm are private and in memory, and the judge's temporary files, the
cases folder and the save folder are hidden. With none, it runs as the
judge's user, who it can reach as that user can. auto takes bwrap when a
trial run works, else none with a warning.

Limits: processor time counts every process of the solution; memory is the
resident memory of all its processes together, and in bwrap the bytes in its
/tmp and /dev/shm; the output limit applies to every file it writes.

Exit status: 0 when every solution passed every case, 1 when any failed, 2
for a usage or setup error (unknown exercise, a source whose language cannot
be told, a command or suite program that cannot be run, an empty or
unreadable cases folder).
)";

const char* const examples =
    R"(  exercise-judge pro6 sol.c
  exercise-judge --size medium --csv grades.csv --html report.html pro6 submissions/
  exercise-judge --size large --time-limit 2 pro6 -- pro6-solve-c
  exercise-judge --stress --cases 500 --save failures pro3 -- python3 sol.py
  exercise-judge --cases-dir tests --json result.json 3-15 -- ./orders
  exercise-judge --reference order-solve-grid 3-15 -- order-solve-bucket
  exercise-judge --list-languages
)";

// The paragraph under the usage line, naming the exercises.
std::string about_text()
{
    std::string clocked;
    for (const judge::Exercise& exercise : judge::exercises())
        if (exercise.clock_line())
            clocked += (clocked.empty() ? "" : " or ") + exercise.name;
    return "Judges solutions on test cases of EXERCISE: " + judge::exercise_names() + ". A\n" + about + "a " +
           clocked + about_end;
}

// "with --max-price 100000 added for the reference order-solve-grid and
// 2000000 for order-solve-bucket": the price ceilings of an exercise's
// solvers, as its maker gets them; "" for none.
std::string ceilings_text(const judge::Exercise& exercise)
{
    std::string option;
    for (const judge::Maker& maker : exercise.makers)
        if (!maker.price_option.empty())
            option = maker.price_option;
    std::vector<const judge::Solver*> capped;
    for (const judge::Solver& solver : exercise.solvers)
        if (solver.price_ceiling)
            capped.push_back(&solver);
    if (option.empty() || capped.empty())
        return "";
    std::string text = ", with " + option + " " + std::to_string(*capped.front()->price_ceiling) +
                       " added for the reference " + capped.front()->name;
    for (std::size_t i = 1; i < capped.size(); ++i)
        text += " and " + std::to_string(*capped[i]->price_ceiling) + " for " + capped[i]->name;
    return text;
}

// One line of the sizes: "  pro3 small      pro3-maketest "10 1"", which
// help2man makes a tagged paragraph.
std::string size_line(const judge::Exercise& exercise, int size)
{
    std::string line = "  " + exercise.name + " " + judge::size_names[size];
    line.resize(std::max<std::size_t>(line.size() + 2, 16), ' ');
    std::string previous_maker;
    for (const judge::Preset& preset : exercise.presets[size]) {
        if (preset.maker == previous_maker) {
            line += ", ";
        } else {
            line += previous_maker.empty() ? "" : "; ";
            line += preset.maker + " ";
        }
        line += '"' + judge::Answers(preset.answers).label() + '"';
        previous_maker = preset.maker;
    }
    return line + "\n";
}

// The sizes' answers, from the exercise table.
std::string sizes_text()
{
    std::string paragraph = "Sizes: the answers the makers are given (case i takes the i-th of a size's answers, in "
                            "turn).";
    const std::vector<judge::Exercise>& exercises = judge::exercises();
    for (std::size_t i = 0; i < exercises.size(); ++i)
        paragraph += " " + exercises[i].name + ": " + exercises[i].answers + ceilings_text(exercises[i]) +
                     (i + 1 < exercises.size() ? ";" : ".");
    std::string text = judge::wrapped(paragraph, 76) + "\n";
    for (const judge::Exercise& exercise : exercises)
        for (int size = 0; size < 4; ++size)
            text += size_line(exercise, size);
    return text;
}

// The width of an option's help.
constexpr std::size_t option_help_width = 49;

// The --reference option's help, naming every exercise's reference.
std::string reference_text()
{
    std::string names;
    for (const judge::Exercise& exercise : judge::exercises())
        names += (names.empty() ? "" : ", ") + exercise.reference().name;
    return judge::wrapped("the reference solver (default: " + names + ")", option_help_width);
}

// The --answers option's help, saying what the makers that take options
// are given.
std::string answers_text()
{
    std::string text = "give the maker these answers instead (\\n stands for a line break";
    for (const judge::Exercise& exercise : judge::exercises())
        for (const judge::Maker& maker : exercise.makers)
            if (maker.takes == judge::Takes::options && text.find("; for " + exercise.name) == std::string::npos)
                text += "; for " + exercise.name + ", " + exercise.answers;
    return judge::wrapped(text + ")", option_help_width);
}

// "--answers" text with \n standing for a line break.
std::string with_line_breaks(const std::string& text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            result += '\n';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

// The names of a --size list, each checked.
std::vector<judge::Size> sizes_of(const judge::CommandLine& line, const std::string& text)
{
    std::vector<judge::Size> sizes;
    std::stringstream list(text);
    for (std::string name; std::getline(list, name, ',');) {
        const auto known = std::find(std::begin(judge::size_names), std::end(judge::size_names), name);
        if (known == std::end(judge::size_names))
            line.usage_error("invalid value '" + text +
                             "' for --size: expected small, medium, large or max, or several separated by commas");
        sizes.push_back(static_cast<judge::Size>(known - std::begin(judge::size_names)));
    }
    if (sizes.empty() || text.back() == ',')
        line.usage_error("invalid value '" + text + "' for --size: expected small, medium, large or max");
    return sizes;
}

// The points of each group, one number each.
std::vector<double> points_of(const judge::CommandLine& line, const std::string& text, std::size_t groups)
{
    std::vector<double> points;
    std::stringstream list(text);
    for (std::string item; std::getline(list, item, ',');) {
        double value = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
        if (item.empty() || error != std::errc() || end != item.data() + item.size() || !std::isfinite(value) ||
            value < 0 || value > 1e6)
            line.usage_error("invalid value '" + text + "' for --points: '" + item +
                             "' is not a number of points (0 to 1000000)");
        points.push_back(value);
    }
    if (points.size() != groups || text.back() == ',')
        line.usage_error("--points gives " + std::to_string(points.size()) + " numbers for " + std::to_string(groups) +
                         (groups == 1 ? " group" : " groups") + " of cases");
    return points;
}

// The groups of cases: each size given (small when none is and no
// answers are), then each --answers; stored cases are one group.
std::vector<judge::Group> groups_of(const judge::CommandLine& line, const Options& options)
{
    std::vector<judge::Group> groups;
    if (options.cases_dir) {
        groups.push_back({fs::path(*options.cases_dir).lexically_normal().filename().string(), judge::Size::small,
                          std::nullopt, std::nullopt});
    } else {
        if (options.size || options.answers.empty())
            for (const judge::Size size : sizes_of(line, options.size.value_or("small")))
                groups.push_back({judge::size_names[static_cast<int>(size)], size, std::nullopt, std::nullopt});
        for (const std::string& answers : options.answers)
            groups.push_back({judge::Answers(answers).label(), judge::Size::small, answers, std::nullopt});
        if (options.edges)
            groups.push_back({"edges", judge::Size::small, std::nullopt, std::nullopt, true});
    }
    if (options.points) {
        const std::vector<double> points = points_of(line, *options.points, groups.size());
        for (std::size_t i = 0; i < groups.size(); ++i)
            groups[i].points = points[i];
    }
    return groups;
}

// The options of what is judged and how: cases, limits, languages.
void judging_options(judge::CommandLine& line, Options& options)
{
    line.option("--cases", options.cases, "N", "judge N cases (1..1000000, default 20); with\n--stress, at most N", 1,
                1000000);
    line.option("--seed", options.seed, "S",
                "make case i (from 1) with seed S + i - 1\n(0..4294967295; default: the current second,\nshown "
                "before judging)");
    line.option("--size", options.size, "SIZE",
                "small, medium, large or max (default small):\nthe makers' answers below; several, separated\nby "
                "commas, each a group of N cases");
    static const std::string answers_help = answers_text();
    line.option("--answers", options.answers, "TEXT", answers_help.c_str());
    line.option("--points", options.points, "P1,P2,...",
                "the points of each group, in the order of\n--size, then --answers (default: 100 spread\nover the "
                "cases); a student scores, for each\ngroup, its points times the share of its cases\npassed");
    line.flag("--all-or-nothing", options.all_or_nothing,
              "a group's points only when every one of its\ncases passed");
    line.flag("--edges", options.edges,
              "add the exercise's stored edge cases (those its\npackage uses) as a group of their own, edges");
    line.option("--cases-dir", options.cases_dir, "DIR",
                "judge the stored cases DIR/NAME.in instead; the\nexpected output is DIR/NAME.ans where present,\nelse "
                "the reference's");
    static const std::string reference_help = reference_text();
    line.option("--reference", options.reference, "PROGRAM", reference_help.c_str());
    line.option("--time-limit", options.time_limit, "SECONDS",
                "processor time per case (default 10); wall time\nis limited to twice that plus one second", 0.001,
                86400.0);
    line.option("--memory-limit", options.memory_limit, "MB", "resident memory per case (default 1024)", 1,
                std::uint64_t{1} << 20);
    line.option("--output-limit", options.output_limit, "MB", "standard output per case (default 256)", 1,
                std::uint64_t{1} << 20);
    line.option("--process-limit", options.process_limit, "N", "processes of the solution at once (default 256)", 1,
                100000);
    line.option("--compile-time-limit", options.compile_time_limit, "SECONDS",
                "processor time of a compilation (default 60)", 0.001, 86400.0);
    line.option("--compile-memory-limit", options.compile_memory_limit, "MB",
                "memory of a compilation (default 2048)", 1, std::uint64_t{1} << 20);
    line.option("--compile-output-limit", options.compile_output_limit, "MB",
                "each file a compilation writes (default 64)", 1, std::uint64_t{1} << 20);
    line.option("--language", options.language, "NAME",
                "the language of every SOLUTION, whatever its\nextension (c, cpp, python3, java)");
    line.option("--languages", options.languages, "FILE", "read the language table from FILE instead");
    line.flag("--list-languages", options.list_languages,
              "list the languages, with the compilers found\nhere, and exit");
    line.option("--env", options.environment, "NAME=VALUE",
                "add NAME=VALUE to the solution's environment\n(PATH, HOME, LANG and TMPDIR are set)",
                [](const std::string& text) {
                    const std::size_t equals = text.find('=');
                    return equals == std::string::npos || equals == 0 ? std::string("expected NAME=VALUE")
                                                                      : std::string();
                });
    line.option("-j,--jobs", options.jobs, "N",
                "judge N runs (a solution on a case) at a time\n(default 1, so that timings stay comparable)", 1, 256);
}

// The options of how a judging runs and what it writes.
void running_options(judge::CommandLine& line, Options& options)
{
    line.flag("--stress", options.stress,
              "make cases until the first failure (at most\n--cases of them), then shrink it; one solution");
    line.option("--shrink-attempts", options.shrink_attempts, "N",
                "with --stress, judge at most N cases while\nshrinking (1..1000000, default 500)", 1, 1000000);
    line.option("--shrink-seconds", options.shrink_seconds, "SECONDS",
                "with --stress, shrink for at most SECONDS of\nwall time (default 60)", 0.001, 86400.0);
    line.option("--save", options.save, "DIR",
                "save every failing case as DIR/NAME.in, .ans,\n.out and .cmd (a shell line that replays it)");
    line.option("--sandbox", options.sandbox, "MODE", "auto, bwrap or none (default auto)", {"auto", "bwrap", "none"});
    line.option("--json", options.json, "FILE", "write the whole result as JSON to FILE");
    line.option("--junit", options.junit, "FILE", "write the whole result as JUnit XML to FILE");
    line.option("--csv", options.csv, "FILE", "write one line per solution as CSV to FILE");
    line.option("--html", options.html, "FILE", "write the whole result as an HTML page to FILE");
}

// Registers the options, parses them, and answers --help and --version.
Options parse(int argc, char** argv)
{
    Options options;
    judge::CommandLine line(usage, about_text(), sizes_text() + "\n" + more, examples);
    judging_options(line, options);
    running_options(line, options);
    std::vector<std::string> operands;
    line.operands("EXERCISE", operands);
    line.parse(argc, argv, &options.command);

    if (options.list_languages)
        return options;
    if (operands.empty())
        line.usage_error("EXERCISE is required");
    options.exercise = operands.front();
    options.sources.assign(operands.begin() + 1, operands.end());
    const judge::Exercise* exercise = judge::find_exercise(options.exercise);
    if (exercise == nullptr)
        line.usage_error("unknown exercise '" + options.exercise + "' (" + judge::exercise_names() + ")");
    options.exercise = exercise->name;
    if (options.command.empty() && options.sources.empty())
        line.usage_error("no SOLUTION to judge after EXERCISE, and no COMMAND after --");
    if (!options.command.empty() && !options.sources.empty())
        line.usage_error("give SOLUTION files or -- COMMAND, not both");
    if (options.stress && options.cases_dir)
        line.usage_error("--stress makes its own cases: it cannot judge --cases-dir");
    if (options.edges && options.cases_dir)
        line.usage_error("--edges adds stored cases to made ones: it cannot go with --cases-dir");
    if (options.edges && options.stress)
        line.usage_error("--stress makes its own cases: it cannot judge --edges");
    if (!options.answers.empty() && options.cases_dir)
        line.usage_error("--answers makes cases: it cannot go with --cases-dir");
    if (options.language && options.sources.empty())
        line.usage_error("--language is for SOLUTION files, not for a COMMAND");
    for (std::string& answers : options.answers)
        answers = with_line_breaks(answers);
    options.groups = groups_of(line, options);
    if (options.stress && options.groups.size() > 1)
        line.usage_error("--stress makes cases of one group, not " + std::to_string(options.groups.size()));
    return options;
}

// An absolute folder path.
std::string full_path(const std::string& path)
{
    return fs::absolute(path).lexically_normal().string();
}

// Tries each report file now, so that one that cannot be written is a
// setup error rather than a judging lost at the end; nothing is left.
void check_writable(const std::optional<std::string>& path)
{
    try {
        if (path)
            judge::check_writable(*path);
    } catch (const judge::WriteError& error) {
        throw judge::SetupError(error.what());
    }
}

void warn(const std::string& line)
{
    std::fprintf(stderr, "%s: %s\n", common::program_name, line.c_str());
}

judge::LanguageTable language_table(const Options& options)
{
    const std::string path = options.languages.value_or(judge::installed_languages());
    if (path.empty())
        throw judge::SetupError("cannot find the language table languages.json beside the build or where the suite "
                                "is installed; --languages names one");
    return judge::read_languages(path);
}

// The solutions as given, not compiled yet.
std::vector<judge::Solution> given_solutions(const Options& options, const judge::LanguageTable* table)
{
    if (!options.command.empty())
        return {judge::command_solution(options.command)};
    const judge::Language* forced = nullptr;
    if (options.language) {
        forced = judge::language_named(*table, *options.language);
        if (forced == nullptr)
            throw judge::SetupError("unknown language '" + *options.language + "' (--list-languages lists them)");
    }
    return judge::source_solutions(options.sources, *table, forced);
}

// Where the exercise keeps the stored cases its package uses.
std::string edges_folder(const judge::Exercise& exercise)
{
    return exercise.problem.folder + "/cases";
}

// What the options ask of the judging.
judge::Request request_of(const Options& options)
{
    judge::Request request;
    request.exercise = judge::find_exercise(options.exercise);
    request.reference = options.reference;
    request.makes_cases = !options.cases_dir;
    request.making.seed = options.seed.value_or(static_cast<std::uint32_t>(std::time(nullptr)));
    request.groups = options.groups;
    request.all_or_nothing = options.all_or_nothing;
    request.cases = options.cases;
    request.limits =
        judge::solution_limits(options.time_limit, options.memory_limit, options.output_limit, options.process_limit);
    request.compile_limits = judge::solution_limits(options.compile_time_limit, options.compile_memory_limit,
                                                    options.compile_output_limit, options.process_limit);
    request.jobs = options.jobs;
    request.shrink_budget = {options.shrink_attempts, options.shrink_seconds};
    request.save = options.save;
    request.sandbox.mode = options.sandbox;
    request.sandbox.environment = options.environment;
    if (options.cases_dir)
        request.sandbox.hidden.push_back(*options.cases_dir);
    if (options.edges)
        request.sandbox.hidden.push_back(edges_folder(*request.exercise));
    return request;
}

judge::Settings set_up(const Options& options, const judge::TemporaryFolder& temporary,
                       const std::optional<judge::LanguageTable>& table)
{
    std::vector<judge::Solution> solutions = given_solutions(options, table ? &*table : nullptr);
    if (options.stress && solutions.size() != 1)
        throw judge::SetupError("--stress judges one solution, not " + std::to_string(solutions.size()));
    const judge::Request request = request_of(options);
    for (const std::optional<std::string>& report : {options.json, options.junit, options.csv, options.html})
        check_writable(report);
    judge::Settings settings = judge::build_settings(request, temporary, warn);
    settings.solutions = std::move(solutions);
    // Commands too: compiling also says what the sandbox must show each.
    judge::JudgingProgress line(0);
    judge::compile_solutions(settings, table ? *table : judge::LanguageTable{}, line.progress());
    return settings;
}

judge::RunInfo run_info(const Options& options, const judge::Settings& settings,
                        const std::optional<judge::LanguageTable>& table)
{
    judge::RunInfo info;
    info.exercise = options.exercise;
    info.sandbox = settings.sandbox.isolates() ? "bwrap" : "none";
    info.limits_by = settings.limits_by;
    if (!options.cases_dir)
        info.seed = settings.making.seed;
    info.groups = options.groups;
    info.scored = options.groups.size() > 1 || options.points;
    const char* columns = std::getenv("COLUMNS");
    std::size_t width = 0;
    if (columns != nullptr && std::from_chars(columns, columns + std::strlen(columns), width).ec == std::errc() && width > 0)
        info.width = width;
    if (options.cases_dir)
        info.cases_dir = full_path(*options.cases_dir);
    info.reference = settings.road.reference;
    info.limits = settings.limits;
    info.compile_limits = settings.compile_limits;
    info.stress = options.stress;
    // As typed: the table names the folder as the user did.
    info.save = options.save;
    if (table)
        info.languages = table->origin;
    return info;
}

// The judging's cases: stored, or made (none here for --stress, which
// makes its own), then the edge cases if asked for.
std::vector<judge::CaseSource> cases_of(const Options& options, const judge::RunInfo& info,
                                        const judge::Settings& settings)
{
    if (info.cases_dir)
        return judge::stored_cases(*info.cases_dir);
    if (options.stress)
        return {};
    std::vector<judge::CaseSource> cases = judge::made_cases(settings);
    if (options.edges)
        for (judge::CaseSource& edge : judge::stored_cases(edges_folder(*settings.exercise))) {
            edge.index = cases.size();
            edge.group = settings.groups.size() - 1;
            cases.push_back(std::move(edge));
        }
    return cases;
}

void write_reports(const Options& options, const judge::RunInfo& info, const judge::Result& result)
{
    if (options.json)
        judge::write_file(*options.json, judge::json_report(info, result));
    if (options.junit)
        judge::write_file(*options.junit, judge::junit_report(info, result));
    if (options.csv)
        judge::write_file(*options.csv, judge::csv_report(result));
    if (options.html)
        judge::write_file(*options.html, judge::html_report(info, result));
}

// Judges as the options say; the exit status.
int judge_all(const Options& options, const judge::TemporaryFolder& temporary)
{
    std::optional<judge::LanguageTable> table;
    if (!options.sources.empty() || options.languages)
        table = language_table(options);
    const judge::Settings settings = set_up(options, temporary, table);
    const judge::RunInfo info = run_info(options, settings, table);
    judge::print(judge::heading(info, settings.solutions));

    const std::vector<judge::CaseSource> sources = cases_of(options, info, settings);
    const std::size_t runs =
        (options.stress ? static_cast<std::size_t>(settings.cases) : sources.size()) * settings.solutions.size();
    judge::Result result;
    {
        judge::JudgingProgress line(runs);
        const judge::Progress progress = line.progress();
        result = options.stress ? judge::stress(settings, progress) : judge::judge_cases(settings, sources, progress);
    }
    if (result.valid_cases() == 0 && !result.invalid.empty())
        throw judge::SetupError("no valid case to judge on; the first, " + judge::case_title(result.invalid.front()) +
                                ": " + result.invalid.front().detail);
    judge::print(judge::table(info, result));
    write_reports(options, info, result);
    for (const judge::SolutionResult& solution : result.solutions)
        if (!solution.all_passed())
            return 1;
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "exercise-judge";
    common::failure_status = 2;
    try {
        const Options options = parse(argc, argv);
        if (options.list_languages)
            judge::print_and_exit(judge::language_list(language_table(options)));
        judge::take_charge();
        const judge::TemporaryFolder temporary;
        return judge_all(options, temporary);
    } catch (const judge::Interrupted& interrupted) {
        judge::end_by(interrupted.signal);
    } catch (const judge::WriteError& error) {
        common::failure_status = 1;
        common::fail("%s", error.what());
    } catch (const judge::SetupError& error) {
        common::fail("%s", judge::terminal_text(error.what()).c_str());
    }
}
