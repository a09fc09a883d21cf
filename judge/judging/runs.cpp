// A solution's run on a case, its verdict, its saved files and its replay
// line.

#include "judge/judging/runs.hpp"

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "judge/base/failure.hpp"
#include "judge/base/files.hpp"
#include "judge/base/text.hpp"
#include "judge/cases/road.hpp"
#include "judge/judging/compare.hpp"

namespace judge {

namespace fs = std::filesystem;

namespace {

// How much of a solution's standard error the judge reads for its message.
constexpr std::size_t message_tail = 4096;

// Where the index-th solution's files lie in the case's folder.
std::string own_folder_of(const PreparedCase& prepared, std::size_t index)
{
    return prepared.folder() + "/" + std::to_string(index + 1);
}

// One shell line that replays the case for the solution: the maker's
// output piped into it, or the case (saved_case, else where it lies)
// given to it. A source is built first, in a folder of its own; the line
// runs in a subshell that removes every folder it makes as it ends.
std::string replay_line(const Settings& settings, const PreparedCase& prepared, const Solution& solution,
                        const std::string& saved_case)
{
    const CaseSource& source = prepared.source();
    const Maker* maker = source.seed ? settings.exercise->maker(source.maker) : nullptr;
    const bool options_maker = maker != nullptr && maker->takes == Takes::options;
    const bool case_folder = options_maker && saved_case.empty();
    std::string line;
    if (case_folder || solution.replay_in_folder) {
        line = "(";
        line += case_folder ? "c=$(mktemp -d) && " : "";
        line += solution.replay_in_folder ? "d=$(mktemp -d) && " : "";
        line += std::string("trap 'rm -rf") + (case_folder ? " \"$c\"" : "") +
                (solution.replay_in_folder ? " \"$d\"" : "") + "' EXIT && ";
    }
    // A case given as its text is given as its text again: its folder goes
    // with the judging.
    if (source.content && saved_case.empty())
        return line + solution.replay_build + "printf " + shell_quote(printf_format(*source.content)) + " | " +
               solution.replay_command + (line.empty() ? "" : ")");
    std::string input = shell_quote(!saved_case.empty() ? saved_case : prepared.case_file());
    if (case_folder) {
        line += shell_line(prepared.maker_argv()) + " " + maker->output_option + " \"$c/case.in\" > /dev/null && ";
        input = "\"$c/case.in\"";
    }
    line += solution.replay_build;
    if (maker != nullptr && !options_maker)
        line += "printf " + shell_quote(printf_format(source.answers.text())) + " | " +
                shell_line(prepared.maker_argv()) + " 2>/dev/null | " + solution.replay_command;
    else
        line += solution.replay_command + " < " + input;
    return line + (line[0] == '(' ? ")" : "");
}

}  // namespace

CaseResult identity(const CaseSource& source)
{
    CaseResult result;
    result.name = source.name;
    result.index = source.index;
    result.seed = source.seed;
    result.maker = source.maker;
    result.answers = source.answers.text();
    result.label = source.answers.label();
    result.group = source.group;
    if (source.content) {
        result.bytes = source.content->size();
    } else if (!source.seed) {
        std::error_code error;
        const std::uintmax_t bytes = fs::file_size(source.input, error);
        result.bytes = error ? 0 : bytes;
    }
    return result;
}

CaseResult not_compiled(const CaseSource& source, const Solution& solution)
{
    CaseResult result = identity(source);
    result.verdict = Verdict::compilation_error;
    result.detail = solution.compilation.detail;
    return result;
}

CaseResult run_on(const Settings& settings, const PreparedCase& prepared, const Solution& solution,
                  std::size_t index)
{
    CaseResult result = identity(prepared.source());
    if (const std::optional<Unusable>& unusable = prepared.unusable()) {
        result.verdict = Verdict::invalid_case;
        result.detail = describe(*unusable);
        return result;
    }
    const std::string own = own_folder_of(prepared, index);
    std::error_code error;
    fs::create_directories(own + "/work", error);
    if (error)
        throw SetupError("cannot create " + own + ": " + error.message());
    Launch launch;
    // A command is the user's own and sees the suite; a solution named as a
    // source or a program does not.
    settings.sandbox.prepare(launch, solution.command, own + "/work", solution.exposed,
                             solution.source.empty() ? SuiteAccess::shown : SuiteAccess::hidden);
    launch.input = prepared.case_file();
    launch.output = own + "/out";
    launch.error = own + "/err";
    launch.limits = settings.limits;
    const Outcome outcome = run(launch);
    if (outcome.ending == Ending::interrupted)
        throw Interrupted(interruption());
    if (outcome.ending == Ending::not_started)
        throw SetupError("cannot run the solution: " + outcome.why);
    result.ran = true;
    result.cpu_seconds = outcome.cpu_seconds;
    result.wall_seconds = outcome.wall_seconds;
    result.memory_bytes = outcome.peak_memory_bytes;
    const std::uintmax_t written = fs::file_size(launch.output, error);
    if (const auto judgement = judge_ending(outcome, settings.limits, error ? 0 : written)) {
        result.verdict = judgement->verdict;
        result.detail = judgement->detail;
        if (judgement->verdict == Verdict::runtime_error) {
            const std::string message = last_words(read_tail(launch.error, message_tail));
            if (!message.empty())
                result.detail += "; its last line on standard error: \"" + message + "\"";
        }
    } else {
        const Difference difference =
            compare_outputs(prepared.expected_file(), launch.output, settings.exercise->clock_line());
        if (!difference.same) {
            result.verdict = Verdict::wrong_answer;
            result.detail = describe(difference);
        }
    }
    result.replay = replay_line(settings, prepared, solution, "");
    return result;
}

void save_failure(const Settings& settings, const PreparedCase& prepared, const Solution& solution,
                  std::size_t index, const std::string& suffix, CaseResult& result)
{
    const CaseSource& source = prepared.source();
    std::string name = (source.seed ? "seed-" + std::to_string(*source.seed) : source.name) + suffix;
    if (settings.solutions.size() > 1) {
        std::string own = solution.name;
        std::replace(own.begin(), own.end(), '/', '_');
        std::error_code error;
        fs::create_directory(*settings.save + "/" + own, error);
        name = own + "/" + name;
    }
    const std::string to = *settings.save + "/" + name;
    const std::string own = own_folder_of(prepared, index);
    bool saved = save_file(prepared.case_file(), to + ".in") && save_file(prepared.expected_file(), to + ".ans");
    if (result.ran)
        saved = save_file(own + "/out", to + ".out") && saved;
    saved = save_text(replay_line(settings, prepared, solution, to + ".in") + "\n", to + ".cmd") && saved;
    if (saved)
        result.saved = name;
}

std::string new_case_folder(const Settings& settings)
{
    static std::atomic<int> count{0};
    return settings.temporary + "/case-" + std::to_string(++count);
}

CaseResult judge_alone(const Settings& settings, const CaseSource& source, const std::optional<std::string>& suffix,
                       CaseTexts* texts)
{
    const Solution& solution = settings.solutions.front();
    if (!solution.compilation.ok)
        return not_compiled(source, solution);
    PreparedCase prepared(settings.road, source, new_case_folder(settings));
    prepared.prepare();
    CaseResult result = run_on(settings, prepared, solution, 0);
    if (!passed(result.verdict) && settings.save && suffix)
        save_failure(settings, prepared, solution, 0, *suffix, result);
    if (texts != nullptr) {
        texts->input = read_text(prepared.case_file(), texts_most);
        texts->expected = prepared.expected_file().empty() ? "" : read_text(prepared.expected_file(), texts_most);
        texts->found = result.ran ? read_text(own_folder_of(prepared, 0) + "/out", texts_most) : "";
    }
    return result;
}

}  // namespace judge
