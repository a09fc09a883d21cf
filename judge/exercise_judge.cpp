// exercise-judge: judges a solution (any command) on test cases of one of
// the suite's exercises. Cases are made by the exercise's maker from seeds
// (or read from a folder), checked by its validator and answered by its
// reference solver; the solution runs on each under limits, in a sandbox
// where bubblewrap works, and gets a verdict. --stress hunts for a failing
// case and shrinks it. Results: a table on standard output, JSON, JUnit XML.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/fail.hpp"
#include "common/output.hpp"
#include "judge/exercises.hpp"
#include "judge/judging.hpp"
#include "judge/keeper.hpp"
#include "judge/process.hpp"
#include "judge/report.hpp"
#include "judge/sandbox.hpp"
#include "judge/text.hpp"

#ifndef SUITE_VERSION
#define SUITE_VERSION "0.0.0"
#endif

namespace {

namespace fs = std::filesystem;

// The largest /dev/shm of a sandbox; never more than the memory limit.
constexpr std::uint64_t shm_bytes = std::uint64_t{64} << 20;

// What the command line asks for.
struct Options {
    std::string exercise;
    std::vector<std::string> command;
    int cases = 20;
    std::optional<std::uint32_t> seed;
    std::string size = "small";
    std::optional<std::string> answers;
    std::optional<std::string> cases_dir;
    std::optional<std::string> reference;
    double time_limit = 10;
    std::uint64_t memory_limit = 1024;
    std::uint64_t output_limit = 256;
    int process_limit = 256;
    std::vector<std::string> environment;
    int jobs = 1;
    bool stress = false;
    std::optional<std::string> save;
    std::string sandbox = "auto";
    std::optional<std::string> json;
    std::optional<std::string> junit;
};

const char* const about =
    R"(Judges the solution COMMAND on test cases of EXERCISE: pro3, pro2, pro6 or
3-15. Each case is made by the exercise's maker from a seed (or read from
--cases-dir), checked by the exercise's validator (a case that fails it is
reported as INVALID CASE and not used), answered by the reference solver, and
given to COMMAND on standard input, in a fresh working folder, in a sandbox,
under limits. COMMAND's standard output must equal the reference's byte for
byte, except that the last line of a 3-15 answer, a clock reading, may be any
integer; standard error is not compared. Verdicts: OK, WRONG ANSWER (with the
first differing line and column), TIME LIMIT, MEMORY LIMIT, OUTPUT LIMIT,
RUNTIME ERROR (the exit status or the signal), INVALID CASE.
The makers, validators and solvers are found beside exercise-judge, then on
PATH; so is COMMAND when it is a bare name. Arguments of COMMAND that name
files in the current folder are given to it with their full path.
)";

const char* const more =
    R"(Sandbox: every solution runs under exercise-judge-keeper, which reports how
it ended, with a system-call filter (no tracing, no new namespaces or mounts)
and a small fixed environment. With bwrap, each solution runs in new
namespaces (no network, no view of other processes), with no capabilities,
in a new session, dying with the judge; the file system is read-only but for
its working folder; /tmp (as large as the output limit) and /dev/shm are
private and in memory, and the judge's temporary files, the cases folder and
the save folder are hidden. With none, it runs as the judge's user, who it
can reach as that user can. auto takes bwrap when a trial run works, else
none with a warning.

Limits: processor time counts every process of the solution; memory is the
resident memory of all its processes together, and in bwrap the bytes in its
/tmp and /dev/shm; the output limit applies to every file it writes.

Exit status: 0 when every case passed, 1 when any failed, 2 for a usage or
setup error (unknown exercise, a command or suite program that cannot be
run, an empty or unreadable cases folder).
)";

const char* const examples =
    R"(  exercise-judge pro6 -- ./my-solver
  exercise-judge --size large --time-limit 2 pro6 -- pro6-solve-c
  exercise-judge --stress --cases 500 --save failures pro3 -- python3 sol.py
  exercise-judge --cases-dir tests --json result.json 3-15 -- ./orders
  exercise-judge --reference order-solve-grid 3-15 -- order-solve-bucket
)";

