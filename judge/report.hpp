// The judge's reports: the table on standard output, JSON and JUnit XML.
#pragma once

#include <string>
#include <string_view>

#include "judge/judging.hpp"

namespace judge {

// What the reports say about the run besides its cases.
struct RunInfo {
    std::string exercise;
    std::vector<std::string> given;    // the command as typed
    std::vector<std::string> command;  // as run: its program a full path
    std::string sandbox;         // "bwrap" or "none"
    std::optional<std::uint32_t> seed;
    std::string size;            // the --size name, for made cases
    std::optional<std::string> answers;
    std::optional<std::string> cases_dir;
    std::string reference;
    Limits limits;
    bool stress = false;
    std::optional<std::string> save;
};

// The line shown before judging starts: what is judged and how to repeat it.
std::string heading(const RunInfo& info);

// The table of cases, the details of failures, the shrinking, and the
// summary line "N passed, M failed".
std::string table(const RunInfo& info, const Result& result);

// The whole result as JSON.
std::string json_report(const RunInfo& info, const Result& result);

// The whole result as JUnit XML: one test case per case, failures for the
// solution's verdicts and errors for invalid cases.
std::string junit_report(const RunInfo& info, const Result& result);

}  // namespace judge
