// The result of a judging, the one model every report reads: a solution's
// result on each case, each solution's results, and the shrinking of a
// --stress failure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "judge/judging/verdict.hpp"
#include "judge/solutions/solutions.hpp"

namespace judge {

// One solution's result on one case.
struct CaseResult {
    std::string name;
    std::size_t index = 0;  // the case's place among the run's cases
    std::optional<std::uint32_t> seed;  // made cases only
    std::string maker;
    std::string answers;   // made cases: as the maker took them
    std::string label;     // made cases: the answers on one line
    std::uint64_t bytes = 0;  // stored cases: the case file's size
    std::size_t group = 0;    // the group of cases it belongs to
    Verdict verdict = Verdict::ok;
    std::string detail;
    bool ran = false;  // the solution ran: the measures are its own
    double cpu_seconds = 0;
    double wall_seconds = 0;
    std::uint64_t memory_bytes = 0;
    std::string saved;   // the name its files were saved under, if any
    std::string replay;  // a shell line that replays it

    // How big the case is: its answers' label, or its file's size.
    std::string size() const { return seed ? label : std::to_string(bytes) + " bytes"; }
};

// The case a shrink by its content ended on, as text, with what the
// reference and the solution wrote on it.
struct ShrunkContent {
    std::string input;
    std::string expected;
    std::string found;
    int attempts = 0;    // of the shrink's attempts, those on the content
    double seconds = 0;  // the wall time they took
};

// The first failure under --stress and the smallest case found that still
// fails: made again with smaller answers, then, where the exercise has a
// shrinker, smaller by its content.
struct Shrinking {
    CaseResult original;
    CaseResult shrunk;
    int attempts = 0;
    std::optional<ShrunkContent> content;  // none: the shrunk case is a made one
};

// One solution's results, case by case in the run's order.
struct SolutionResult {
    std::string name;
    std::string language;  // "" for a command
    std::vector<std::string> given;
    std::vector<std::string> command;
    Compilation compilation;
    std::vector<CaseResult> cases;
    int passed = 0;  // of the valid cases
    int failed = 0;
    std::vector<int> group_passed;  // by group
    double score = 0;

    bool all_passed() const { return failed == 0 && compilation.ok; }
};

// A group of cases as the result counts it.
struct GroupResult {
    std::string name;
    int cases = 0;      // its valid cases
    double points = 0;  // what it is worth
};

struct Result {
    std::vector<SolutionResult> solutions;  // one column of the matrix each
    std::vector<GroupResult> groups;
    bool all_or_nothing = false;
    std::vector<CaseResult> invalid;        // the invalid cases, each once: left out of every count
    std::optional<Shrinking> shrinking;     // --stress, one solution

    int valid_cases() const;
    double points() const;  // what every group is worth together
};

}  // namespace judge
