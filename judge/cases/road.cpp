// Cases made and stored, and the road each takes: made, validated and
// answered once.

#include "judge/cases/road.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "judge/base/failure.hpp"
#include "judge/base/files.hpp"
#include "judge/base/text.hpp"
#include "judge/run/process.hpp"
#include "judge/run/programs.hpp"

namespace judge {

namespace fs = std::filesystem;

namespace {

// How much of a program's standard output and error the road keeps for
// its words.
constexpr std::size_t words_tail = 4096;

// The longest message quoted from a program.
constexpr std::size_t message_length = 200;

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

// A helper's run: trusted, limited in wall time only.
Launch helper(std::vector<std::string> argv, double wall_seconds)
{
    Launch launch;
    launch.argv = std::move(argv);
    launch.limits.wall_seconds = wall_seconds;
    return launch;
}

// Throws when the road cannot go on after a helper's run: the judge was
// interrupted, or the helper could not be started.
void go_on_after(const Outcome& outcome)
{
    if (outcome.ending == Ending::interrupted)
        throw Interrupted(interruption());
    if (outcome.ending == Ending::not_started)
        throw SetupError(outcome.why);
}

Unusable unusable_by(Unusable::Step step, const std::string& program, const Outcome& outcome,
                     const std::string& error_file, const std::string& output_file = "")
{
    Unusable unusable;
    unusable.step = step;
    unusable.program = program;
    unusable.how = how_it_ended(outcome);
    unusable.rejected = step == Unusable::Step::validator && outcome.ending == Ending::exited && outcome.code == 1;
    unusable.error = read_tail(error_file, words_tail);
    if (!output_file.empty())
        unusable.output = read_tail(output_file, words_tail);
    return unusable;
}

}  // namespace

CaseSource made_case(const CaseMaking& making, int index, int place)
{
    const std::vector<Preset>& presets = making.exercise->presets[static_cast<int>(making.size)];
    const Preset& preset = presets[static_cast<std::size_t>(place) % presets.size()];
    CaseSource source;
    source.name = std::to_string(index + 1);
    source.index = static_cast<std::size_t>(index);
    source.seed = static_cast<std::uint32_t>(making.seed + static_cast<std::uint32_t>(index));
    source.maker = preset.maker;
    std::string answers = making.answers.value_or(preset.answers);
    // A reference that takes only part of the prices gets cases priced
    // for it, unless the answers say otherwise.
    const Maker* maker = making.exercise->maker(preset.maker);
    if (making.reference != nullptr && making.reference->price_ceiling && maker != nullptr &&
        !maker->price_option.empty() && answers.find(maker->price_option) == std::string::npos)
        answers += " " + maker->price_option + " " + std::to_string(*making.reference->price_ceiling);
    source.answers = Answers(answers);
    return source;
}

std::vector<CaseSource> stored_cases(const std::string& folder)
{
    std::vector<CaseSource> cases;
    std::error_code failure;
    fs::directory_iterator entries(folder, failure);
    if (failure)
        throw SetupError("cannot read the cases folder " + folder + ": " + failure.message());
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
        if (!std::ifstream(cases[i].input))
            throw SetupError("cannot read the case " + cases[i].input);
    }
    if (cases.empty())
        throw SetupError("no cases (NAME.in files) in " + folder);
    return cases;
}

Road make_road(const Exercise& exercise, const std::optional<std::string>& reference, bool makes_cases,
               double wall_seconds)
{
    Road road;
    road.exercise = &exercise;
    road.reference = suite_program(reference.value_or(exercise.reference().name), "reference");
    road.validator = suite_program(exercise.validator.name, "validator");
    // A case must suit the reference, where the validator can tell.
    const std::string reference_name = base_name(road.reference);
    if (!exercise.validator.for_option.empty() && exercise.solver(reference_name) != nullptr)
        road.validator_options = {exercise.validator.for_option, reference_name};
    if (makes_cases) {
        for (const Maker& maker : exercise.makers)
            road.makers.emplace(maker.name, suite_program(maker.name, "maker"));
        if (!exercise.shrinker.empty())
            road.shrinker = suite_program(exercise.shrinker, "shrinker");
    }
    road.wall_seconds = wall_seconds;
    return road;
}

std::string last_words(const std::string& text, const std::string& prefix)
{
    std::string line = last_line(text);
    if (!prefix.empty())
        if (const std::size_t at = line.find(prefix); at != std::string::npos)
            line.erase(0, at);
    return terminal_text(cut_to(line, message_length));
}

