// What a judging is set up from, built in one place for every program on
// the judge (exercise-judge and exercise-package verify): the exercise's
// road (its programs found, their wall time from the solutions' limits),
// how cases are made, the limits' policy, the save folder and the sandbox.
// What cannot be set up is a SetupError.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "judge/cases/road.hpp"
#include "judge/run/process.hpp"
#include "judge/run/sandbox.hpp"
#include "judge/run/temporary.hpp"
#include "judge/solutions/solutions.hpp"

namespace judge {

// A solution's limits from the options: wall time is twice the processor
// time plus one second.
Limits solution_limits(double cpu_seconds, std::uint64_t memory_megabytes, std::uint64_t output_megabytes,
                       int processes);

// The limits of a judging that sets none: 10 s, 1024 MB, 256 MB of output,
// 256 processes; and of a compilation: 60 s, 2048 MB, 64 MB.
Limits default_limits();
Limits default_compile_limits();

// The wall time the makers, validators and references get: ten times the
// solution's, at least a minute.
double helper_wall_seconds(const Limits& limits);

// A group of cases made alike (cases of one size, or of the answers
// given), with the points it is worth; stored cases are one group.
struct Group {
    std::string name;  // its size, or its answers on one line
    Size size = Size::small;
    std::optional<std::string> answers;
    std::optional<double> points;  // none: 100 spread over the cases
    bool stored = false;           // stored cases, not made: made_cases passes it by
};

// How much a shrink of a failing case's content may take: the cases it
// judges and the wall time it runs.
struct ShrinkBudget {
    int attempts = 500;
    double seconds = 60;
};

// What a program asks of a judging.
struct Request {
    const Exercise* exercise = nullptr;
    std::optional<std::string> reference;  // a name or a path; none: the exercise's
    bool makes_cases = true;               // false: stored cases only, no maker needed
    CaseMaking making;                     // the seed cases are made from (the exercise and reference filled in)
    std::vector<Group> groups{Group{"small", Size::small, std::nullopt, std::nullopt}};  // of `cases` cases each
    bool all_or_nothing = false;           // a group's points only when every case passes
    int cases = 20;
    Limits limits = default_limits();      // the solutions'
    Limits compile_limits = default_compile_limits();
    int jobs = 1;
    std::optional<std::string> save;       // the folder failures are saved in, made when missing
    ShrinkBudget shrink_budget;            // --stress: how long a failing case's content is shrunk
    SandboxChoice sandbox;                 // its limits are set from the solutions'
};

// Everything a judging needs, resolved and checked.
struct Settings {
    const Exercise* exercise = nullptr;
    Road road;
    CaseMaking making;
    std::vector<Group> groups;
    bool all_or_nothing = false;
    int cases = 20;
    std::vector<Solution> solutions;  // the caller's, prepared: compiled where they are sources
    Limits limits;
    Limits compile_limits;
    int jobs = 1;
    std::optional<std::string> save;  // a full path
    ShrinkBudget shrink_budget;
    Sandbox sandbox;
    std::string limits_by;            // what holds the runs' limits: "cgroup v1", "cgroup v2", "sampling"
    std::string temporary;            // the judge's temporary folder
};

// The settings of a request: its programs found, its save folder made, its
// sandbox chosen (a warning goes to warn).
Settings build_settings(const Request& request, const TemporaryFolder& temporary,
                        const std::function<void(const std::string&)>& warn);

}  // namespace judge
