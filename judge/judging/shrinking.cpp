// Shrinking by the answers: a bisection per shrinkable answer, repeated
// while any answer got smaller; then by the content (reducing.cpp).

#include "judge/judging/shrinking.hpp"

#include <algorithm>
#include <chrono>

#include "judge/judging/reducing.hpp"
#include "judge/judging/runs.hpp"

namespace judge {

namespace {

// The most cases a shrink by the answers judges before it settles for
// what it has; the content shrink has the rest of the budget.
constexpr int answer_attempts = 200;

}  // namespace

bool fails(const CaseResult& result)
{
    return !passed(result.verdict) && result.verdict != Verdict::invalid_case &&
           result.verdict != Verdict::compilation_error;
}

Shrinking shrink(const Settings& settings, const CaseSource& failing, const CaseResult& result)
{
    Shrinking shrinking{result, result, 0, std::nullopt};
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(settings.shrink_budget.seconds));
    const int shrink_attempts = std::min(answer_attempts, settings.shrink_budget.attempts);
    const auto left = [&] { return shrinking.attempts < shrink_attempts && Clock::now() < deadline; };
    CaseSource current = failing;
    const std::vector<Shrinkable>& fields = settings.exercise->shrinkable;
    for (bool smaller = true; smaller && left();) {
        smaller = false;
        for (const Shrinkable& field : fields) {
            const std::optional<std::size_t> index = current.answers.index_of(field);
            const std::optional<std::int64_t> value = index ? current.answers.number(*index) : std::nullopt;
            if (!value)
                continue;
            std::int64_t low = field.least;
            std::int64_t high = *value;  // fails
            while (low < high && left()) {
                const std::int64_t middle = low + (high - low) / 2;
                CaseSource candidate = current;
                candidate.answers.set(*index, middle);
                keep_consistent(fields, candidate.answers);
                ++shrinking.attempts;
                const CaseResult tried = judge_alone(settings, candidate, std::nullopt);
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
    const CaseSource reduced = reduce(settings, current, shrinking, deadline);
    if (shrinking.content && settings.save) {
        // Saved under the name a shrunk made case has.
        CaseSource named = reduced;
        named.name = "seed-" + std::to_string(*current.seed);
        CaseResult saved = judge_alone(settings, named, "-shrunk");
        saved.name = reduced.name;
        if (saved.verdict == shrinking.shrunk.verdict)
            shrinking.shrunk = saved;
    } else if (settings.save && !(current.answers == failing.answers)) {
        // The smallest failing case once more, to save its files.
        const CaseResult saved = judge_alone(settings, current, "-shrunk");
        if (fails(saved))
            shrinking.shrunk = saved;
    }
    return shrinking;
}

}  // namespace judge
