// The content reducer: one shrinker run per step, one judging per
// candidate it gives.

#include "judge/judging/reducing.hpp"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "judge/base/failure.hpp"
#include "judge/base/files.hpp"
#include "judge/judging/runs.hpp"
#include "judge/judging/shrinking.hpp"
#include "judge/run/process.hpp"

namespace judge {

namespace {

using Clock = std::chrono::steady_clock;

// One reduction: the case it holds, the verdict every candidate must keep,
// and what is left of the budget.
class Reducer {
public:
    Reducer(const Settings& settings, Shrinking& shrinking, Clock::time_point deadline)
        : settings_(settings), shrinking_(shrinking), deadline_(deadline),
          verdict_(shrinking.shrunk.verdict), folder_(new_case_folder(settings) + "-steps")
    {
        std::error_code error;
        std::filesystem::create_directories(folder_, error);
        if (error)
            throw SetupError("cannot create " + folder_ + ": " + error.message());
    }
    ~Reducer() { remove_folder(folder_); }
    Reducer(const Reducer&) = delete;
    Reducer& operator=(const Reducer&) = delete;

    // Judges the case to start from; false when it no longer fails alike.
    bool start(const CaseSource& failing)
    {
        source_ = failing;
        CaseTexts texts;
        const CaseResult result = judge_alone(settings_, failing, std::nullopt, &texts);
        ++shrinking_.attempts;
        ++texts_.attempts;
        if (result.verdict != verdict_)
            return false;
        source_.seed.reset();
        source_.maker.clear();
        source_.answers = Answers();
        source_.content = texts.input;
        return keep(texts.input);
    }

    bool left() const { return shrinking_.attempts < settings_.shrink_budget.attempts && Clock::now() < deadline_; }

    // One pass over the items, in chunks from half of them down to one.
    bool drop_items()
    {
        bool helped = false;
        std::size_t items = count("--items");
        for (std::size_t chunk = std::max<std::size_t>(items / 2, 1); chunk >= 1 && items > 0 && left(); chunk /= 2) {
            for (std::size_t from = 0; from < items && left();) {
                const std::size_t taken = std::min(chunk, items - from);
                if (try_step({"--drop", std::to_string(from), std::to_string(taken)})) {
                    helped = true;
                    items = count("--items");
                } else {
                    from += taken;
                }
            }
            if (chunk == 1)
                break;
        }
        return helped;
    }

    // One pass over the numbers: each tried at 0, else halved toward it as
    // far as it still fails; then each value that several numbers share,
    // all of them together.
    bool move_numbers()
    {
        bool helped = false;
        const std::optional<std::string> listed = step({"--values"});
        if (!listed)
            return false;
        std::vector<std::int64_t> values;
        for (std::size_t at = 0; at < listed->size();) {
            const std::size_t end = listed->find('\n', at);
            values.push_back(std::stoll(listed->substr(at, end - at)));
            at = end == std::string::npos ? listed->size() : end + 1;
        }
        for (std::size_t index = 0; index < values.size() && left(); ++index)
            if (move_toward_zero({index}, values[index])) {
                helped = true;
                values[index] = last_value_;
            }
        std::map<std::int64_t, std::vector<std::size_t>> shared;
        for (std::size_t index = 0; index < values.size(); ++index)
            shared[values[index]].push_back(index);
        for (const auto& [value, indexes] : shared)
            if (indexes.size() > 1 && left())
                helped = move_toward_zero(indexes, value) || helped;
        return helped;
    }

    // The case and its outputs, once a step helped.
    std::optional<ShrunkContent> content() const
    {
        if (steps_kept_ == 0)
            return std::nullopt;
        return texts_;
    }

