// Shrinking by the answers: a bisection per shrinkable answer, repeated
// while any answer got smaller.

#include "judge/judging/shrinking.hpp"

#include "judge/judging/runs.hpp"

namespace judge {

namespace {

// The most cases a shrink judges before it settles for what it has.
constexpr int shrink_attempts = 200;

}  // namespace

bool fails(const CaseResult& result)
{
    return !passed(result.verdict) && result.verdict != Verdict::invalid_case &&
           result.verdict != Verdict::compilation_error;
}

Shrinking shrink(const Settings& settings, const CaseSource& failing, const CaseResult& result)
{
    Shrinking shrinking{result, result, 0};
    CaseSource current = failing;
    const std::vector<Shrinkable>& fields = settings.exercise->shrinkable;
    for (bool smaller = true; smaller && shrinking.attempts < shrink_attempts;) {
        smaller = false;
        for (const Shrinkable& field : fields) {
            const std::optional<std::size_t> index = current.answers.index_of(field);
            const std::optional<std::int64_t> value = index ? current.answers.number(*index) : std::nullopt;
            if (!value)
                continue;
            std::int64_t low = field.least;
            std::int64_t high = *value;  // fails
            while (low < high && shrinking.attempts < shrink_attempts) {
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
    if (settings.save && !(current.answers == failing.answers)) {
        // The smallest failing case once more, to save its files.
        const CaseResult saved = judge_alone(settings, current, "-shrunk");
        if (fails(saved))
            shrinking.shrunk = saved;
    }
    return shrinking;
}

}  // namespace judge
