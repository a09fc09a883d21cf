// The road of one case, the pool that runs cases side by side, and the
// stress run with its shrinking.

#include "judge/judging.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <thread>

#include "judge/compare.hpp"
#include "judge/process.hpp"
#include "judge/text.hpp"

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

// A word as the shell reads it back: in single quotes where it needs them.
std::string shell_quote(const std::string& word)
{
    const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || std::string_view("/._-+=:,@%").find(c) != std::string_view::npos;
    });
    if (plain)
        return word;
    std::string quoted = "'";
    for (const char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Text as a printf format that prints it.
std::string printf_format(const std::string& text)
{
    std::string format;
    for (const char c : text) {
        if (c == '\n')
            format += "\\n";
        else if (c == '\\')
            format += "\\\\";
        else if (c == '%')
            format += "%%";
        else
            format += c;
    }
    return format;
}

std::string size_label(std::uintmax_t bytes)
{
    return std::to_string(bytes) + " bytes";
}

// Writes a new file at path through fill (given its descriptor): into a
// fresh name beside it, then renamed over whatever path was, a symbolic
// link included. False when it could not be written.
template <typename Fill>
bool write_anew(const std::string& path, Fill fill)
{
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::fchmod(fd, 0644) == 0 && fill(fd);
    if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool write_all(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

bool save_text(const std::string& text, const std::string& to)
{
    return write_anew(to, [&](int fd) { return write_all(fd, text.data(), text.size()); });
}

// A copy of the file from at to; true when there is nothing to copy.
bool save_file(const std::string& from, const std::string& to)
{
    if (from.empty())
        return true;
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno == ENOENT;
    const bool copied = write_anew(to, [&](int out) {
        char block[1 << 16];
        for (;;) {
            const ssize_t got = ::read(in, block, sizeof block);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return got == 0;
            if (!write_all(out, block, static_cast<std::size_t>(got)))
                return false;
        }
    });
    ::close(in);
    return copied;
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

// Judges one case in a folder of the judge's own, removed at the end (after
// the files of a failing case are copied to the save folder).
class CaseJudge {
public:
    CaseJudge(const Settings& settings, const CaseSource& source, Stop& stop)
        : settings_(settings), source_(source), stop_(stop), folder_(new_folder(settings))
    {
        result_.name = source.name;
        result_.seed = source.seed;
        result_.maker = source.maker;
        result_.answers = source.answers.text();
        result_.size = source.answers.label();
    }
    ~CaseJudge() { remove_folder(folder_); }
    CaseJudge(const CaseJudge&) = delete;
    CaseJudge& operator=(const CaseJudge&) = delete;

    // False when the judging stopped (interrupted, or a setup error).
    bool judge()
    {
        std::error_code error;
        fs::create_directories(folder_ + "/work", error);
        if (error) {
            stop_.setup_failed("cannot create " + folder_ + ": " + error.message());
            return false;
        }
        return obtain_case() && validate_and_answer() && run_solution();
    }

    const CaseResult& result() const { return result_; }

    // Copies the case, the expected and the found output and a replay
    // command to the save folder, under save_name. Each file is written
    // anew and renamed into place: a link planted there is replaced, never
    // followed.
    void save(const std::string& save_name)
    {
        const std::string to = *settings_.save + "/" + save_name;
        bool saved = save_file(case_file_, to + ".in") && save_file(expected_file_, to + ".ans");
        if (result_.ran)
            saved = save_file(folder_ + "/out", to + ".out") && saved;
        saved = save_text(replay_command(to + ".in") + "\n", to + ".cmd") && saved;
        if (saved)
            result_.saved = save_name;
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

    // A helper's run; false when the judging must stop.
    bool run_helper(const Launch& launch, Outcome& outcome)
    {
        outcome = run(launch);
        return goes_on(outcome);
    }

    bool invalid(const std::string& why)
    {
        result_.verdict = Verdict::invalid_case;
        result_.detail = why;
        return false;
    }

    std::vector<std::string> maker_argv() const
    {
        const std::string& maker = settings_.makers.at(source_.maker);
        std::vector<std::string> argv{maker, "--seed", std::to_string(*source_.seed)};
        if (settings_.exercise->options_maker) {
            for (std::size_t i = 0; i < source_.answers.count(); ++i)
                argv.push_back(source_.answers.token(i));
        }
        return argv;
    }

    bool obtain_case()
    {
        if (!source_.seed) {
            case_file_ = source_.input;
            std::error_code error;
            result_.size = size_label(fs::file_size(case_file_, error));
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
        Outcome outcome;
        if (!run_helper(launch, outcome))
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
        std::vector<std::string> argv{settings_.validator};
        argv.insert(argv.end(), settings_.validator_options.begin(), settings_.validator_options.end());
        argv.push_back(case_file_);
        Launch validation = helper(argv);
        validation.error = folder_ + "/validator.err";

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
        Outcome validated;
        Outcome answered;
        std::thread reference;
        if (answer)
            reference = std::thread([&] { answered = run(*answer); });
        validated = run(validation);
        if (reference.joinable())
            reference.join();

        if (!goes_on(validated) || (answer && !goes_on(answered)))
            return false;
        if (!ended_well(validated)) {
            const std::string message = first_line(validation.error);
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

    bool run_solution()
    {
        Launch launch;
        settings_.sandbox.prepare(launch, settings_.command, folder_ + "/work");
        launch.input = case_file_;
        launch.output = folder_ + "/out";
        launch.error = folder_ + "/err";
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
        result_.ran = true;
        result_.cpu_seconds = outcome.cpu_seconds;
        result_.wall_seconds = outcome.wall_seconds;
        result_.memory_bytes = outcome.peak_memory_bytes;
        std::error_code error;
        const std::uintmax_t written = fs::file_size(launch.output, error);
        if (const auto judgement = judge_ending(outcome, settings_.bounds, error ? 0 : written)) {
            result_.verdict = judgement->verdict;
            result_.detail = judgement->detail;
            if (judgement->verdict == Verdict::runtime_error) {
                const std::string message = message_in(launch.error);
                if (!message.empty())
                    result_.detail += "; its last line on standard error: \"" + message + "\"";
            }
            return true;
        }
        const Difference difference = compare_outputs(expected_file_, launch.output, settings_.exercise->clock_line);
        if (!difference.same) {
            result_.verdict = Verdict::wrong_answer;
            result_.detail = describe(difference);
        }
        return true;
    }

    // One shell line that replays the case: the maker's output piped into
    // the solution, or the saved case given to it.
    std::string replay_command(const std::string& saved_case) const
    {
        const std::string solution = shell_line(settings_.command);
        if (source_.seed && !settings_.exercise->options_maker)
            return "printf " + shell_quote(printf_format(source_.answers.text())) + " | " + shell_line(maker_argv()) +
                   " 2>/dev/null | " + solution;
        return solution + " < " + shell_quote(saved_case);
    }

    const Settings& settings_;
    const CaseSource& source_;
    Stop& stop_;
    const std::string folder_;
    std::string case_file_;
    std::string expected_file_;
    CaseResult result_;
};

// The name a failing case is saved under.
std::string save_name(const CaseSource& source, const char* suffix = "")
{
    return (source.seed ? "seed-" + std::to_string(*source.seed) : source.name) + suffix;
}

// Judges one case; false when the judging stopped.
bool judge_one(const Settings& settings, const CaseSource& source, Stop& stop, CaseResult& result,
               const char* save_suffix = "")
{
    CaseJudge judge(settings, source, stop);
    if (!judge.judge() && stop.now)
        return false;
    if (!passed(judge.result().verdict) && settings.save && save_suffix != nullptr)
        judge.save(save_name(source, save_suffix));
    result = judge.result();
    return true;
}

// Runs judge_one over the sources, `jobs` at a time; the results stay in the
// sources' order. With stop_at_failure, no case after the first failing one
// is started, and the results end with it.
Result run_pool(const Settings& settings, const std::vector<CaseSource>& sources, const Progress& progress,
                bool stop_at_failure)
{
    if (sources.empty())
        return {};
    Stop stop;
    std::vector<std::optional<CaseResult>> results(sources.size());
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> first_failure{sources.size()};
    std::mutex report;
    int done = 0;
    const auto work = [&] {
        for (;;) {
            const std::size_t index = next++;
            if (index >= sources.size() || stop.now || index > first_failure || interruption() != 0)
                return;
            CaseResult result;
            if (!judge_one(settings, sources[index], stop, result))
                return;
            const std::lock_guard lock(report);
            if (stop_at_failure && !passed(result.verdict))
                first_failure = std::min<std::size_t>(first_failure, index);
            results[index] = result;
            if (progress)
                progress(result, ++done);
        }
    };
    const int threads = std::max(1, std::min<int>(settings.jobs, static_cast<int>(sources.size())));
    std::vector<std::thread> pool;
    for (int i = 1; i < threads; ++i)
        pool.emplace_back(work);
    work();
    for (std::thread& thread : pool)
        thread.join();

    Result outcome;
    outcome.setup_error = stop.setup_error;
    const std::size_t last = stop_at_failure ? std::min(first_failure.load(), sources.size() - 1) : sources.size() - 1;
    for (std::size_t i = 0; i <= last && i < results.size(); ++i) {
        if (!results[i])
            continue;
        outcome.cases.push_back(*results[i]);
        ++(passed(results[i]->verdict) ? outcome.passed : outcome.failed);
    }
    return outcome;
}

// True when a case fails in a way worth shrinking: the solution's fault.
bool fails(const CaseResult& result)
{
    return !passed(result.verdict) && result.verdict != Verdict::invalid_case;
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
                if (!judge_one(settings, candidate, stop, tried, nullptr))
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
        if (judge_one(settings, current, stop, saved, "-shrunk") && fails(saved))
            shrinking.shrunk = saved;
    }
    return shrinking;
}

}  // namespace

std::string shell_line(const std::vector<std::string>& words)
{
    std::string line;
    for (const std::string& word : words)
        line += (line.empty() ? "" : " ") + shell_quote(word);
    return line;
}

// Gives the owner every permission on a folder and the folders under it.
void open_up(const fs::path& folder)
{
    std::error_code error;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, error);
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
        if (entry->is_directory(error) && !entry->is_symlink(error))
            open_up(entry->path());
}

void remove_folder(const std::string& path)
{
    std::error_code error;
    if (fs::remove_all(path, error) != static_cast<std::uintmax_t>(-1) && !error)
        return;
    open_up(path);
    fs::remove_all(path, error);
}

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
    for (const CaseSource& source : cases) {
        std::ifstream file(source.input);
        if (!file) {
            error = "cannot read the case " + source.input;
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
    if (!result.setup_error.empty() || result.cases.empty() || !fails(result.cases.back()) ||
        interruption() != 0)
        return result;
    const CaseResult& failure = result.cases.back();
    const std::size_t index = static_cast<std::size_t>(std::stoi(failure.name) - 1);
    Stop stop;
    result.shrinking = shrink(settings, sources[index], failure, stop);
    if (!stop.setup_error.empty())
        result.setup_error = stop.setup_error;
    return result;
}

}  // namespace judge
