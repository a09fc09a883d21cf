// What the problem package format asks of a package's submissions, and
// where the suite keeps what packages are made of. Each exercise's own
// material (its problem's name, statement, plans, stored cases, validators
// and submissions) is the exercise's data: judge::Exercise::problem.
#pragma once

#include <string>
#include <vector>

namespace package {

// The folders of submissions/ the format knows, and what each asks of its
// submissions.
struct SubmissionFolder {
    const char* name;
    const char* expectation;  // for reports
};
const std::vector<SubmissionFolder>& submission_folders();

// Where the suite keeps the single-file sources packages are made of:
// beside the build, else where the suite is installed.
std::string sources_folder();

}  // namespace package
