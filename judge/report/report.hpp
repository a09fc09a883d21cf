// The judge's reports, each in a file of its own, all pure functions of one
// result: a matrix of solutions by cases (one solution is a one-column
// matrix). Each is written as text into a string; the caller writes it
// out. A new report format is a new function here and a file of its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "judge/cases/exercises.hpp"
#include "judge/judging/result.hpp"
#include "judge/judging/settings.hpp"
#include "judge/run/process.hpp"

namespace judge {

// A section a program adds to the page after the judge's own: its heading
// and its text, shown as it is laid out.
struct PageSection {
    std::string heading;
    std::string text;
};

// What the reports say about the run besides its results.
struct RunInfo {
    std::string title;  // the page's, when not "exercise-judge: EXERCISE"
    std::vector<PageSection> sections;
    std::string exercise;
    std::string sandbox;  // "bwrap" or "none"
    std::string limits_by;  // what holds the limits: "cgroup v1", "cgroup v2" or "sampling"
    std::optional<std::uint32_t> seed;
    std::vector<Group> groups;  // the groups of made cases: sizes or answers
    bool scored = false;        // groups or points asked for: each solution's score is shown
    std::size_t width = 100;    // the terminal's: a wider matrix is turned
    std::optional<std::string> cases_dir;
    std::string reference;
    Limits limits;
    Limits compile_limits;
    bool stress = false;
    std::optional<std::string> save;  // as typed
    std::string languages;            // the language table's file, when sources are judged
};

// The line shown before judging starts: what is judged and how to repeat it.
std::string heading(const RunInfo& info, const std::vector<Solution>& solutions);

// The table of cases (one column per solution where there are several),
// the details of failures or one line per solution, the shrinking, and the
// summary line "N passed, M failed".
std::string table(const RunInfo& info, const Result& result);

// The matrix of several solutions (a column each) with the codes and a line
// per solution under it, without the summary line.
std::string matrix(const RunInfo& info, const Result& result);

// The whole result as JSON: with one solution, one object for it as ever;
// with several, one per solution under "solutions".
std::string json_report(const RunInfo& info, const Result& result);

// The whole result as JUnit XML: one test suite per solution, one test
// case per case, failures for the solution's verdicts and errors for
// invalid cases.
std::string junit_report(const RunInfo& info, const Result& result);

// One row per solution, for a grade sheet, quoted as RFC 4180 says.
std::string csv_report(const Result& result);

// One self-contained page: the settings, the matrix, the summaries, a chart
// of processor time per case, and each failure's detail and replay line.
std::string html_report(const RunInfo& info, const Result& result);

// What a report needs of a solution's results: the slowest case it ran,
// its peak memory and its first failure.
struct Summary {
    const CaseResult* slowest = nullptr;
    std::uint64_t peak_memory_bytes = 0;
    const CaseResult* first_failure = nullptr;
};
Summary summarize(const SolutionResult& solution);

// The run's cases in order, by their index among the run's cases, and each
// solution's result on each: null where a solution has none for a case.
struct Matrix {
    std::vector<const CaseResult*> rows;
    std::vector<std::vector<const CaseResult*>> cells;  // by solution, then by row
};
Matrix matrix_of(const Result& result);

// How the made cases were made: "size small", "answers "5 5 4 2"", or
// "groups small, large".
std::string groups_text(const RunInfo& info);

// "case 3 (seed 17, answers "...")" or "case NAME".
std::string case_title(const CaseResult& result);

// "WRONG ANSWER: line 1, ..." or "OK".
std::string verdict_line(const CaseResult& result);

// A case shrunk by its content as the reports show it: in full when it has
// at most shown_lines lines, with the expected and the found output cut to
// as many lines; every line cut to shown_width bytes.
constexpr std::size_t shown_lines = 20;
constexpr std::size_t shown_width = 200;
struct ShownText {
    std::vector<std::string> lines;  // those shown, each cut
    std::size_t more = 0;            // the lines left out
};
struct ShownContent {
    std::size_t lines = 0;  // the case's
    bool in_full = false;   // the case and the outputs are shown
    ShownText input;
    ShownText expected;
    ShownText found;
};
ShownContent shown_content(const ShrunkContent& content);

// "213 attempts (205 on its content, 4.2 s)" and "a case of 5 lines, 25
// bytes": the words every report has for a shrink by content.
std::string content_attempts_text(const Shrinking& shrinking);
std::string content_size_text(const ShrunkContent& content);

}  // namespace judge
