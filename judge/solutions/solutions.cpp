// Finding the solutions, naming them, and compiling the sources.

#include "judge/solutions/solutions.hpp"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <thread>

#include "judge/base/files.hpp"
#include "judge/base/failure.hpp"
#include "judge/run/programs.hpp"
#include "judge/run/temporary.hpp"
#include "judge/run/sandbox.hpp"
#include "judge/judging/settings.hpp"
#include "judge/base/text.hpp"
#include "judge/judging/verdict.hpp"

namespace judge {

namespace fs = std::filesystem;

namespace {

// The program a compile step makes, in the build folder.
constexpr const char* binary_name = "solution";

// How much of a compiler's standard error a report keeps.
constexpr std::size_t log_lines = 20;
constexpr std::size_t log_bytes = 4000;

// Stands for the replay's build folder in a filled-in command, and what it
// becomes in the shell line (a variable, out of the single quotes).
constexpr char replay_folder_mark = '\x01';
constexpr const char* replay_folder_shell = "'\"$d\"'";

std::string read_text(const std::string& path, std::size_t most = std::string::npos)
{
    std::ifstream file(path, std::ios::binary);
    std::string text(std::istreambuf_iterator<char>(file), {});
    return text.size() > most ? text.substr(0, most) : text;
}

// The first lines of a compiler's messages.
std::string log_excerpt(const std::string& path)
{
    std::string text = read_text(path, log_bytes);
    std::size_t at = 0;
    for (std::size_t line = 0; line < log_lines && at != std::string::npos; ++line)
        at = text.find('\n', at == 0 && line == 0 ? 0 : at + 1);
    if (at != std::string::npos)
        text.erase(at + 1);
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

// A command as a shell line, with the replay's folder as "$d".
std::string replay_words(const std::vector<std::string>& words)
{
    std::string line = shell_line(words);
    for (std::size_t at = line.find(replay_folder_mark); at != std::string::npos; at = line.find(replay_folder_mark))
        line.replace(at, 1, replay_folder_shell);
    return line;
}

// The program of a command as a full path: {binary} already is one.
std::string resolved(const std::string& program)
{
    const std::string found = find_tool(program);
    return found.empty() ? program : fs::absolute(found).string();
}

// Makes the names unique: a file's name, with as many of its folders in
// front as it takes to tell it from the others, then a number.
void name_uniquely(std::vector<Solution>& solutions)
{
    std::vector<fs::path> paths;
    for (const Solution& solution : solutions)
        paths.push_back(fs::absolute(solution.source).lexically_normal());
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
    std::ifstream readable(path);
    if (!readable)
        throw SetupError("cannot read the source " + path);
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

// The compile step of one source, in its build folder.
void compile(Solution& solution, const Language& language, const Sandbox& sandbox, const Limits& limits,
             const std::string& folder, std::atomic<bool>& stop, std::string& setup_error)
{
    std::error_code error;
    fs::create_directories(folder, error);
    const std::string copy = folder + "/" + fs::path(solution.source).filename().string();
    if (error || !save_file(solution.source, copy)) {
        setup_error = "cannot copy " + solution.source + " into " + folder;
        stop = true;
        return;
    }
    const std::string source_text = read_text(copy);
    Placeholders values{copy, folder + "/" + binary_name, folder, main_class(source_text)};
    // The compiler runs in the build folder and is given the names there,
    // so that its messages name the source as the author knows it.
    const Placeholders here{fs::path(copy).filename().string(), binary_name, ".", values.main};
    Placeholders replay{solution.source, std::string(1, replay_folder_mark) + "/" + binary_name,
                        std::string(1, replay_folder_mark), values.main};

    if (!language.compile.empty()) {
        solution.compilation.needed = true;
        std::vector<std::string> argv = fill_in(language.compile, here);
        argv[0] = resolved(argv[0]);
        Launch launch;
        sandbox.prepare(launch, argv, folder, sandbox.exposures(argv));
        launch.output = folder + ".compile.out";
        launch.error = folder + ".compile.err";
        launch.limits = limits;
        const Outcome outcome = run(launch);
        if (outcome.ending == Ending::interrupted || outcome.ending == Ending::not_started) {
            if (outcome.ending == Ending::not_started)
                setup_error = "cannot run the compiler " + argv[0] + ": " + outcome.why;
            stop = true;
            return;
        }
        solution.compilation.seconds = outcome.cpu_seconds;
        solution.compilation.log = log_excerpt(launch.error);
        if (const auto judgement = judge_ending(outcome, Bounds{limits}, 0)) {
            solution.compilation.ok = false;
            solution.compilation.detail = judgement->detail;
        }
        std::vector<std::string> replay_compile = fill_in(language.compile, replay);
        solution.replay_build = "d=$(mktemp -d) && " + replay_words(replay_compile) + " && ";
    } else {
        solution.replay_build = "d=$(mktemp -d) && ";
    }
    const bool wants_main = std::find(language.run.begin(), language.run.end(), "{main}") != language.run.end();
    if (solution.compilation.ok && wants_main && values.main.empty()) {
        solution.compilation.ok = false;
        solution.compilation.detail = "no class with a main method";
    }
    solution.command = fill_in(language.run, values);
    solution.command[0] = resolved(solution.command[0]);
    std::vector<std::string> replay_run = fill_in(language.run, replay);
    replay_run[0] = replay_run[0].find(replay_folder_mark) == std::string::npos ? resolved(replay_run[0]) : replay_run[0];
    solution.replay_command = replay_words(replay_run);
    solution.folder = folder;
    solution.exposed = sandbox.exposures(solution.command, {folder});
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
        std::vector<std::string> files;
        for (fs::directory_iterator entry(path, error), end; !error && entry != end; entry.increment(error))
            if (entry->is_regular_file(error) && (forced != nullptr || language_of(table, entry->path().string())))
                files.push_back(entry->path().string());
        if (error)
            throw SetupError("cannot read the folder " + path + ": " + error.message());
        if (files.empty())
            throw SetupError("no source file in " + path + " (a file in a language of " + table.origin + ")");
        std::sort(files.begin(), files.end());
        for (const std::string& file : files)
            solutions.push_back(source_solution(file, table, forced));
    }
    name_uniquely(solutions);
    return solutions;
}

bool prepare_solutions(std::vector<Solution>& solutions, const LanguageTable& table, const Sandbox& sandbox,
                       const Limits& limits, const std::string& folder, int jobs)
{
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    std::mutex errors;
    std::string setup_error;
    const auto work = [&] {
        for (std::size_t index; !stop && (index = next++) < solutions.size();) {
            Solution& solution = solutions[index];
            if (solution.language.empty()) {
                solution.exposed = sandbox.exposures(solution.command);
                continue;
            }
            const Language* language = language_named(table, solution.language);
            std::string error;
            compile(solution, *language, sandbox, limits, folder + "/solution-" + std::to_string(index + 1), stop,
                    error);
            if (!error.empty()) {
                const std::lock_guard lock(errors);
                setup_error = error;
            }
        }
    };
    std::vector<std::thread> pool;
    for (int i = 1; i < std::min<int>(jobs, static_cast<int>(solutions.size())); ++i)
        pool.emplace_back(work);
    work();
    for (std::thread& thread : pool)
        thread.join();
    if (!setup_error.empty())
        throw SetupError(setup_error);
    return !stop;
}

}  // namespace judge