[[noreturn]] void usage_error(const std::string& message)
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", common::program_name, message.c_str(), common::program_name);
    std::exit(2);
}

// Writes text to standard output and exits with status 0 (1 when it cannot
// be written).
[[noreturn]] void print_and_exit(const std::string& text)
{
    common::failure_status = 1;
    {
        common::Output out;
        out.write(text);
        out.flush();
    }
    std::exit(0);
}

// One line of the options list, as every program of the suite lays it out.
void option_line(std::string& text, const std::string& left, const std::string& help)
{
    constexpr std::size_t column = 24;
    text += left;
    text += left.size() + 2 <= column ? std::string(column - left.size(), ' ') : "\n" + std::string(column, ' ');
    for (const char c : help)
        text += c == '\n' ? "\n" + std::string(column, ' ') : std::string(1, c);
    text += '\n';
}

// The sizes' answers, from the exercise table.
std::string sizes_text()
{
    std::string text =
        "Sizes: the answers the makers are given (case i takes the i-th of a size's\n"
        "answers, in turn). pro3: lines and stage; pro2: mode, lines and width; pro6:\n"
        "the two lengths, search values and how many are found; 3-15: order-gen's\n"
        "options, with --max-price 100000 added for the reference order-solve-grid\n"
        "and 2000000 for order-solve-bucket.\n";
    for (const char* name : {"pro3", "pro2", "pro6", "3-15"}) {
        const judge::Exercise* exercise = judge::find_exercise(name);
        for (int size = 0; size < 4; ++size) {
            // "  pro3 small      pro3-maketest "10 1"": help2man makes each
            // a tagged paragraph.
            std::string line = "  ";
            line += name;
            line += ' ';
            line += judge::size_names[size];
            line.resize(std::max<std::size_t>(line.size() + 2, 16), ' ');
            std::string previous_maker;
            for (const judge::Preset& preset : exercise->presets[size]) {
                if (preset.maker == previous_maker) {
                    line += ", ";
                } else {
                    line += previous_maker.empty() ? "" : "; ";
                    line += preset.maker;
                    line += ' ';
                }
                line += '"';
                line += judge::Answers(preset.answers).label();
                line += '"';
                previous_maker = preset.maker;
            }
            text += line + "\n";
        }
    }
    return text;
}

[[noreturn]] void print_help(const CLI::App& app)
{
    std::string text = std::string("Usage: ") + common::program_name + " [OPTION]... EXERCISE -- COMMAND [ARG]...\n";
    text += about;
    text += "\nOptions:\n";
    for (const CLI::Option* option : app.get_options()) {
        if (!option->nonpositional())
            continue;
        std::string left = option->get_snames().empty() ? "      " : "  -" + option->get_snames()[0] + ", ";
        left += "--" + option->get_lnames()[0];
        const std::string value = option->get_type_name();
        if (!value.empty())
            left += " " + value;
        option_line(text, left, option->get_description());
    }
    option_line(text, "      --help", "display this help and exit");
    option_line(text, "      --version", "output version information and exit");
    text += "\n" + sizes_text() + "\n" + more;
    // "Examples:" is the heading help2man makes the EXAMPLES section of.
    text += std::string("\nExamples:\n") + examples;
    print_and_exit(text);
}

