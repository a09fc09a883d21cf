// DOMjudge's rules for a problem zip, as its importer applies them, written
// as data: what must stand at the zip's root, what problem.yaml may hold,
// where the statement, the test data, the validators and the submissions
// go, which submission extensions it maps to a language, and its stock
// limits. problems_in() lists every rule a zip breaks, so that a test can
// check a package against the importer without the server.
#pragma once

#include <yaml-cpp/yaml.h>
#include <zip.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace domjudge_rules {

constexpr std::uint64_t mib = std::uint64_t{1} << 20;

// What the stock server takes: the upload, a case with its answer in one
// database statement (max_allowed_packet), a submission's source.
constexpr std::uint64_t upload_bytes = 256 * mib;
constexpr std::uint64_t packet_bytes = 64 * mib;
constexpr std::uint64_t source_bytes = 256 * 1024;

// The statement files the importer shows contestants; one is needed.
const char* const statement_files[] = {"problem_statement/problem.pdf", "problem_statement/problem.html",
                                       "problem_statement/problem.txt"};

// The submission folders it knows, by the verdict each expects.
const char* const verdict_folders[] = {"accepted", "wrong_answer", "time_limit_exceeded", "run_time_error"};

// The extensions it maps to its default languages.
const char* const language_extensions[] = {"c", "cpp", "cc", "cxx", "c++", "py", "py3", "java"};

// The keys of problem.yaml it reads, and its validation modes.
const char* const yaml_keys[] = {"name", "source", "license", "rights_owner", "limits", "validation",
                                 "validator_flags", "author", "uuid", "keywords", "type", "problem_format_version"};
const char* const limit_keys[] = {"time_multiplier", "time_safety_margin", "memory", "output", "code",
                                  "compilation_time", "compilation_memory", "validation_time",
                                  "validation_memory", "validation_output"};
const char* const validation_modes[] = {"default", "custom"};

template <std::size_t N>
bool one_of(const std::string& value, const char* const (&list)[N])
{
    return std::find(std::begin(list), std::end(list), value) != std::end(list);
}

// The zip's entries: name and size.
inline std::map<std::string, std::uint64_t> entries_of(zip_t* archive)
{
    std::map<std::string, std::uint64_t> entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t info;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &info) == 0)
            entries[info.name] = info.size;
    }
    return entries;
}

inline std::string text_of(zip_t* archive, const std::string& name, std::uint64_t size)
{
    std::string text(size, '\0');
    zip_file_t* file = zip_fopen(archive, name.c_str(), 0);
    if (file == nullptr)
        return "";
    const zip_int64_t got = zip_fread(file, text.data(), size);
    zip_fclose(file);
    text.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return text;
}

inline void check_yaml(const std::string& text, std::vector<std::string>& problems, bool& custom)
{
    try {
        const YAML::Node root = YAML::Load(text);
        for (const auto& entry : root)
            if (!one_of(entry.first.as<std::string>(), yaml_keys))
                problems.push_back("problem.yaml: a key the importer does not know: " + entry.first.as<std::string>());
        if (!root["name"])
            problems.push_back("problem.yaml names no problem");
        for (const auto& entry : root["limits"])
            if (!one_of(entry.first.as<std::string>(), limit_keys))
                problems.push_back("problem.yaml: an unknown limit: " + entry.first.as<std::string>());
        const std::string validation = root["validation"].as<std::string>("default");
        if (!one_of(validation, validation_modes))
            problems.push_back("problem.yaml: an unknown validation: " + validation);
        custom = validation == "custom";
    } catch (const YAML::Exception& error) {
        problems.push_back(std::string("problem.yaml does not parse: ") + error.what());
    }
}

inline void check_data(const std::map<std::string, std::uint64_t>& entries, std::vector<std::string>& problems)
{
    int secret = 0;
    for (const auto& [name, size] : entries) {
        if (name.rfind("data/", 0) != 0 || name.size() < 3 || name.substr(name.size() - 3) != ".in")
            continue;
        const std::string base = name.substr(0, name.size() - 3);
        const auto answer = entries.find(base + ".ans");
        if (answer == entries.end())
            problems.push_back(name + " has no .ans");
        else if (size + answer->second > packet_bytes)
            problems.push_back(name + " and its answer pass max_allowed_packet");
        secret += name.rfind("data/secret/", 0) == 0 ? 1 : 0;
    }
    if (secret == 0)
        problems.push_back("no case in data/secret");
}

inline void check_submissions(const std::map<std::string, std::uint64_t>& entries, std::vector<std::string>& problems)
{
    for (const auto& [name, size] : entries) {
        if (name.rfind("submissions/", 0) != 0)
            continue;
        const std::string rest = name.substr(12);
        const std::string folder = rest.substr(0, rest.find('/'));
        if (!one_of(folder, verdict_folders))
            problems.push_back(name + ": a submission folder the importer does not know");
        const std::size_t dot = name.rfind('.');
        if (dot == std::string::npos || !one_of(name.substr(dot + 1), language_extensions))
            problems.push_back(name + ": no language for its extension");
        if (size > source_bytes)
            problems.push_back(name + ": larger than a submission may be");
    }
}

// Every rule the zip breaks; none for a zip the importer takes.
inline std::vector<std::string> problems_in(const std::string& zip_file, std::uint64_t zip_bytes)
{
    std::vector<std::string> problems;
    int status = 0;
    zip_t* archive = zip_open(zip_file.c_str(), ZIP_RDONLY, &status);
    if (archive == nullptr)
        return {"not a zip"};
    const std::map<std::string, std::uint64_t> entries = entries_of(archive);
    if (zip_bytes > upload_bytes)
        problems.push_back("larger than the upload the server takes");
    bool custom = false;
    if (entries.count("problem.yaml") == 0)
        problems.push_back("no problem.yaml at the zip's root");
    else
        check_yaml(text_of(archive, "problem.yaml", entries.at("problem.yaml")), problems, custom);
    if (entries.count(".timelimit") == 0)
        problems.push_back("no .timelimit: the importer would not know the time limit");
    if (std::none_of(std::begin(statement_files), std::end(statement_files),
                     [&](const char* file) { return entries.count(file) != 0; }))
        problems.push_back("no statement the importer shows (problem_statement/problem.pdf, .html or .txt)");
    std::set<std::string> validators;
    for (const auto& [name, size] : entries)
        if (name.rfind("output_validators/", 0) == 0)
            validators.insert(name.substr(18, name.find('/', 18) - 18));
    if (custom != (validators.size() == 1))
        problems.push_back("validation: custom needs exactly one output validator, default none");
    check_data(entries, problems);
    check_submissions(entries, problems);
    zip_close(archive);
    return problems;
}

}  // namespace domjudge_rules
