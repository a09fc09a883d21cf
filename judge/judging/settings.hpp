// What a judging run is set up from, built in one place for every program
// on the judge: the limits' policy (a solution's wall time from its
// processor time, the helpers' wall time from the solution's).
#pragma once

#include <cstdint>

#include "judge/run/process.hpp"

namespace judge {

// A solution's limits from the options: wall time is twice the processor
// time plus one second.
Limits solution_limits(double cpu_seconds, std::uint64_t memory_megabytes, std::uint64_t output_megabytes,
                       int processes);

// The wall time the makers, validators and references get: ten times the
// solution's, at least a minute.
double helper_wall_seconds(const Limits& limits);

}  // namespace judge