// Names an unknown option before "--" as the suite's other programs name it,
// before the parser would complain about something else (a missing
// EXERCISE, say) or list it among unexpected arguments. The value of an
// option that takes one is skipped, as it may itself begin with '-'.
void name_unknown_options(const CLI::App& app, int argc, char** argv)
{
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        const std::string_view arg = argv[i];
        if (arg.size() < 2 || arg[0] != '-')
            continue;
        const bool long_form = arg[1] == '-';
        const std::string name(long_form ? arg.substr(0, arg.find('=')) : arg.substr(0, 2));
        const CLI::Option* option = app.get_option_no_throw(name);
        if (option == nullptr)
            usage_error(long_form ? "unrecognized option '" + name + "'"
                                  : "invalid option -- '" + name.substr(1) + "'");
        const bool value_attached = long_form ? arg.find('=') != std::string_view::npos : arg.size() > 2;
        if (!value_attached && option->get_items_expected_min() > 0)
            ++i;
    }
}

// Registers the options, parses them, and answers --help and --version.
Options parse(int argc, char** argv)
{
    Options options;
    CLI::App app{"", common::program_name};
    app.set_help_flag();
    app.allow_extras(false);
    const auto range = [](auto low, auto high) { return CLI::Range(low, high).description(""); };
    app.add_option("--cases", options.cases, "judge N cases (1..1000000, default 20); with\n--stress, at most N")
        ->type_name("N")
        ->check(range(1, 1000000));
    app.add_option("--seed", options.seed,
                   "make case i (from 1) with seed S + i - 1\n(0..4294967295; default: the current second,\nshown "
                   "before judging)")
        ->type_name("S");
    app.add_option("--size", options.size, "small, medium, large or max (default small):\nthe makers' answers below")
        ->type_name("SIZE")
        ->check(CLI::IsMember({"small", "medium", "large", "max"}).description(""));
    app.add_option("--answers", options.answers,
                   "give the maker these answers instead (\\n stands\nfor a line break; for 3-15, order-gen's "
                   "options)")
        ->type_name("TEXT");
    app.add_option("--cases-dir", options.cases_dir,
                   "judge the stored cases DIR/NAME.in instead; the\nexpected output is DIR/NAME.ans where "
                   "present,\nelse the reference's")
        ->type_name("DIR");
    app.add_option("--reference", options.reference,
                   "the reference solver (default: pro3-solve,\npro2-solve, pro6-solve, order-solve-list)")
        ->type_name("PROGRAM");
    app.add_option("--time-limit", options.time_limit,
                   "processor time per case (default 10); wall time\nis limited to twice that plus one second")
        ->type_name("SECONDS")
        ->check(range(0.001, 86400.0));
    app.add_option("--memory-limit", options.memory_limit, "resident memory per case (default 1024)")
        ->type_name("MB")
        ->check(range(std::uint64_t{1}, std::uint64_t{1} << 20));
    app.add_option("--output-limit", options.output_limit, "standard output per case (default 256)")
        ->type_name("MB")
        ->check(range(std::uint64_t{1}, std::uint64_t{1} << 20));
    app.add_option("--process-limit", options.process_limit,
                   "processes of the solution at once (default 256)")
        ->type_name("N")
        ->check(range(1, 100000));
    app.add_option("--env", options.environment,
                   "add NAME=VALUE to the solution's environment\n(PATH, HOME, LANG and TMPDIR are set)")
        ->type_name("NAME=VALUE")
        ->check(CLI::Validator(
            [](const std::string& text) {
                const std::size_t equals = text.find('=');
                return equals == std::string::npos || equals == 0 ? std::string("expected NAME=VALUE") : std::string();
            },
            "", ""));
    app.add_option("-j,--jobs", options.jobs,
                   "judge N cases at a time (default 1, so that\ntimings stay comparable)")
        ->type_name("N")
        ->check(range(1, 256));
    app.add_flag("--stress", options.stress,
                 "make cases until the first failure (at most\n--cases of them), then shrink it");
    app.add_option("--save", options.save,
                   "save every failing case as DIR/NAME.in, .ans,\n.out and .cmd (a shell line that replays it)")
        ->type_name("DIR");
    app.add_option("--sandbox", options.sandbox, "auto, bwrap or none (default auto)")
        ->type_name("MODE")
        ->check(CLI::IsMember({"auto", "bwrap", "none"}).description(""));
    app.add_option("--json", options.json, "write the whole result as JSON to FILE")->type_name("FILE");
    app.add_option("--junit", options.junit, "write the whole result as JUnit XML to FILE")->type_name("FILE");
    app.add_option("EXERCISE", options.exercise)->required();
    app.add_option("COMMAND", options.command);

    // --help and --version take effect where they stand among the options.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--help") == 0)
            print_help(app);
        if (std::strcmp(argv[i], "--version") == 0)
            print_and_exit(std::string(common::program_name) + " (exercise suite) " SUITE_VERSION "\n");
    }
    name_unknown_options(app, argc, argv);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        usage_error(error.what());
    }
    if (judge::find_exercise(options.exercise) == nullptr)
        usage_error("unknown exercise '" + options.exercise + "' (" + judge::exercise_names() + ")");
    if (options.command.empty())
        usage_error("no COMMAND to judge after EXERCISE --");
    if (options.stress && options.cases_dir)
        usage_error("--stress makes its own cases: it cannot judge --cases-dir");
    if (options.answers && options.cases_dir)
        usage_error("--answers makes cases: it cannot go with --cases-dir");
    if (options.answers) {
        std::string text;
        for (std::size_t i = 0; i < options.answers->size(); ++i) {
            if ((*options.answers)[i] == '\\' && i + 1 < options.answers->size() && (*options.answers)[i + 1] == 'n') {
                text += '\n';
                ++i;
            } else {
                text += (*options.answers)[i];
            }
        }
        options.answers = text;
    }
    return options;
}

