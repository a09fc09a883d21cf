// Shrinking a --stress failure: the failing case made again with ever
// smaller answers at the same seed, while it still fails.
#pragma once

#include "judge/cases/road.hpp"
#include "judge/judging/result.hpp"
#include "judge/judging/settings.hpp"

namespace judge {

// True when a case fails in a way worth shrinking: the solution's fault.
bool fails(const CaseResult& result);

// The smallest case found that still fails as `result` did on `failing`.
Shrinking shrink(const Settings& settings, const CaseSource& failing, const CaseResult& result);

}  // namespace judge
