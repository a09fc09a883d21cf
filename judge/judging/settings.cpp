// The settings' one builder and the limits' policy.

#include "judge/judging/settings.hpp"

#include <algorithm>
#include <filesystem>

#include "judge/base/failure.hpp"
#include "judge/run/cgroup.hpp"

namespace judge {

namespace fs = std::filesystem;

namespace {

// The least wall time a maker, validator or reference gets.
constexpr double least_helper_wall_seconds = 60;

// A folder as a full path, made when missing.
std::string made_folder(const std::string& path)
{
    std::error_code error;
    fs::create_directories(path, error);
    if (error)
        throw SetupError("cannot create " + path + ": " + error.message());
    return fs::absolute(path).lexically_normal().string();
}

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

Limits default_limits()
{
    return solution_limits(10, 1024, 256, 256);
}

Limits default_compile_limits()
{
    return solution_limits(60, 2048, 64, 256);
}

double helper_wall_seconds(const Limits& limits)
{
    return std::max(least_helper_wall_seconds, 10 * limits.wall_seconds);
}

Settings build_settings(const Request& request, const TemporaryFolder& temporary,
                        const std::function<void(const std::string&)>& warn)
{
    Settings settings;
    settings.exercise = request.exercise;
    settings.road = make_road(*request.exercise, request.reference, request.makes_cases,
                              helper_wall_seconds(request.limits));
    settings.making = request.making;
    settings.making.exercise = request.exercise;
    settings.making.reference = request.exercise->solver(settings.road.reference);
    settings.groups = request.groups;
    settings.all_or_nothing = request.all_or_nothing;
    settings.cases = request.cases;
    settings.limits = request.limits;
    settings.compile_limits = request.compile_limits;
    settings.jobs = request.jobs;
    settings.shrink_budget = request.shrink_budget;
    if (request.save)
        settings.save = made_folder(*request.save);
    settings.temporary = temporary.path();
    SandboxChoice choice = request.sandbox;
    if (settings.save)
        choice.hidden.push_back(*settings.save);
    choice.limits = request.limits;
    settings.sandbox = choose_sandbox(choice, temporary, warn);
    settings.limits_by = measure_name(measure());
    return settings;
}

}  // namespace judge