// The judge's temporary folder, removed at exit.
std::string temporary_folder;

void remove_temporary_folder()
{
    judge::end_stray_processes();
    if (!temporary_folder.empty()) {
        judge::remove_folder(temporary_folder);
        temporary_folder.clear();
    }
}

void make_temporary_folder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/exercise-judge-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        common::fail("cannot create a temporary folder in %s: %s", pattern.c_str(), std::strerror(errno));
    temporary_folder = fs::canonical(pattern).string();
    std::atexit(remove_temporary_folder);
}

// A suite program's path; a missing one is a setup error.
std::string suite_program(const std::string& name, const char* role)
{
    const std::string path = judge::find_program(name);
    if (path.empty())
        common::fail("cannot find the %s %s beside %s or on PATH", role, name.c_str(), judge::own_folder().c_str());
    return fs::absolute(path).string();
}

// The solution's command line: its program as a full path, and arguments
// that name files here made full paths too.
std::vector<std::string> resolve_command(const std::vector<std::string>& words)
{
    std::vector<std::string> command = words;
    const std::string program = judge::find_program(words[0]);
    if (program.empty())
        common::fail("cannot run %s: %s", words[0].c_str(),
                     words[0].find('/') == std::string::npos ? "not found beside exercise-judge or on PATH"
                                                             : "not an executable file");
    command[0] = fs::absolute(program).lexically_normal().string();
    for (std::size_t i = 1; i < command.size(); ++i) {
        std::error_code error;
        if (!command[i].empty() && command[i][0] != '-' && command[i][0] != '/' &&
            fs::is_regular_file(command[i], error))
            command[i] = fs::absolute(command[i]).lexically_normal().string();
    }
    return command;
}

// An absolute folder path, created when asked.
std::string folder_path(const std::string& path, bool create)
{
    std::error_code error;
    if (create)
        fs::create_directories(path, error);
    if (error)
        common::fail("cannot create %s: %s", path.c_str(), error.message().c_str());
    return fs::absolute(path).lexically_normal().string();
}

// Creates an output file now, so that a file that cannot be written is a
// setup error rather than a judging lost at the end.
void check_writable(const std::optional<std::string>& path)
{
    if (path && !std::ofstream(*path))
        common::fail("cannot write %s: %s", path->c_str(), std::strerror(errno));
}

