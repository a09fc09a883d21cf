// One solution on one case: the run in the sandbox under the solution's
// limits, its verdict (how it ended, then its output compared), the files
// of a failure saved, and the shell line that replays it. A setup error or
// an interruption is thrown.
#pragma once

#include <optional>
#include <string>

#include "judge/cases/road.hpp"
#include "judge/judging/result.hpp"
#include "judge/judging/settings.hpp"

namespace judge {

// A case's own part of every result: its name, seed and size.
CaseResult identity(const CaseSource& source);

// The result of a solution that did not compile, on any case.
CaseResult not_compiled(const CaseSource& source, const Solution& solution);

// The index-th solution's run on the prepared case.
CaseResult run_on(const Settings& settings, const PreparedCase& prepared, const Solution& solution,
                  std::size_t index);

// Copies the case, the expected and the found output and a replay command
// to the save folder, NAME + suffix, under the solution's name where there
// are several; each file written anew, never through a link.
void save_failure(const Settings& settings, const PreparedCase& prepared, const Solution& solution,
                  std::size_t index, const std::string& suffix, CaseResult& result);

// What a case and a solution's run on it were: the case, the expected and
// the found output, each up to texts_most bytes.
struct CaseTexts {
    std::string input;
    std::string expected;
    std::string found;
};
constexpr std::size_t texts_most = 65536;

// Judges the one solution on a case of its own, saving a failure under
// suffix when there is one; the texts of the case and its outputs go to
// texts when it is given.
CaseResult judge_alone(const Settings& settings, const CaseSource& source, const std::optional<std::string>& suffix,
                       CaseTexts* texts = nullptr);

// The folder of a new case in the judge's temporary folder.
std::string new_case_folder(const Settings& settings);

}  // namespace judge
