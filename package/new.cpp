// exercise-package new: a package's files laid out from its exercise's
// data: problem.yaml, the plan and its stored cases, the statement, the
// validators and the submissions, written in a folder beside the target and
// renamed into place whole.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

#include "judge/base/failure.hpp"
#include "judge/base/files.hpp"
#include "judge/cases/exercises.hpp"
#include "package/catalog.hpp"
#include "package/files.hpp"
#include "package/package.hpp"
#include "package/plan.hpp"
#include "package/problem_yaml.hpp"

namespace package {

namespace fs = std::filesystem;

namespace {

// How the default comparison is made exact but for the amount of white
// space at a line's end: case- and space-change-sensitive.
constexpr const char* exact_flags = "case_sensitive space_change_sensitive";

// The script that builds a validator's run program from its one source.
const char* const build_script =
    "#!/bin/sh\n"
    "# Builds the run program from the one source file beside this script.\n"
    "exec g++ -std=gnu++20 -O2 -o run %s\n";

// The files of a new package, by their paths in it.
using Files = std::vector<std::pair<std::string, std::string>>;

// Text as LaTeX prints it: its special characters escaped.
std::string tex_text(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        if (std::string_view("#$%&_{}").find(c) != std::string_view::npos)
            escaped += '\\';
        if (c == '\\' || c == '~' || c == '^')
            escaped += c == '\\' ? "\\textbackslash{}" : c == '~' ? "\\textasciitilde{}" : "\\textasciicircum{}";
        else
            escaped += c;
    }
    return escaped;
}

// The short name a package's folder must have.
bool short_name(const std::string& name)
{
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    });
}

// The package's last name, whatever slashes end the path.
std::string last_name(const std::string& folder)
{
    fs::path path = fs::path(folder).lexically_normal();
    if (path.filename().empty())
        path = path.parent_path();
    return path.filename().string();
}

// A file's text: one of the suite's sources, or (a path) one of the
// problem folder's.
std::string source_text(const judge::Exercise& exercise, const std::string& source)
{
    const fs::path path = source.find('/') == std::string::npos ? fs::path(sources_folder()) / source
                                                                : fs::path(exercise.problem.folder) / source;
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        throw judge::SetupError("cannot find the source " + source + " in " + path.parent_path().string());
    return read_file_text(path);
}

// A program folder of a validator: the build script and its one source.
void add_validator(Files& files, const std::string& folder, const std::string& source_name, std::string text)
{
    char script[256];
    std::snprintf(script, sizeof script, build_script, source_name.c_str());
    files.emplace_back(folder + "/build", script);
    files.emplace_back(folder + "/" + source_name, std::move(text));
}

// The submissions the exercise names, then those its problem folder holds
// (problem/submissions/FOLDER/FILE), each as it is.
void add_submissions(Files& files, const judge::Exercise& exercise)
{
    for (const judge::Submission& submission : exercise.problem.submissions)
        files.emplace_back("submissions/" + submission.folder + "/" + fs::path(submission.source).filename().string(),
                           source_text(exercise, submission.source));
    const fs::path own = fs::path(exercise.problem.folder) / "submissions";
    std::error_code error;
    if (!fs::is_directory(own, error))
        return;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(own))
        if (entry.is_regular_file())
            files.emplace_back("submissions/" + entry.path().lexically_relative(own).generic_string(),
                               read_file_text(entry.path()));
}

// The statement, with the problem's name given instead of its own.
std::string statement(const fs::path& problems, const std::string& name)
{
    std::string tex = read_file_text(problems / "problem.en.tex");
    if (!name.empty()) {
        const std::string command = "\\problemname{";
        const std::size_t from = tex.find(command);
        const std::size_t to = from == std::string::npos ? from : tex.find('}', from);
        if (to != std::string::npos)
            tex.replace(from, to + 1 - from, command + tex_text(name) + "}");
    }
    return tex;
}

