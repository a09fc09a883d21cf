// Counting and scoring a judging's result: an invalid case counts against
// no solution (it is listed once and left out of every count); each
// solution's cases passed and failed, by group too; and its score, for
// each group its points times the share of its cases passed (with
// all_or_nothing, its points only when every case passed). A group
// without points of its own is worth its share of 100 spread over the
// cases.
#pragma once

#include <vector>

#include "judge/judging/result.hpp"
#include "judge/judging/settings.hpp"

namespace judge {

void tally(Result& result, const std::vector<Group>& groups, bool all_or_nothing);

// "73.33", "100", "0.5": a score as the reports write it.
std::string score_text(double score);

}  // namespace judge