judge::Sandbox choose_sandbox(const Options& options, const judge::Settings& settings)
{
    const std::string keeper = suite_program(judge::keeper_program, "program");
    const std::string trial = temporary_folder + "/trial";
    const auto works = [&](const judge::Sandbox& sandbox) {
        fs::create_directories(trial);
        const std::string problem = sandbox.trial(trial);
        judge::remove_folder(trial);
        return problem;
    };
    std::string problem;
    if (options.sandbox != "none") {
        const std::string bwrap = judge::find_program("bwrap", false);
        problem = bwrap.empty() ? "bwrap is not installed" : "";
        if (problem.empty()) {
            // Hidden where they really are, past any symbolic link.
            std::vector<std::string> hidden{temporary_folder};
            for (const std::optional<std::string>& folder : {options.cases_dir, settings.save}) {
                std::error_code error;
                if (folder)
                    hidden.push_back(fs::weakly_canonical(*folder, error).string());
            }
            const judge::Limits& limits = settings.bounds.limits;
            const judge::SandboxSizes sizes{limits.file_bytes, std::min(limits.memory_bytes, shm_bytes)};
            judge::Sandbox sandbox(keeper, options.environment, bwrap, hidden, sizes);
            for (std::size_t i = 0; i < settings.command.size(); ++i)
                if (settings.command[i][0] == '/')
                    sandbox.expose(settings.command[i], i == 0);
            problem = works(sandbox);
            if (problem.empty())
                return sandbox;
        }
        if (options.sandbox == "bwrap")
            common::fail("bwrap cannot run here: %s", problem.c_str());
    }
    judge::Sandbox sandbox(keeper, options.environment);
    if (const std::string keeper_problem = works(sandbox); !keeper_problem.empty())
        common::fail("%s cannot run here: %s", judge::keeper_program, keeper_problem.c_str());
    if (problem.empty())
        std::fprintf(stderr, "%s: no sandbox: the solution runs as your user and can read, change or stop "
                             "whatever you can, this judge included; --sandbox bwrap isolates it\n",
                     common::program_name);
    else
        std::fprintf(stderr, "%s: warning: bwrap cannot run here (%s); solutions run without a sandbox, as "
                             "your user, able to reach whatever you can\n",
                     common::program_name, problem.c_str());
    return sandbox;
}

judge::Settings set_up(const Options& options)
{
    judge::Settings settings;
    settings.exercise = judge::find_exercise(options.exercise);
    settings.command = resolve_command(options.command);
    settings.reference = suite_program(options.reference.value_or(settings.exercise->reference), "reference");
    settings.validator = suite_program(settings.exercise->validator, "validator");
    const std::string reference_name = fs::path(settings.reference).filename().string();
    if (settings.exercise->options_maker && judge::is_order_solver(reference_name))
        settings.validator_options = {"--for", reference_name};
    settings.price_ceiling = settings.exercise->options_maker ? judge::price_ceiling(reference_name) : 0;
    settings.seed = options.seed.value_or(static_cast<std::uint32_t>(std::time(nullptr)));
    settings.cases = options.cases;
    for (int size = 0; size < 4; ++size)
        if (options.size == judge::size_names[size])
            settings.size = static_cast<judge::Size>(size);
    settings.answers = options.answers;
    if (!options.cases_dir)
        for (const judge::Preset& preset : settings.exercise->presets[static_cast<int>(settings.size)])
            settings.makers.emplace(preset.maker, suite_program(preset.maker, "maker"));
    judge::Limits& limits = settings.bounds.limits;
    limits.cpu_seconds = options.time_limit;
    limits.wall_seconds = 2 * options.time_limit + 1;
    limits.memory_bytes = options.memory_limit << 20;
    limits.file_bytes = options.output_limit << 20;
    limits.processes = options.process_limit;
    settings.helper_wall_seconds = std::max(60.0, 10 * limits.wall_seconds);
    settings.jobs = options.jobs;
    settings.stress = options.stress;
    if (options.save)
        settings.save = folder_path(*options.save, true);
    check_writable(options.json);
    check_writable(options.junit);
    make_temporary_folder();
    settings.temporary = temporary_folder;
    settings.sandbox = choose_sandbox(options, settings);
    return settings;
}