    const CaseSource& source() const { return source_; }

private:
    // Tries 0, then bisects between the nearest value known not to fail
    // alike and the value, which does.
    bool move_toward_zero(const std::vector<std::size_t>& indexes, std::int64_t value)
    {
        last_value_ = value;
        if (value == 0)
            return false;
        const auto set = [&](std::int64_t to) {
            std::vector<std::string> arguments{"--set"};
            for (const std::size_t index : indexes)
                arguments.insert(arguments.end(), {std::to_string(index), std::to_string(to)});
            if (!try_step(arguments))
                return false;
            last_value_ = to;
            return true;
        };
        if (set(0))
            return true;
        std::int64_t refused = 0;
        std::int64_t fails = value;
        bool helped = false;
        while (left()) {
            const std::int64_t middle = refused + (fails - refused) / 2;
            if (middle == refused)
                break;
            if (set(middle)) {
                fails = middle;
                helped = true;
            } else {
                refused = middle;
            }
        }
        return helped;
    }

    // A shrinker run on the current case: its output, or none when it
    // refused the step.
    std::optional<std::string> step(const std::vector<std::string>& arguments)
    {
        Launch launch;
        launch.argv = {settings_.road.shrinker};
        launch.argv.insert(launch.argv.end(), arguments.begin(), arguments.end());
        launch.input = folder_ + "/current.in";
        launch.output = folder_ + "/step.out";
        launch.error = folder_ + "/step.err";
        launch.limits.wall_seconds = settings_.road.wall_seconds;
        const Outcome outcome = run(launch);
        if (outcome.ending == Ending::interrupted)
            throw Interrupted(interruption());
        if (outcome.ending == Ending::not_started)
            throw SetupError("cannot run the shrinker: " + outcome.why);
        if (outcome.ending != Ending::exited || outcome.code != 0)
            return std::nullopt;
        return read_text(launch.output);
    }

    std::size_t count(const char* what)
    {
        const std::optional<std::string> text = step({what});
        return text ? static_cast<std::size_t>(std::stoull(*text)) : 0;
    }

    // The step's candidate judged, and kept when it fails alike.
    bool try_step(const std::vector<std::string>& arguments)
    {
        const std::optional<std::string> candidate = step(arguments);
        if (!candidate || *candidate == source_.content)
            return false;
        CaseSource tried = source_;
        tried.content = *candidate;
        CaseTexts texts;
        const CaseResult result = judge_alone(settings_, tried, std::nullopt, &texts);
        ++shrinking_.attempts;
        ++texts_.attempts;
        if (result.verdict != verdict_)
            return false;
        source_ = std::move(tried);
        shrinking_.shrunk = result;
        texts_.expected = texts.expected;
        texts_.found = texts.found;
        ++steps_kept_;
        return keep(*candidate);
    }

    // The case the next steps start from.
    bool keep(const std::string& text)
    {
        texts_.input = text;
        if (!save_text(text, folder_ + "/current.in"))
            throw SetupError("cannot write " + folder_ + "/current.in");
        return true;
    }

    const Settings& settings_;
    Shrinking& shrinking_;
    const Clock::time_point deadline_;
    const Verdict verdict_;
    const std::string folder_;
    CaseSource source_;
    ShrunkContent texts_;
    int steps_kept_ = 0;
    std::int64_t last_value_ = 0;  // where the last move left its numbers
};

}  // namespace

CaseSource reduce(const Settings& settings, const CaseSource& failing, Shrinking& shrinking,
                  Clock::time_point deadline)
{
    if (settings.road.shrinker.empty())
        return failing;
    const Clock::time_point began = Clock::now();
    Reducer reducer(settings, shrinking, deadline);
    if (!reducer.left() || !reducer.start(failing))
        return failing;
    for (bool helped = true; helped && reducer.left();) {
        helped = reducer.drop_items();
        helped = reducer.move_numbers() || helped;
    }
    std::optional<ShrunkContent> content = reducer.content();
    if (!content)
        return failing;
    content->seconds = std::chrono::duration<double>(Clock::now() - began).count();
    shrinking.content = std::move(content);
    return reducer.source();
}

}  // namespace judge
