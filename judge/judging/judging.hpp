// Judging: every case is made (or read), validated and answered once, and
// every solution runs on it and gets a verdict; (case, solution) pairs run
// several at a time, and under --stress cases are made until the first
// failure, which is then shrunk.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "judge/cases/exercises.hpp"
#include "judge/run/sandbox.hpp"
#include "judge/solutions/solutions.hpp"
#include "judge/judging/verdict.hpp"

namespace judge {

// Everything a judging run needs, resolved and checked.
struct Settings {
    const Exercise* exercise = nullptr;
    std::vector<Solution> solutions;    // prepared: compiled where they are sources
    std::string reference;              // the reference solver's path
    std::string validator;              // the validator's path ("": cases are not validated), and its options
    std::vector<std::string> validator_options;
    std::map<std::string, std::string, std::less<>> makers;  // by name: path
    std::uint32_t seed = 0;
    int cases = 20;
    Size size = Size::small;
    std::optional<std::string> answers;  // instead of the size's answers
    std::int64_t price_ceiling = 0;      // 3-15: the reference's top price, 0 for any
    Bounds bounds;                       // the solutions' limits
    double helper_wall_seconds = 0;      // makers, validator and reference: wall time only
    int jobs = 1;
    bool stress = false;
    std::optional<std::string> save;     // the folder failures are saved in
    Sandbox sandbox;
    std::string temporary;               // the judge's temporary folder
};

// One case: made by a maker from a seed and answers, or stored in a file.
struct CaseSource {
    std::string name;
    std::size_t index = 0;              // its place among the run's cases
    std::optional<std::uint32_t> seed;  // made cases only
    std::string maker;
    Answers answers;
    std::string input;     // stored cases: the case file
    std::string expected;  // stored cases: the expected output, if stored
};

// One solution's result on one case.
struct CaseResult {
    std::string name;
    std::size_t index = 0;  // the case's place among the run's cases
    std::optional<std::uint32_t> seed;
    std::string maker;
    std::string answers;
    std::string size;  // the answers on one line, or the stored file's size
    Verdict verdict = Verdict::ok;
    std::string detail;
    bool ran = false;  // the solution ran: the measures are its own
    double cpu_seconds = 0;
    double wall_seconds = 0;
    std::uint64_t memory_bytes = 0;
    std::string saved;  // the name its files were saved under, if any
    std::string replay; // a shell line that replays it
};

// The first failure under --stress and the smallest case found that still
// fails.
struct Shrinking {
    CaseResult original;
    CaseResult shrunk;
    int attempts = 0;
};

// One solution's results, case by case in the run's order.
struct SolutionResult {
    std::string name;
    std::string language;  // "" for a command
    std::vector<std::string> given;
    std::vector<std::string> command;
    Compilation compilation;
    std::vector<CaseResult> cases;
    int passed = 0;
    int failed = 0;

    bool all_passed() const { return failed == 0 && compilation.ok; }
};

struct Result {
    std::vector<SolutionResult> solutions;  // one column of the matrix each
    std::optional<Shrinking> shrinking;     // --stress, one solution
    std::string setup_error;  // a program that could not be started: nothing judged counts
};

// The case made with seed settings.seed + index.
CaseSource made_case(const Settings& settings, int index);

// The stored cases in folder, NAME.in with NAME.ans where present, by name;
// "" in error when there are some, else what is wrong.
std::vector<CaseSource> stored_cases(const std::string& folder, std::string& error);

// Called after each (case, solution) pair, one call at a time.
using Progress = std::function<void(const CaseResult& latest, const Solution& solution, int done)>;

// Judges every solution on the cases, settings.jobs pairs at a time.
Result judge_cases(const Settings& settings, const std::vector<CaseSource>& cases, const Progress& progress);

// Makes and judges cases until the first failure or settings.cases, then
// shrinks that failure; one solution.
Result stress(const Settings& settings, const Progress& progress);

bool passed(Verdict verdict);

}  // namespace judge
