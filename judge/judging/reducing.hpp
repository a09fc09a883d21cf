// Shrinking a failing case by its content, in the manner of delta
// debugging: the exercise's shrinker (common/shrink_steps.hpp) asked for
// the case without chunks of its items, halved down to single items, then
// with each number moved toward 0, each candidate kept when it is a valid
// case, in the makers' layout, on which the solution fails with the same
// verdict; repeated while any step helped, within the shrink's budget.
#pragma once

#include <chrono>

#include "judge/cases/road.hpp"
#include "judge/judging/result.hpp"
#include "judge/judging/settings.hpp"

namespace judge {

// Shrinks the content of `failing`, the case shrinking.shrunk was judged
// on, until the deadline or settings.shrink_budget.attempts in all; sets
// shrinking.content and shrinking.shrunk when a step helped and counts
// every case it judged in shrinking.attempts. Returns the source of the
// case it ended on, which is `failing` when nothing helped. Does nothing
// for an exercise without a shrinker.
CaseSource reduce(const Settings& settings, const CaseSource& failing, Shrinking& shrinking,
                  std::chrono::steady_clock::time_point deadline);

}  // namespace judge
