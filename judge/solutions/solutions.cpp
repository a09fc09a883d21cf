// Finding the solutions and naming them.

#include "judge/solutions/solutions.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "judge/base/failure.hpp"
#include "judge/base/files.hpp"
#include "judge/base/text.hpp"
#include "judge/run/programs.hpp"

namespace judge {

namespace fs = std::filesystem;

namespace {

// Makes the names unique: a file's name, with as many of its folders in
// front as it takes to tell it from the others, then a number.
void name_uniquely(std::vector<Solution>& solutions)
{
    std::vector<fs::path> paths;
    for (const Solution& solution : solutions)
        paths.push_back(fs::absolute(solution.root.empty() ? solution.source : solution.root).lexically_normal());
    std::vector<std::size_t> parts(solutions.size(), 1);
    const auto name_of = [&](std::size_t i) {
        std::vector<std::string> pieces(paths[i].begin(), paths[i].end());
        const std::size_t take = std::min(parts[i], pieces.size());
        fs::path name;
        for (std::size_t k = pieces.size() - take; k < pieces.size(); ++k)
            name /= pieces[k];
        return name.string();
    };
    for (bool changed = true; changed;) {
        changed = false;
        std::map<std::string, std::vector<std::size_t>> by_name;
        for (std::size_t i = 0; i < solutions.size(); ++i)
            by_name[name_of(i)].push_back(i);
        for (const auto& [name, same] : by_name)
            if (same.size() > 1)
                for (std::size_t i : same)
                    if (parts[i] < static_cast<std::size_t>(std::distance(paths[i].begin(), paths[i].end()))) {
                        ++parts[i];
                        changed = true;
                    }
    }
    std::map<std::string, int> seen;
    for (std::size_t i = 0; i < solutions.size(); ++i) {
        const std::string name = name_of(i);
        const int count = ++seen[name];
        solutions[i].name = count == 1 ? name : name + " (" + std::to_string(count) + ")";
    }
}

Solution source_solution(const std::string& path, const LanguageTable& table, const Language* forced)
{
    if (!std::ifstream(path))
        throw SetupError("cannot read the source " + path + ": " + std::strerror(errno));
    const Language* language = forced != nullptr ? forced : language_of(table, path);
    if (language == nullptr)
        throw SetupError("cannot tell the language of " + path + " by its extension (--language names it; " +
                         "--list-languages lists them)");
    if (const std::string missing = missing_program(*language); !missing.empty())
        throw SetupError("cannot judge " + path + ": " + language->name + " is not available here (" + missing +
                         " not found)");
    Solution solution;
    solution.given = {path};
    solution.source = fs::absolute(path).lexically_normal().string();
    solution.language = language->name;
    return solution;
}

// True for the files and folders a class folder holds that are nobody's
// work: hidden ones, and the folders archivers leave.
bool left_out(const fs::path& path)
{
    const std::string name = path.filename().string();
    return name.empty() || name[0] == '.' || name == "__MACOSX";
}

// Every file under a student's folder, by its path from it.
std::vector<std::string> files_under(const fs::path& folder)
{
    std::vector<std::string> files;
    std::error_code error;
    for (fs::recursive_directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        if (left_out(entry->path())) {
            entry.disable_recursion_pending();
            continue;
        }
        if (entry->is_regular_file(error))
            files.push_back(entry->path().lexically_relative(folder).generic_string());
    }
    if (error)
        throw SetupError("cannot read the folder " + folder.string() + ": " + error.message());
    std::sort(files.begin(), files.end());
    return files;
}

// The one language of a student's sources, or why there is none.
const Language* folder_language(const std::vector<std::string>& files, const LanguageTable& table,
                                const Language* forced, std::string& problem)
{
    if (forced != nullptr)
        return forced;
    std::vector<const Language*> found;
    for (const std::string& file : files)
        if (const Language* language = language_of(table, file))
            if (std::find(found.begin(), found.end(), language) == found.end())
                found.push_back(language);
    if (found.size() == 1)
        return found.front();
    if (found.empty()) {
        problem = "no source file in the folder";
        return nullptr;
    }
    problem = "sources in more than one language:";
    for (const Language* language : found)
        problem += (language == found.front() ? " " : ", ") + language->name;
    return nullptr;
}

// The file a student's program runs from: the only source, or main.* among
// several; the first source where all are compiled together.
std::string main_source(const std::vector<std::string>& sources, const Language& language, std::string& problem)
{
    if (!runs_one_file(language) || sources.size() == 1)
        return sources.front();
    for (const std::string& source : sources)
        if (fs::path(source).stem() == "main")
            return source;
    problem = "several " + language.name + " files, none of them named main";
    return sources.front();
}

// One student's folder as one solution.
Solution folder_solution(const fs::path& folder, const LanguageTable& table, const Language* forced)
{
    Solution solution;
    solution.given = {folder.string()};
    solution.root = fs::absolute(folder).lexically_normal().string();
    solution.files = files_under(folder);
    const Language* language = folder_language(solution.files, table, forced, solution.problem);
    solution.language = language != nullptr ? language->name : "none";
    if (language == nullptr)
        return solution;
    if (const std::string missing = missing_program(*language); !missing.empty())
        throw SetupError("cannot judge " + folder.string() + ": " + language->name + " is not available here (" +
                         missing + " not found)");
    std::vector<std::string> sources;
    for (const std::string& file : solution.files)
        if (forced != nullptr || language_of(table, file) == language)
            sources.push_back(file);
    solution.source = solution.root + "/" + main_source(sources, *language, solution.problem);
    return solution;
}

// True for a C-like source that defines main: "main" then "(", not part
// of a longer name.
bool defines_main(const std::string& text)
{
    for (std::size_t at = text.find("main"); at != std::string::npos; at = text.find("main", at + 4)) {
        const bool starts = at == 0 || !(std::isalnum(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == '_');
        std::size_t after = at + 4;
        while (after < text.size() && (text[after] == ' ' || text[after] == '\t'))
            ++after;
        if (starts && after < text.size() && text[after] == '(')
            return true;
    }
    return false;
}

// True when a folder's source files, without subfolders, are one student's
// program rather than several solutions: two or more, all in one language
// compiled together (C, C++, Java), exactly one of them with a main.
bool one_program(const std::vector<fs::path>& files, const LanguageTable& table, const Language* forced)
{
    if (files.size() < 2)
        return false;
    const Language* language = forced != nullptr ? forced : language_of(table, files.front().string());
    if (language == nullptr || runs_one_file(*language))
        return false;
    int mains = 0;
    for (const fs::path& file : files) {
        if (forced == nullptr && language_of(table, file.string()) != language)
            return false;
        const std::string text = read_text(file.string());
        mains += (language->run.size() > 0 && std::find(language->run.begin(), language->run.end(), "{main}") !=
                                                   language->run.end()
                      ? !main_class(text).empty()
                      : defines_main(text))
                     ? 1
                     : 0;
    }
    return mains == 1;
}

// The solutions of a folder named on the command line: its source files,
// each one (or all of them one program, where that is what they are), and
// its subfolders, each one student's.
void folder_solutions(const fs::path& folder, const LanguageTable& table, const Language* forced,
                      std::vector<Solution>& solutions)
{
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
        if (!left_out(entry->path()))
            entries.push_back(entry->path());
    if (error)
        throw SetupError("cannot read the folder " + folder.string() + ": " + error.message());
    std::sort(entries.begin(), entries.end());
    std::vector<fs::path> sources;
    bool subfolders = false;
    for (const fs::path& entry : entries) {
        subfolders = subfolders || fs::is_directory(entry, error);
        if (fs::is_regular_file(entry, error) && (forced != nullptr || language_of(table, entry.string())))
            sources.push_back(entry);
    }
    if (!subfolders && one_program(sources, table, forced)) {
        solutions.push_back(folder_solution(folder, table, forced));
        return;
    }
    const std::size_t before = solutions.size();
    for (const fs::path& entry : entries) {
        if (fs::is_directory(entry, error))
            solutions.push_back(folder_solution(entry, table, forced));
        else if (fs::is_regular_file(entry, error) && (forced != nullptr || language_of(table, entry.string())))
            solutions.push_back(source_solution(entry.string(), table, forced));
    }
    if (solutions.size() == before)
        throw SetupError("no source file in " + folder.string() + " (a file in a language of " + table.origin +
                         ", or a folder of them)");
}

}  // namespace

Solution command_solution(const std::vector<std::string>& words)
{
    Solution solution;
    solution.given = words;
    solution.name = words[0];
    solution.command = words;
    const std::string program = find_program(words[0]);
    if (program.empty())
        throw SetupError("cannot run " + words[0] + ": " +
                         (words[0].find('/') == std::string::npos ? "not found beside exercise-judge or on PATH"
                                                                  : "not an executable file"));
    solution.command[0] = fs::absolute(program).lexically_normal().string();
    for (std::size_t i = 1; i < solution.command.size(); ++i) {
        std::error_code error;
        std::string& word = solution.command[i];
        if (!word.empty() && word[0] != '-' && word[0] != '/' && fs::is_regular_file(word, error))
            word = fs::absolute(word).lexically_normal().string();
    }
    solution.replay_command = shell_line(solution.command);
    return solution;
}

std::vector<Solution> source_solutions(const std::vector<std::string>& paths, const LanguageTable& table,
                                       const Language* forced)
{
    std::vector<Solution> solutions;
    for (const std::string& path : paths) {
        std::error_code error;
        if (!fs::is_directory(path, error)) {
            // A program (a path, or a name beside the judge or on PATH) is
            // run as it is.
            const bool source = forced != nullptr || language_of(table, path) != nullptr;
            if (!source && !find_program(path).empty()) {
                solutions.push_back(command_solution({path}));
                solutions.back().source = solutions.back().command[0];
                continue;
            }
            solutions.push_back(source_solution(path, table, forced));
            continue;
        }
        folder_solutions(path, table, forced, solutions);
    }
    name_uniquely(solutions);
    return solutions;
}

}  // namespace judge
