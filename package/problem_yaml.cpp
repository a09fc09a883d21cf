// problem.yaml through yaml-cpp.

#include "package/problem_yaml.hpp"

#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <stdexcept>

namespace package {

namespace {

// The licenses the format knows.
const char* const licenses[] = {"unknown", "public domain", "cc0", "cc by", "cc by-sa", "educational", "permission"};

// The keys of problem.yaml and of its limits the format knows.
const char* const top_keys[] = {"problem_format_version", "type", "name", "uuid", "author", "source", "source_url",
                                "license", "rights_owner", "limits", "validation", "validator_flags", "grading",
                                "keywords"};
const char* const limit_keys[] = {"time_multiplier", "time_safety_margin", "memory",          "output",
                                  "code",            "compilation_time",   "compilation_memory", "validation_time",
                                  "validation_memory", "validation_output"};

template <std::size_t N>
void check_keys(const YAML::Node& map, const char* const (&known)[N], const std::string& where)
{
    for (const auto& entry : map) {
        const std::string key = entry.first.as<std::string>();
        if (std::find_if(std::begin(known), std::end(known), [&](const char* k) { return key == k; }) == std::end(known))
            throw std::runtime_error("unknown key \"" + key + "\"" + where);
    }
}

}  // namespace

bool known_license(const std::string& license)
{
    return std::find_if(std::begin(licenses), std::end(licenses), [&](const char* l) { return license == l; }) !=
           std::end(licenses);
}

std::string write_problem_yaml(const ProblemYaml& problem)
{
    YAML::Emitter out;
    out << YAML::BeginMap;
    out << YAML::Key << "name" << YAML::Value << problem.name;
    out << YAML::Key << "source" << YAML::Value << problem.source;
    out << YAML::Key << "license" << YAML::Value << problem.license;
    if (problem.license != "public domain" && !problem.rights_owner.empty())
        out << YAML::Key << "rights_owner" << YAML::Value << problem.rights_owner;
    out << YAML::Key << "limits" << YAML::Value << YAML::BeginMap;
    out << YAML::Key << "time_multiplier" << YAML::Value << problem.time_multiplier;
    out << YAML::Key << "time_safety_margin" << YAML::Value << problem.time_safety_margin;
    out << YAML::Key << "memory" << YAML::Value << problem.memory_mib;
    out << YAML::Key << "output" << YAML::Value << problem.output_mib;
    out << YAML::Key << "code" << YAML::Value << problem.code_kib;
    out << YAML::EndMap;
    out << YAML::Key << "validation" << YAML::Value << problem.validation;
    if (!problem.validator_flags.empty())
        out << YAML::Key << "validator_flags" << YAML::Value << problem.validator_flags;
    out << YAML::EndMap;
    return std::string(out.c_str()) + "\n";
}

ProblemYaml read_problem_yaml(const std::string& path)
{
    ProblemYaml problem;
    try {
        const YAML::Node root = YAML::LoadFile(path);
        if (!root.IsMap())
            throw std::runtime_error("not a map of keys");
        check_keys(root, top_keys, "");
        problem.name = root["name"].as<std::string>("");
        problem.source = root["source"].as<std::string>("");
        problem.license = root["license"].as<std::string>("unknown");
        problem.rights_owner = root["rights_owner"].as<std::string>("");
        if (root["problem_format_version"] && root["problem_format_version"].as<std::string>() != "legacy")
            throw std::runtime_error("problem_format_version must be legacy");
        if (root["type"] && root["type"].as<std::string>() != "pass-fail")
            throw std::runtime_error("type must be pass-fail");
        if (!known_license(problem.license))
            throw std::runtime_error("license \"" + problem.license + "\" is not one the format knows");
        if (problem.license != "unknown" && problem.license != "public domain" && problem.rights_owner.empty() &&
            problem.source.empty())
            throw std::runtime_error("license \"" + problem.license + "\" needs a rights_owner");
        if (const YAML::Node limits = root["limits"]) {
            check_keys(limits, limit_keys, " in limits");
            problem.time_multiplier = limits["time_multiplier"].as<double>(problem.time_multiplier);
            problem.time_safety_margin = limits["time_safety_margin"].as<double>(problem.time_safety_margin);
            problem.memory_mib = limits["memory"].as<std::uint64_t>(problem.memory_mib);
            problem.output_mib = limits["output"].as<std::uint64_t>(problem.output_mib);
            problem.code_kib = limits["code"].as<std::uint64_t>(problem.code_kib);
        }
        problem.validation = root["validation"].as<std::string>("default");
        if (problem.validation != "default" && problem.validation != "custom")
            throw std::runtime_error("validation must be default or custom, not \"" + problem.validation + "\"");
        problem.validator_flags = root["validator_flags"].as<std::string>("");
        if (problem.time_multiplier <= 0 || problem.time_safety_margin < 1 || problem.memory_mib == 0 ||
            problem.output_mib == 0)
            throw std::runtime_error("a limit out of range");
    } catch (const YAML::Exception& error) {
        throw std::runtime_error(error.what());
    }
    return problem;
}

}  // namespace package
