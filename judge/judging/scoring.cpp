// The counts and the scores of a result.

#include "judge/judging/scoring.hpp"

#include <cstdio>
#include <set>

namespace judge {

namespace {

// The cases of the result, by index, and which of them are invalid.
struct Cases {
    std::set<std::size_t> all;
    std::set<std::size_t> invalid;
};

Cases cases_of(Result& result)
{
    Cases cases;
    for (const SolutionResult& solution : result.solutions)
        for (const CaseResult& entry : solution.cases) {
            cases.all.insert(entry.index);
            if (entry.verdict == Verdict::invalid_case && cases.invalid.insert(entry.index).second)
                result.invalid.push_back(entry);
        }
    return cases;
}

// Each group's valid cases and points.
void count_groups(Result& result, const std::vector<Group>& groups, const Cases& cases)
{
    result.groups.clear();
    for (const Group& group : groups)
        result.groups.push_back({group.name, 0, 0});
    std::set<std::size_t> seen;
    for (const SolutionResult& solution : result.solutions)
        for (const CaseResult& entry : solution.cases)
            if (cases.invalid.count(entry.index) == 0 && seen.insert(entry.index).second &&
                entry.group < result.groups.size())
                ++result.groups[entry.group].cases;
    const int valid = result.valid_cases();
    for (std::size_t g = 0; g < groups.size(); ++g)
        result.groups[g].points =
            groups[g].points.value_or(valid == 0 ? 0 : 100.0 * result.groups[g].cases / valid);
}

void score(SolutionResult& solution, const Result& result, const Cases& cases)
{
    solution.passed = solution.failed = 0;
    solution.group_passed.assign(result.groups.size(), 0);
    for (const CaseResult& entry : solution.cases) {
        if (cases.invalid.count(entry.index) != 0)
            continue;
        const bool ok = passed(entry.verdict);
        ++(ok ? solution.passed : solution.failed);
        if (ok && entry.group < solution.group_passed.size())
            ++solution.group_passed[entry.group];
    }
    solution.score = 0;
    for (std::size_t g = 0; g < result.groups.size(); ++g) {
        const GroupResult& group = result.groups[g];
        if (group.cases == 0)
            continue;
        const int passed_here = solution.group_passed[g];
        solution.score += result.all_or_nothing ? (passed_here == group.cases ? group.points : 0)
                                                : group.points * passed_here / group.cases;
    }
}

}  // namespace

int Result::valid_cases() const
{
    int count = 0;
    for (const GroupResult& group : groups)
        count += group.cases;
    return count;
}

double Result::points() const
{
    double total = 0;
    for (const GroupResult& group : groups)
        total += group.points;
    return total;
}

void tally(Result& result, const std::vector<Group>& groups, bool all_or_nothing)
{
    result.invalid.clear();
    result.all_or_nothing = all_or_nothing;
    const Cases cases = cases_of(result);
    count_groups(result, groups, cases);
    for (SolutionResult& solution : result.solutions)
        score(solution, result, cases);
}

std::string score_text(double score)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", score);
    std::string shown = text;
    while (shown.back() == '0')
        shown.pop_back();
    if (shown.back() == '.')
        shown.pop_back();
    return shown == "-0" ? "0" : shown;
}

}  // namespace judge
