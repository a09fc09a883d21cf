// The test plan, generators/plan: the exercise on its first line, then one
// test case per line, each made by a maker from a seed and answers, or
// stored in a file of the package:
//
//   exercise pro6
//   sample-1  sample  pro6-maketest  1765000001  5 5 4 2
//   09-edges  secret  file generators/cases/edges.in
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "judge/cases/exercises.hpp"

namespace package {

// A plan line that does not parse: its line number and what was expected.
struct PlanError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct PlannedCase {
    std::string name;
    bool sample = false;
    std::string maker;                 // "" for a stored case
    std::uint32_t seed = 0;
    std::vector<std::string> answers;  // one per prompt; order-gen's options
    std::string file;                  // a stored case, from the package's folder
    int line = 0;                      // where the plan says so

    const char* group() const { return sample ? "sample" : "secret"; }

    // The answers as the maker takes them: one a line for a maker that
    // takes them at its prompts, else words on one line.
    std::string answer_text(const judge::Exercise& exercise) const;

    // How it is made, for a person and for knowing when it changed.
    std::string recipe() const;
};

struct Plan {
    const judge::Exercise* exercise = nullptr;
    std::vector<PlannedCase> cases;
};

// Reads the plan; throws PlanError naming the line and what was expected
// (a SetupError when the exercises cannot be read).
Plan read_plan(const std::string& path);

// The comment that opens every plan, saying how to write one.
extern const char* const plan_header;

// True for a name the format allows for a file: letters, digits, '.', '_'
// and '-', two to 255 of them, a letter or digit first and last.
bool valid_file_name(const std::string& name);

}  // namespace package
