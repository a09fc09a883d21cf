// The four things exercise-package does to a problem package's folder.
// Each says what went wrong by throwing: a UsageError ends the program with
// status 2, a judge::SetupError (a suite program missing) with 2, a
// PackageError (the package's content is wrong) with 1.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace package {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct PackageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct NewOptions {
    std::string exercise;
    std::string folder;
    std::string name;  // "" for the exercise's own
    std::string source = "Exercise suite";
    std::string license = "educational";
    std::string rights_owner = "Exercise suite maintainers";
    bool small = false;  // a small plan, quick to build and verify
    bool full = false;   // the full plan: the format's largest cases too, beyond what a stock server imports
};

// Makes the folder a new package: problem.yaml, the plan and its stored
// cases, the statement, the validators and the submissions.
void new_package(const NewOptions& options);

// Makes data/sample and data/secret from the plan, then reports the test
// set's coverage on standard output. Cases whose recipe did not change are
// kept. Returns the exit status.
int build_package(const std::string& folder, int jobs);

struct VerifyOptions {
    std::string folder;
    std::optional<std::string> html;
    std::string sandbox = "auto";
    double probe_seconds = 30;  // the accepted submissions' limit while the time limit is found
    int jobs = 1;
};

// Checks the package as a contest system would; prints what it found and
// returns the exit status (0 every check passed, 1 some failed).
int verify_package(const VerifyOptions& options);

// Writes the package as one zip, problem.yaml at its root: only a package
// whose last verify passed, and that has not changed since, unless forced.
// Returns what a stock contest server would refuse in it, and the settings
// to raise for each.
std::vector<std::string> zip_package(const std::string& folder, const std::string& zip_file, bool force = false);

}  // namespace package