std::string describe(const Unusable& unusable)
{
    const auto with = [](const std::string& message) { return message.empty() ? "" : ": " + message; };
    switch (unusable.step) {
    case Unusable::Step::maker: {
        std::string message = last_words(unusable.error, unusable.program + ": ");
        if (message.empty())
            message = last_words(unusable.output);
        return unusable.program + " failed (" + unusable.how + ")" + with(message);
    }
    case Unusable::Step::validator: {
        // The validator's first line: the violation it found.
        const std::string first = unusable.error.substr(0, unusable.error.find('\n'));
        const std::string message = terminal_text(cut_to(first, message_length));
        if (unusable.rejected)
            return message;
        return unusable.program + " failed (" + unusable.how + ")" + with(message);
    }
    case Unusable::Step::reference:
        return "the reference " + unusable.program + " failed on it (" + unusable.how + ")" +
               with(last_words(unusable.error, unusable.program + ": "));
    }
    return "";
}

PreparedCase::PreparedCase(const Road& road, const CaseSource& source, std::string folder)
    : road_(road), source_(source), folder_(std::move(folder))
{
}

PreparedCase::~PreparedCase()
{
    remove_folder(folder_);
}

void PreparedCase::prepare()
{
    std::error_code error;
    fs::create_directories(folder_, error);
    if (error)
        throw SetupError("cannot create " + folder_ + ": " + error.message());
    make();
    if (!unusable_)
        validate_and_answer();
}

std::string PreparedCase::validator_report() const
{
    return read_text(folder_ + "/validator.out");
}

std::vector<std::string> PreparedCase::maker_argv() const
{
    std::vector<std::string> argv{road_.makers.at(source_.maker), "--seed", std::to_string(*source_.seed)};
    const Maker* maker = road_.exercise->maker(source_.maker);
    if (maker->takes == Takes::options)
        for (std::size_t i = 0; i < source_.answers.count(); ++i)
            argv.push_back(source_.answers.token(i));
    return argv;
}

void PreparedCase::make()
{
    if (source_.content) {
        case_file_ = folder_ + "/case.in";
        if (!save_text(*source_.content, case_file_))
            throw SetupError("cannot write " + case_file_);
        return;
    }
    if (!source_.seed) {
        case_file_ = source_.input;
        return;
    }
    case_file_ = folder_ + "/case.in";
    Launch launch = helper(maker_argv(), road_.wall_seconds);
    const Maker* maker = road_.exercise->maker(source_.maker);
    if (maker->takes == Takes::options) {
        launch.argv.insert(launch.argv.end(), {maker->output_option, case_file_});
        launch.directory = folder_;
        launch.output = folder_ + "/maker.out";
    } else {
        launch.input = folder_ + "/answers";
        if (!save_text(source_.answers.text(), launch.input))
            throw SetupError("cannot write " + launch.input);
        launch.output = case_file_;
    }
    launch.error = folder_ + "/maker.err";
    const Outcome outcome = run(launch);
    go_on_after(outcome);
    if (!ended_well(outcome))
        unusable_ = unusable_by(Unusable::Step::maker, source_.maker, outcome, launch.error,
                                maker->takes == Takes::options ? launch.output : "");
}

void PreparedCase::validate_and_answer()
{
    std::optional<Launch> validation;
    if (!road_.validator.empty()) {
        std::vector<std::string> argv{road_.validator};
        argv.insert(argv.end(), road_.validator_options.begin(), road_.validator_options.end());
        // A maker's case must have the maker's own layout too.
        if ((source_.seed || source_.content) && !road_.exercise->validator.strict_option.empty())
            argv.push_back(road_.exercise->validator.strict_option);
        argv.push_back(case_file_);
        validation = helper(argv, road_.wall_seconds);
        validation->output = folder_ + "/validator.out";
        validation->error = folder_ + "/validator.err";
    }
    std::optional<Launch> answer;
    if (source_.expected.empty()) {
        expected_file_ = folder_ + "/expected";
        answer = helper({road_.reference}, road_.wall_seconds);
        answer->input = case_file_;
        answer->output = expected_file_;
        answer->error = folder_ + "/reference.err";
    } else {
        expected_file_ = source_.expected;
    }
    // Side by side: both only read the case. The validator's word comes
    // first.
    Outcome answered;
    Outcome validated;
    std::thread reference;
    if (answer)
        reference = std::thread([&] { answered = run(*answer); });
    if (validation)
        validated = run(*validation);
    if (reference.joinable())
        reference.join();
    if (validation)
        go_on_after(validated);
    if (answer)
        go_on_after(answered);
    if (validation && !ended_well(validated))
        unusable_ = unusable_by(Unusable::Step::validator, base_name(road_.validator), validated, validation->error);
    else if (answer && !ended_well(answered))
        unusable_ = unusable_by(Unusable::Step::reference, base_name(road_.reference), answered, answer->error);
}

}  // namespace judge