judge::RunInfo run_info(const Options& options, const judge::Settings& settings)
{
    judge::RunInfo info;
    info.exercise = options.exercise;
    info.given = options.command;
    info.command = settings.command;
    info.sandbox = settings.sandbox.isolates() ? "bwrap" : "none";
    if (!options.cases_dir)
        info.seed = settings.seed;
    info.size = options.size;
    info.answers = options.answers;
    if (options.cases_dir)
        info.cases_dir = folder_path(*options.cases_dir, false);
    info.reference = settings.reference;
    info.limits = settings.bounds.limits;
    info.stress = options.stress;
    // As typed: the table names the folder as the user did.
    info.save = options.save;
    return info;
}

// The progress line on standard error, when it is a terminal.
class ProgressLine {
public:
    explicit ProgressLine(int total) : total_(total), shown_(::isatty(2) == 1) {}

    judge::Progress callback()
    {
        if (!shown_)
            return nullptr;
        return [this](const judge::CaseResult& latest, int done) {
            failed_ += judge::passed(latest.verdict) ? 0 : 1;
            std::fprintf(stderr, "\r%s: %d of %d cases judged, %d failed; case %s: %s\033[K", common::program_name,
                         done, total_, failed_, judge::terminal_text(latest.name).c_str(), judge::verdict_name(latest.verdict));
        };
    }

    void clear() const
    {
        if (shown_)
            std::fputs("\r\033[K", stderr);
    }

private:
    int total_;
    bool shown_;
    int failed_ = 0;
};

void write_file(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    if (!file)
        common::fail("cannot write %s: %s", path.c_str(), std::strerror(errno));
}

// A setup error found once judging has begun: status 2.
[[noreturn]] void setup_error(const std::string& message)
{
    common::failure_status = 2;
    common::fail("%s", judge::terminal_text(message).c_str());
}

// Ends the judge as the interrupting signal would have, once its runs are
// killed and its files removed.
[[noreturn]] void end_by(int signal)
{
    remove_temporary_folder();
    std::fprintf(stderr, "%s: interrupted by %s\n", common::program_name, judge::signal_name(signal).c_str());
    std::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(signal);
    std::_Exit(128 + signal);
}

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "exercise-judge";
    common::failure_status = 2;
    const Options options = parse(argc, argv);
    judge::take_charge_of_processes();
    const judge::Settings settings = set_up(options);
    const judge::RunInfo info = run_info(options, settings);

    // From here a failure to write the results is status 1, as in every
    // program; setup errors found while judging stay 2.
    common::failure_status = 1;
    common::Output out;
    out.write(judge::heading(info));
    out.flush();

    std::vector<judge::CaseSource> sources;
    if (options.cases_dir) {
        std::string error;
        sources = judge::stored_cases(*info.cases_dir, error);
        if (!error.empty())
            setup_error(error);
    } else if (!options.stress) {
        for (int i = 0; i < settings.cases; ++i)
            sources.push_back(judge::made_case(settings, i));
    }
    ProgressLine progress(options.cases_dir ? static_cast<int>(sources.size()) : settings.cases);
    const judge::Result result = options.stress ? judge::stress(settings, progress.callback())
                                                : judge::judge_cases(settings, sources, progress.callback());
    progress.clear();
    if (const int signal = judge::interruption(); signal != 0)
        end_by(signal);
    if (!result.setup_error.empty())
        setup_error(result.setup_error);
    out.write(judge::table(info, result));
    out.flush();
    if (options.json)
        write_file(*options.json, judge::json_report(info, result));
    if (options.junit)
        write_file(*options.junit, judge::junit_report(info, result));
    remove_temporary_folder();
    return result.failed > 0 ? 1 : 0;
}
