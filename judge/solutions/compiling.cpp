// Compiling sources in the sandbox.

#include "judge/solutions/compiling.hpp"

#include <algorithm>
#include <filesystem>

#include "judge/base/failure.hpp"
#include "judge/base/files.hpp"
#include "judge/base/pool.hpp"
#include "judge/base/text.hpp"
#include "judge/run/programs.hpp"

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

// The compile step of one source, in its build folder.
void compile(Solution& solution, const Language& language, const Sandbox& sandbox, const Limits& limits,
             const std::string& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    const std::string copy = folder + "/" + fs::path(solution.source).filename().string();
    if (error || !save_file(solution.source, copy))
        throw SetupError("cannot copy " + solution.source + " into " + folder);
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
        if (outcome.ending == Ending::interrupted)
            throw Interrupted(interruption());
        if (outcome.ending == Ending::not_started)
            throw SetupError("cannot run the compiler " + argv[0] + ": " + outcome.why);
        solution.compilation.outcome = outcome;
        solution.compilation.seconds = outcome.cpu_seconds;
        solution.compilation.log = log_excerpt(launch.error);
        std::vector<std::string> replay_compile = fill_in(language.compile, replay);
        solution.replay_build = "d=$(mktemp -d) && " + replay_words(replay_compile) + " && ";
    } else {
        solution.replay_build = "d=$(mktemp -d) && ";
    }
    const bool wants_main = std::find(language.run.begin(), language.run.end(), "{main}") != language.run.end();
    if (wants_main && values.main.empty()) {
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

void prepare_solutions(std::vector<Solution>& solutions, const LanguageTable& table, const Sandbox& sandbox,
                       const Limits& limits, const std::string& folder, int jobs)
{
    for_each_index(solutions.size(), jobs, [&](std::size_t index) {
        Solution& solution = solutions[index];
        if (solution.language.empty()) {
            solution.exposed = sandbox.exposures(solution.command);
            return;
        }
        compile(solution, *language_named(table, solution.language), sandbox, limits,
                folder + "/solution-" + std::to_string(index + 1));
    });
}

}  // namespace judge
