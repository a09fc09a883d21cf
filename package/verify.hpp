// The parts of exercise-package verify, each a file: the checks made and
// their report (this header), the data's checks (verify_data.cpp), the
// submissions judged and the time limit set (verify_submissions.cpp), and
// the whole run (verifying.cpp). Setup errors are thrown; a check that
// fails is a problem recorded in Checks.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "judge/cases/exercises.hpp"
#include "judge/judging/result.hpp"
#include "judge/judging/settings.hpp"
#include "package/problem_yaml.hpp"

namespace package {

// The checks made and what failed, and what is only flagged.
class Checks {
public:
    void pass() { ++passed_; }
    void fail(const std::string& problem)
    {
        ++failed_;
        problems_.push_back(problem);
    }
    void check(bool ok, const std::string& problem) { ok ? pass() : fail(problem); }
    void flag(const std::string& note) { flags_.push_back(note); }

    int failed() const { return failed_; }
    const std::vector<std::string>& problems() const { return problems_; }

    // Takes in another's checks, after its own.
    void merge(const Checks& other);

    // "Flagged (not failures):", "Problems found:" and the count line.
    std::string report() const;

private:
    int passed_ = 0;
    int failed_ = 0;
    std::vector<std::string> problems_;
    std::vector<std::string> flags_;
};

// A test case of the package's data.
struct DataCase {
    std::string name;   // the file's base name
    std::string group;  // sample or secret
    std::filesystem::path input, answer, desc;
};

// The cases of data/sample and data/secret, in the order a contest system
// takes them: samples first, each group by name.
std::vector<DataCase> data_cases(const std::filesystem::path& package, Checks& checks);

// Every input through the input validators, every answer against the
// reference's, the output validator on the answers; in folder, a scratch
// folder of the verify's own.
void check_data(const std::filesystem::path& package, const judge::Exercise& exercise, const ProblemYaml& yaml,
                const std::vector<DataCase>& cases, const judge::Sandbox& sandbox, const judge::Road& road,
                const std::string& folder, Checks& checks);

// The time limit and how it was found.
struct TimeLimit {
    double seconds = 1;
    double margin = 2;   // the other submissions' limit
    double slowest = 0;  // the slowest accepted run that passed
    std::string slowest_name;
};

// The submissions judged on the data: the accepted ones first, whose
// slowest passing run sets the time limit, then the others under its
// safety margin; each checked against its folder.
struct Judged {
    judge::Result result;
    TimeLimit limit;
};
Judged judge_submissions(const ProblemYaml& yaml, const std::vector<DataCase>& cases, judge::Settings& settings,
                         double probe_seconds, Checks& checks);

// The package's submissions as solutions, named FOLDER/FILE; a folder the
// format does not know, or no accepted submission, is a failed check.
std::vector<judge::Solution> submissions(const std::filesystem::path& package, Checks& checks);

}  // namespace package