// problem.yaml, with room in its code limit for the largest submission.
std::string problem_yaml(const NewOptions& options, const judge::Exercise& exercise, const Files& files)
{
    const judge::Problem& problem = exercise.problem;
    ProblemYaml yaml;
    yaml.name = options.name.empty() ? problem.name : options.name;
    yaml.source = options.source;
    yaml.license = options.license;
    yaml.rights_owner = options.license == "public domain" ? "" : options.rights_owner;
    yaml.memory_mib = problem.memory_mib;
    yaml.output_mib = problem.output_mib;
    yaml.validation = problem.output_validator.empty() ? "default" : "custom";
    yaml.validator_flags = problem.output_validator.empty() ? exact_flags : "";
    std::uintmax_t largest = 0;
    for (const auto& [path, text] : files)
        if (path.rfind("submissions/", 0) == 0)
            largest = std::max<std::uintmax_t>(largest, text.size());
    // In whole KiB.
    yaml.code_kib = std::max<std::uint64_t>(yaml.code_kib, (largest + 1023) / 1024 + 1);
    return write_problem_yaml(yaml);
}

// Every file of the new package.
Files package_files(const NewOptions& options, const judge::Exercise& exercise)
{
    const fs::path problems = exercise.problem.folder;
    const fs::path plan = problems / (options.small ? "plan-small" : options.full ? "plan-full" : "plan");
    std::error_code error;
    if (!fs::is_regular_file(problems / "problem.en.tex", error) || !fs::is_regular_file(plan, error))
        throw judge::SetupError("cannot find the problem files of " + exercise.name + " in " + problems.string());
    Files files;
    files.emplace_back("generators/plan", std::string(plan_header) + "\n" + read_file_text(plan));
    if (fs::is_directory(problems / "cases", error))
        for (const fs::directory_entry& stored : fs::directory_iterator(problems / "cases"))
            files.emplace_back("generators/cases/" + stored.path().filename().string(), read_file_text(stored.path()));
    if (fs::is_regular_file(problems / "bounds-unreached", error))
        files.emplace_back("generators/bounds-unreached", read_file_text(problems / "bounds-unreached"));
    files.emplace_back("problem_statement/problem.en.tex", statement(problems, options.name));
    add_validator(files, "input_validators/validate", "validate.cpp",
                  source_text(exercise, exercise.problem.input_validator));
    if (!exercise.problem.output_validator.empty())
        add_validator(files, "output_validators/compare", "compare.cpp",
                      source_text(exercise, exercise.problem.output_validator));
    add_submissions(files, exercise);
    files.emplace(files.begin(), "problem.yaml", problem_yaml(options, exercise, files));
    return files;
}

// The options' faults a user can mend.
const judge::Exercise& checked(const NewOptions& options)
{
    const judge::Exercise* exercise = judge::find_exercise(options.exercise);
    if (exercise == nullptr)
        throw UsageError("unknown exercise '" + options.exercise + "' (" + judge::exercise_names() + ")");
    const std::string name = last_name(options.folder);
    if (!short_name(name))
        throw UsageError("'" + name + "' cannot name a package: its folder's name must be a short name of "
                         "lower-case letters a-z and digits 0-9");
    if (!known_license(options.license))
        throw UsageError("unknown license '" + options.license +
                         "' (unknown, public domain, cc0, cc by, cc by-sa, educational or permission)");
    std::error_code error;
    const fs::path target = fs::absolute(options.folder).lexically_normal();
    if (fs::exists(target, error) && !(fs::is_directory(target, error) && fs::is_empty(target, error)))
        throw UsageError(options.folder + " already exists and is not an empty folder");
    return *exercise;
}

}  // namespace

void new_package(const NewOptions& options)
{
    const judge::Exercise& exercise = checked(options);
    const Files files = package_files(options, exercise);
    const fs::path target = fs::absolute(options.folder).lexically_normal();
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    const fs::path building = folder_beside(target, "new");
    try {
        for (const auto& [path, text] : files)
            write_file_text(building / path, text, path.size() > 6 && path.substr(path.size() - 6) == "/build");
        fs::remove(target, error);
        fs::rename(building, target);
    } catch (...) {
        judge::remove_folder(building.string());
        throw;
    }
}

}  // namespace package
