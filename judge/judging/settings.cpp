// The limits' policy.

#include "judge/judging/settings.hpp"

#include <algorithm>

namespace judge {

namespace {

// The least wall time a maker, validator or reference gets.
constexpr double least_helper_wall_seconds = 60;

}  // namespace

Limits solution_limits(double cpu_seconds, std::uint64_t memory_megabytes, std::uint64_t output_megabytes,
                       int processes)
{
    Limits limits;
    limits.cpu_seconds = cpu_seconds;
    limits.wall_seconds = 2 * cpu_seconds + 1;
    limits.memory_bytes = memory_megabytes << 20;
    limits.file_bytes = output_megabytes << 20;
    limits.processes = processes;
    return limits;
}

double helper_wall_seconds(const Limits& limits)
{
    return std::max(least_helper_wall_seconds, 10 * limits.wall_seconds);
}

}  // namespace judge
