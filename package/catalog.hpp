// What a problem package of each exercise holds besides its test data: the
// problem's name and limits, how answers are compared, the suite programs
// that make, check and answer its cases, and the single-file sources that
// become its validators and submissions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace package {

// A submission a new package gets: a single-file source of the suite, in
// the folder of submissions/ that says how it must fare.
struct Submission {
    const char* folder;  // accepted, wrong_answer, time_limit_exceeded, run_time_error
    const char* source;  // its file in the suite's sources
};

struct Problem {
    const char* exercise;          // as the judge names it: pro3, pro2, pro6, 3-15
    const char* name;              // the problem's name by default
    std::vector<const char*> makers;
    const char* validator;         // the suite's validator
    const char* reference;         // the suite's reference solver
    const char* input_validator;   // its single-file source
    const char* output_validator;  // its single-file source, or null: the default comparison
    std::vector<Submission> submissions;
    std::uint64_t memory_mib;      // what the largest case needs, with room
    std::uint64_t output_mib;      // holds the largest answer of the default plan
};

// The problem of an exercise, or null. Every exercise the judge knows
// (judge::exercise_names()) has one.
const Problem* find_problem(std::string_view exercise);

// The folders of submissions/ the format knows, and what each asks of its
// submissions.
struct SubmissionFolder {
    const char* name;
    const char* expectation;  // for reports
};
const std::vector<SubmissionFolder>& submission_folders();

// Where the suite keeps what packages are made of: the single-file sources
// and each problem's statement, plans and stored cases (beside the build,
// else where the suite is installed).
std::string sources_folder();
std::string problems_folder();

}  // namespace package
