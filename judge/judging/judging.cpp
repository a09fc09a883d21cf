// The road of one case (made, validated, answered once), the runs of every
// solution on it, the pool that runs (case, solution) pairs side by side,
// and the stress run with its shrinking.

#include "judge/judging/judging.hpp"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "judge/judging/compare.hpp"
#include "judge/base/files.hpp"
#include "judge/run/process.hpp"
#include "judge/base/text.hpp"

namespace judge {

namespace fs = std::filesystem;

namespace {

// The most cases a shrink judges before it settles for what it has.
constexpr int shrink_attempts = 200;

// How much of a program's standard error the judge reads for its message.
constexpr std::size_t message_tail = 4096;

// The longest message quoted from a program.
constexpr std::size_t message_length = 200;

// The last non-empty line of a file, from where prefix (a program's
// "NAME: ") starts in it, if it does; cut to message_length.
std::string message_in(const std::string& path, const std::string& prefix = "")
{
    std::ifstream file(path, std::ios::binary);
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size <= 0)
        return "";
    const std::streamoff from = std::max<std::streamoff>(0, size - static_cast<std::streamoff>(message_tail));
    file.seekg(from);
    std::string text(std::istreambuf_iterator<char>(file), {});
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (const std::size_t newline = text.rfind('\n'); newline != std::string::npos)
        text.erase(0, newline + 1);
    if (!prefix.empty())
        if (const std::size_t at = text.find(prefix); at != std::string::npos)
            text.erase(0, at);
    if (text.size() > message_length)
        text = text.substr(0, message_length) + "...";
    return terminal_text(text);
}

// The first line of a file, cut to message_length.
std::string first_line(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::string line;
    std::getline(file, line);
    if (line.size() > message_length)
        line = line.substr(0, message_length) + "...";
    return terminal_text(line);
}

std::string base_name(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

// "exit status 1" or "killed by SIGSEGV" or the limit passed, of a helper.
std::string how_it_ended(const Outcome& outcome)
{
    switch (outcome.ending) {
    case Ending::exited: return "exit status " + std::to_string(outcome.code);
    case Ending::signaled: return "killed by " + signal_name(outcome.code);
    case Ending::wall_limit: return "still running after " + seconds_text(outcome.wall_seconds);
    case Ending::not_started: return outcome.why;
    default: return "stopped";
    }
}

bool ended_well(const Outcome& outcome)
{
    return outcome.ending == Ending::exited && outcome.code == 0;
}

// A case's own part of every result: its name, seed and size.
CaseResult identity(const CaseSource& source)
{
    CaseResult result;
    result.name = source.name;
    result.index = source.index;
    result.seed = source.seed;
    result.maker = source.maker;
    result.answers = source.answers.text();
    result.size = source.answers.label();
    if (!source.seed) {
        std::error_code error;
        result.size = std::to_string(fs::file_size(source.input, error)) + " bytes";
    }
    return result;
}

// The state of a run of many cases: interrupted, or stopped by a setup error.
struct Stop {
    std::atomic<bool> now{false};
    std::mutex mutex;
    std::string setup_error;

    void setup_failed(const std::string& why)
    {
        const std::lock_guard lock(mutex);
        if (setup_error.empty())
            setup_error = why;
        now = true;
    }
};

// Where a failing run's files are saved, and under which suffix; none: not
// saved.
using SaveSuffix = std::optional<std::string>;

// One case in a folder of the judge's own: made, validated and answered
// once, then given to each solution; removed with everything in it at the
// end (after the files of failing runs are copied to the save folder).
class PreparedCase {
public:
    PreparedCase(const Settings& settings, const CaseSource& source, Stop& stop)
        : settings_(settings), source_(source), stop_(stop), folder_(new_folder(settings))
    {
    }
    ~PreparedCase() { remove_folder(folder_); }
    PreparedCase(const PreparedCase&) = delete;
    PreparedCase& operator=(const PreparedCase&) = delete;

    // Makes, validates and answers the case; false when the judging must
    // stop (interrupted, or a setup error). An invalid case is not a stop:
    // invalid() says why it cannot be used.
    bool prepare()
    {
        std::error_code error;
        fs::create_directories(folder_, error);
        if (error) {
            stop_.setup_failed("cannot create " + folder_ + ": " + error.message());
            return false;
        }
        return obtain_case() && (invalid_ || validate_and_answer());
    }

    const std::optional<std::string>& invalid() const { return invalid_; }

    // Runs the solution (the index-th) on the case; false when the judging
    // must stop.
    bool run_solution(const Solution& solution, std::size_t index, CaseResult& result) const
    {
        const std::string own = folder_ + "/" + std::to_string(index + 1);
        std::error_code error;
        fs::create_directories(own + "/work", error);
        if (error) {
            stop_.setup_failed("cannot create " + own + ": " + error.message());
            return false;
        }
        Launch launch;
        settings_.sandbox.prepare(launch, solution.command, own + "/work", solution.exposed,
                                  solution.source.empty() ? SuiteAccess::shown : SuiteAccess::hidden);
        launch.input = case_file_;
        launch.output = own + "/out";
        launch.error = own + "/err";
        launch.limits = settings_.bounds.limits;
        const Outcome outcome = run(launch);
        if (outcome.ending == Ending::interrupted) {
            stop_.now = true;
            return false;
        }
        if (outcome.ending == Ending::not_started) {
            stop_.setup_failed("cannot run the solution: " + outcome.why);
            return false;
        }
        result.ran = true;
        result.cpu_seconds = outcome.cpu_seconds;
        result.wall_seconds = outcome.wall_seconds;
        result.memory_bytes = outcome.peak_memory_bytes;
        const std::uintmax_t written = fs::file_size(launch.output, error);
        if (const auto judgement = judge_ending(outcome, settings_.bounds, error ? 0 : written)) {
            result.verdict = judgement->verdict;
            result.detail = judgement->detail;
            if (judgement->verdict == Verdict::runtime_error) {
                const std::string message = message_in(launch.error);
                if (!message.empty())
                    result.detail += "; its last line on standard error: \"" + message + "\"";
            }
        } else {
            const Difference difference =
                compare_outputs(expected_file_, launch.output, settings_.exercise->clock_line);
            if (!difference.same) {
                result.verdict = Verdict::wrong_answer;
                result.detail = describe(difference);
            }
        }
        result.replay = replay_line(solution, "");
        return true;
    }

    // Copies the case, the expected and the found output and a replay
    // command to the save folder, under the solution's name where there
    // are several. Each file is written anew and renamed into place: a link
    // planted there is replaced, never followed.
    void save(const Solution& solution, std::size_t index, const std::string& suffix, CaseResult& result) const
    {
        std::string folder = *settings_.save;
        std::string name = (source_.seed ? "seed-" + std::to_string(*source_.seed) : source_.name) + suffix;
        if (settings_.solutions.size() > 1) {
            std::string own = solution.name;
            std::replace(own.begin(), own.end(), '/', '_');
            folder += "/" + own;
            std::error_code error;
            fs::create_directory(folder, error);
            name = own + "/" + name;
        }
        const std::string to = *settings_.save + "/" + name;
        const std::string own = folder_ + "/" + std::to_string(index + 1);
        bool saved = save_file(case_file_, to + ".in") && save_file(expected_file_, to + ".ans");
        if (result.ran)
            saved = save_file(own + "/out", to + ".out") && saved;
        saved = save_text(replay_line(solution, to + ".in") + "\n", to + ".cmd") && saved;
        if (saved)
            result.saved = name;
    }

private:
    static std::string new_folder(const Settings& settings)
    {
        static std::atomic<int> count{0};
        return settings.temporary + "/case-" + std::to_string(++count);
    }

    Launch helper(std::vector<std::string> argv) const
    {
        Launch launch;
        launch.argv = std::move(argv);
        launch.limits.wall_seconds = settings_.helper_wall_seconds;
        return launch;
    }

    // Whether the judging goes on after a helper's run: not when the judge
    // was interrupted or the helper could not be started.
    bool goes_on(const Outcome& outcome)
    {
        if (outcome.ending == Ending::interrupted) {
            stop_.now = true;
            return false;
        }
        if (outcome.ending == Ending::not_started) {
            stop_.setup_failed(outcome.why);
            return false;
        }
        return true;
    }

    // Records why the case cannot be used; the judging goes on.
    bool invalid(const std::string& why)
    {
        invalid_ = why;
        return true;
    }

    std::vector<std::string> maker_argv() const
    {
        const std::string& maker = settings_.makers.at(source_.maker);
        std::vector<std::string> argv{maker, "--seed", std::to_string(*source_.seed)};
        if (settings_.exercise->options_maker)
            for (std::size_t i = 0; i < source_.answers.count(); ++i)
                argv.push_back(source_.answers.token(i));
        return argv;
    }

    bool obtain_case()
    {
        if (!source_.seed) {
            case_file_ = source_.input;
            return true;
        }
        case_file_ = folder_ + "/case.in";
        Launch launch = helper(maker_argv());
        if (settings_.exercise->options_maker) {
            launch.argv.insert(launch.argv.end(), {"-o", case_file_});
            launch.directory = folder_;
            launch.output = folder_ + "/maker.out";
        } else {
            launch.input = folder_ + "/answers";
            std::ofstream(launch.input, std::ios::binary) << source_.answers.text();
            launch.output = case_file_;
        }
        launch.error = folder_ + "/maker.err";
        const Outcome outcome = run(launch);
        if (!goes_on(outcome))
            return false;
        if (ended_well(outcome))
            return true;
        std::string message = message_in(launch.error, source_.maker + ": ");
        if (message.empty())
            message = message_in(folder_ + "/maker.out");
        return invalid(source_.maker + " failed (" + how_it_ended(outcome) + ")" + (message.empty() ? "" : ": " + message));
    }

    // The validator and the reference (unless the expected output is
    // stored) run side by side: both only read the case. The validator's
    // word comes first.
    bool validate_and_answer()
    {
        std::optional<Launch> validation;
        if (!settings_.validator.empty()) {
            std::vector<std::string> argv{settings_.validator};
            argv.insert(argv.end(), settings_.validator_options.begin(), settings_.validator_options.end());
            argv.push_back(case_file_);
            validation = helper(argv);
            validation->error = folder_ + "/validator.err";
        }
        std::optional<Launch> answer;
        if (source_.expected.empty()) {
            expected_file_ = folder_ + "/expected";
            answer = helper({settings_.reference});
            answer->input = case_file_;
            answer->output = expected_file_;
            answer->error = folder_ + "/reference.err";
        } else {
            expected_file_ = source_.expected;
        }
        Outcome answered;
        Outcome validated;
        std::thread reference;
        if (answer)
            reference = std::thread([&] { answered = run(*answer); });
        if (validation)
            validated = run(*validation);
        if (reference.joinable())
            reference.join();

        if ((validation && !goes_on(validated)) || (answer && !goes_on(answered)))
            return false;
        if (validation && !ended_well(validated)) {
            const std::string message = first_line(validation->error);
            if (validated.ending == Ending::exited && validated.code == 1)
                return invalid(message);
            return invalid(base_name(settings_.validator) + " failed (" + how_it_ended(validated) + ")" +
                           (message.empty() ? "" : ": " + message));
        }
        if (!answer || ended_well(answered))
            return true;
        const std::string name = base_name(settings_.reference);
        const std::string message = message_in(answer->error, name + ": ");
        return invalid("the reference " + name + " failed on it (" + how_it_ended(answered) + ")" +
                       (message.empty() ? "" : ": " + message));
    }

    // One shell line that replays the case for the solution: the maker's
    // output piped into it, or the case (saved_case, else where it lies)
    // given to it. A source is built first, in a folder of its own.
    std::string replay_line(const Solution& solution, const std::string& saved_case) const
    {
        std::string line;
        std::string input = !saved_case.empty() ? shell_quote(saved_case) : shell_quote(case_file_);
        const bool piped = source_.seed && !settings_.exercise->options_maker;
        if (source_.seed && settings_.exercise->options_maker && saved_case.empty()) {
            std::vector<std::string> argv = maker_argv();
            line = "c=$(mktemp -d) && " + shell_line(argv) + " -o \"$c/case.in\" > /dev/null && ";
            input = "\"$c/case.in\"";
        }
        line += solution.replay_build;
        if (piped)
            return line + "printf " + shell_quote(printf_format(source_.answers.text())) + " | " +
                   shell_line(maker_argv()) + " 2>/dev/null | " + solution.replay_command;
        return line + solution.replay_command + " < " + input;
    }

    const Settings& settings_;
    const CaseSource& source_;
    Stop& stop_;
    const std::string folder_;
    std::string case_file_;
    std::string expected_file_;
    std::optional<std::string> invalid_;
};

// The result of a solution that did not compile, on any case.
CaseResult not_compiled(const CaseSource& source, const Solution& solution)
{
    CaseResult result = identity(source);
    result.verdict = Verdict::compilation_error;
    result.detail = solution.compilation.detail;
    return result;
}

// Judges one solution on one case of its own; false when the judging
// stopped.
bool judge_alone(const Settings& settings, const CaseSource& source, Stop& stop, CaseResult& result,
                 const SaveSuffix& suffix)
{
    const Solution& solution = settings.solutions.front();
    if (!solution.compilation.ok) {
        result = not_compiled(source, solution);
        return true;
    }
    PreparedCase prepared(settings, source, stop);
    if (!prepared.prepare())
        return false;
    result = identity(source);
    if (prepared.invalid()) {
        result.verdict = Verdict::invalid_case;
        result.detail = *prepared.invalid();
    } else if (!prepared.run_solution(solution, 0, result)) {
        return false;
    }
    if (!passed(result.verdict) && settings.save && suffix)
        prepared.save(solution, 0, *suffix, result);
    return true;
}

// A case being judged by several solutions at once: prepared by the first
// that needs it, removed when the last is done.
struct SharedCase {
    std::mutex mutex;
    bool tried = false;
    bool ready = false;  // prepared: made, and validated and answered or found invalid
    std::unique_ptr<PreparedCase> prepared;
    std::atomic<std::size_t> remaining{0};
};

// Runs every (case, solution) pair, `jobs` at a time, case by case; the
// results stay in the sources' order. With stop_at_failure (one solution),
// no case after the first failing one is started, and the results end with
// it.
Result run_pool(const Settings& settings, const std::vector<CaseSource>& sources, const Progress& progress,
                bool stop_at_failure)
{
    Result outcome;
    const std::size_t solutions = settings.solutions.size();
    for (const Solution& solution : settings.solutions) {
        SolutionResult column;
        column.name = solution.name;
        column.language = solution.language;
        column.given = solution.given;
        column.command = solution.command;
        column.compilation = solution.compilation;
        outcome.solutions.push_back(std::move(column));
    }
    if (sources.empty())
        return outcome;
    Stop stop;
    std::vector<SharedCase> cases(sources.size());
    for (SharedCase& shared : cases)
        shared.remaining = solutions;
    std::vector<std::vector<std::optional<CaseResult>>> results(solutions,
                                                                std::vector<std::optional<CaseResult>>(sources.size()));
    const std::size_t pairs = sources.size() * solutions;
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> first_failure{sources.size()};
    std::mutex report;
    int done = 0;
    const auto judge_pair = [&](std::size_t index, std::size_t which) {
        const CaseSource& source = sources[index];
        const Solution& solution = settings.solutions[which];
        SharedCase& shared = cases[index];
        CaseResult result;
        if (!solution.compilation.ok) {
            result = not_compiled(source, solution);
        } else {
            const std::lock_guard lock(shared.mutex);
            if (!shared.tried) {
                shared.tried = true;
                shared.prepared = std::make_unique<PreparedCase>(settings, source, stop);
                shared.ready = shared.prepared->prepare();
            }
            if (!shared.ready)
                return false;
        }
        if (solution.compilation.ok) {
            result = identity(source);
            if (shared.prepared->invalid()) {
                result.verdict = Verdict::invalid_case;
                result.detail = *shared.prepared->invalid();
            } else if (!shared.prepared->run_solution(solution, which, result)) {
                return false;
            }
            if (!passed(result.verdict) && settings.save)
                shared.prepared->save(solution, which, "", result);
        }
        if (--shared.remaining == 0) {
            const std::lock_guard lock(shared.mutex);
            shared.prepared.reset();
        }
        const std::lock_guard lock(report);
        if (stop_at_failure && !passed(result.verdict))
            first_failure = std::min(first_failure.load(), index);
        results[which][index] = result;
        if (progress)
            progress(result, solution, ++done);
        return true;
    };
    const auto work = [&] {
        for (;;) {
            const std::size_t pair = next++;
            if (pair >= pairs || stop.now || interruption() != 0)
                return;
            const std::size_t index = pair / solutions;
            if (index > first_failure)
                return;
            if (!judge_pair(index, pair % solutions))
                return;
        }
    };
    const int threads = std::max(1, std::min<int>(settings.jobs, static_cast<int>(pairs)));
    std::vector<std::thread> pool;
    for (int i = 1; i < threads; ++i)
        pool.emplace_back(work);
    work();
    for (std::thread& thread : pool)
        thread.join();

    outcome.setup_error = stop.setup_error;
    const std::size_t last = stop_at_failure ? std::min(first_failure.load(), sources.size() - 1) : sources.size() - 1;
    for (std::size_t which = 0; which < solutions; ++which) {
        SolutionResult& column = outcome.solutions[which];
        for (std::size_t i = 0; i <= last; ++i) {
            if (!results[which][i])
                continue;
            column.cases.push_back(*results[which][i]);
            ++(passed(results[which][i]->verdict) ? column.passed : column.failed);
        }
    }
    return outcome;
}

// True when a case fails in a way worth shrinking: the solution's fault.
bool fails(const CaseResult& result)
{
    return !passed(result.verdict) && result.verdict != Verdict::invalid_case &&
           result.verdict != Verdict::compilation_error;
}

// Remakes the failing case with ever smaller answers, at the same seed: a
// bisection per shrinkable answer, repeated while any answer got smaller.
Shrinking shrink(const Settings& settings, const CaseSource& failing, const CaseResult& result, Stop& stop)
{
    Shrinking shrinking{result, result, 0};
    CaseSource current = failing;
    bool smaller = true;
    while (smaller && shrinking.attempts < shrink_attempts && !stop.now) {
        smaller = false;
        for (const Shrinkable& field : settings.exercise->shrinkable) {
            const std::optional<std::size_t> index =
                field.after != nullptr ? current.answers.after(field.after) : std::optional<std::size_t>(field.index);
            const std::optional<std::int64_t> value = index ? current.answers.number(*index) : std::nullopt;
            if (!value)
                continue;
            std::int64_t low = field.least;
            std::int64_t high = *value;  // fails
            while (low < high && shrinking.attempts < shrink_attempts && !stop.now) {
                const std::int64_t middle = low + (high - low) / 2;
                CaseSource candidate = current;
                candidate.answers.set(*index, middle);
                if (settings.exercise->keep_consistent != nullptr)
                    settings.exercise->keep_consistent(candidate.answers);
                CaseResult tried;
                ++shrinking.attempts;
                if (!judge_alone(settings, candidate, stop, tried, std::nullopt))
                    break;
                if (fails(tried)) {
                    high = middle;
                    current = candidate;
                    shrinking.shrunk = tried;
                    smaller = true;
                } else {
                    low = middle + 1;
                }
            }
        }
    }
    if (settings.save && !(current.answers == failing.answers) && !stop.now) {
        // The smallest failing case once more, to save its files.
        CaseResult saved;
        if (judge_alone(settings, current, stop, saved, "-shrunk") && fails(saved))
            shrinking.shrunk = saved;
    }
    return shrinking;
}

}  // namespace

bool passed(Verdict verdict)
{
    return verdict == Verdict::ok;
}

CaseSource made_case(const Settings& settings, int index)
{
    const std::vector<Preset>& presets = settings.exercise->presets[static_cast<int>(settings.size)];
    const Preset& preset = presets[static_cast<std::size_t>(index) % presets.size()];
    CaseSource source;
    source.name = std::to_string(index + 1);
    source.index = static_cast<std::size_t>(index);
    source.seed = static_cast<std::uint32_t>(settings.seed + static_cast<std::uint32_t>(index));
    source.maker = preset.maker;
    std::string answers = settings.answers.value_or(preset.answers);
    if (settings.exercise->options_maker && settings.price_ceiling > 0 &&
        answers.find("--max-price") == std::string::npos)
        answers += " --max-price " + std::to_string(settings.price_ceiling);
    source.answers = Answers(answers);
    return source;
}

std::vector<CaseSource> stored_cases(const std::string& folder, std::string& error)
{
    std::vector<CaseSource> cases;
    std::error_code failure;
    fs::directory_iterator entries(folder, failure);
    if (failure) {
        error = "cannot read the cases folder " + folder + ": " + failure.message();
        return cases;
    }
    for (const fs::directory_entry& entry : entries) {
        const fs::path& path = entry.path();
        if (path.extension() != ".in" || !entry.is_regular_file(failure))
            continue;
        CaseSource source;
        source.name = path.stem().string();
        source.input = path.string();
        const fs::path answer = fs::path(path).replace_extension(".ans");
        if (fs::is_regular_file(answer, failure))
            source.expected = answer.string();
        cases.push_back(std::move(source));
    }
    std::sort(cases.begin(), cases.end(), [](const CaseSource& a, const CaseSource& b) { return a.name < b.name; });
    for (std::size_t i = 0; i < cases.size(); ++i) {
        cases[i].index = i;
        if (!std::ifstream(cases[i].input)) {
            error = "cannot read the case " + cases[i].input;
            return {};
        }
    }
    if (cases.empty())
        error = "no cases (NAME.in files) in " + folder;
    return cases;
}

Result judge_cases(const Settings& settings, const std::vector<CaseSource>& cases, const Progress& progress)
{
    return run_pool(settings, cases, progress, false);
}

Result stress(const Settings& settings, const Progress& progress)
{
    std::vector<CaseSource> sources;
    for (int i = 0; i < settings.cases; ++i)
        sources.push_back(made_case(settings, i));
    Result result = run_pool(settings, sources, progress, true);
    const std::vector<CaseResult>& cases = result.solutions.front().cases;
    if (!result.setup_error.empty() || cases.empty() || !fails(cases.back()) || interruption() != 0)
        return result;
    const CaseResult& failure = cases.back();
    Stop stop;
    result.shrinking = shrink(settings, sources[failure.index], failure, stop);
    if (!stop.setup_error.empty())
        result.setup_error = stop.setup_error;
    return result;
}

}  // namespace judge
