// problem.yaml: the problem's name, source, license, limits and how answers
// are compared, written for a new package and read back by build and verify.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace package {

struct ProblemYaml {
    std::string name;
    std::string source;
    std::string license = "educational";
    std::string rights_owner;
    double time_multiplier = 5;
    double time_safety_margin = 2;
    std::uint64_t memory_mib = 2048;
    std::uint64_t output_mib = 8;
    std::uint64_t code_kib = 128;
    std::string validation = "default";  // or "custom"
    std::string validator_flags;
};

// The licenses the format knows.
bool known_license(const std::string& license);

// The file's text.
std::string write_problem_yaml(const ProblemYaml& problem);

// Reads one; throws std::runtime_error saying what is wrong (an unknown key,
// a value of the wrong kind, a license the format does not know).
ProblemYaml read_problem_yaml(const std::string& path);

}  // namespace package
