// Compiling sources in the sandbox.

#include "judge/solutions/compiling.hpp"

#include <algorithm>
#include <filesystem>
#include <string_view>

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

// The byte-order mark some editors put at the start of a UTF-8 file.
constexpr std::string_view byte_order_mark = "\xef\xbb\xbf";

// One file of a solution as its build folder holds it.
struct BuildFile {
    std::string from;  // where it lies
    std::string name;  // its path in the build folder
    bool source = false;
    bool marked = false;  // began with a byte-order mark, left out of the copy
};

// The files a solution's build folder gets: its one source, or every file
// of its student's folder; a Java source under its public type's name.
std::vector<BuildFile> build_files(const Solution& solution, const Language& language, const LanguageTable& table)
{
    std::vector<BuildFile> files;
    if (solution.root.empty())
        files.push_back({solution.source, fs::path(solution.source).filename().string(), true});
    else
        for (const std::string& file : solution.files)
            files.push_back({solution.root + "/" + file, file,
                             language_of(table, file) == &language || solution.source == solution.root + "/" + file});
    for (BuildFile& file : files) {
        if (!file.source)
            continue;
        const std::string text = read_text(file.from);
        file.marked = text.compare(0, byte_order_mark.size(), byte_order_mark) == 0;
        if (std::find(language.run.begin(), language.run.end(), "{main}") != language.run.end())
            if (const std::string type = public_type(text); !type.empty())
                file.name = (fs::path(file.name).parent_path() / (type + fs::path(file.name).extension().string()))
                                .generic_string();
    }
    return files;
}

// Copies the files into the build folder, without their byte-order marks.
void copy_files(const std::vector<BuildFile>& files, const std::string& folder)
{
    for (const BuildFile& file : files) {
        const std::string to = folder + "/" + file.name;
        std::error_code error;
        fs::create_directories(fs::path(to).parent_path(), error);
        const bool copied = file.marked ? save_text(read_text(file.from).substr(byte_order_mark.size()), to)
                                        : !error && save_file(file.from, to);
        if (!copied)
            throw SetupError("cannot copy " + file.from + " into " + folder);
    }
}

// The shell line's part that makes the build folder "$d" again: the
// files copied (a byte-order mark left out), then the compile step there.
std::string replay_setup(const std::vector<BuildFile>& files, const std::vector<std::string>& compile)
{
    std::string line;
    for (const BuildFile& file : files) {
        const std::string to = "\"$d\"/" + shell_quote(file.name);
        if (file.name.find('/') != std::string::npos)
            line += "mkdir -p \"$d\"/" + shell_quote(fs::path(file.name).parent_path().string()) + " && ";
        line += file.marked ? "sed '1s/^\\xef\\xbb\\xbf//' " + shell_quote(file.from) + " > " + to + " && "
                            : "cp " + shell_quote(file.from) + " " + to + " && ";
    }
    if (!compile.empty())
        line += "(cd \"$d\" && " + shell_line(compile) + ") && ";
    return line;
}

// The main class of a Java-like solution: the one holding main among its
// sources.
std::string main_of(const std::vector<BuildFile>& files, const std::string& folder)
{
    for (const BuildFile& file : files)
        if (file.source)
            if (std::string main = main_class(read_text(folder + "/" + file.name)); !main.empty())
                return main;
    return "";
}

// Runs the compile step in the build folder; what it said is kept.
void run_compiler(Solution& solution, const std::vector<std::string>& argv, const Sandbox& sandbox,
                  const Limits& limits, const std::string& folder)
{
    solution.compilation.needed = true;
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
}

// The compile step of one solution, in its build folder.
void compile(Solution& solution, const Language& language, const LanguageTable& table, const Sandbox& sandbox,
             const Limits& limits, const Limits& run_limits, const std::string& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    const std::vector<BuildFile> files = build_files(solution, language, table);
    copy_files(files, folder);
    std::string main_file;
    std::vector<std::string> sources;
    for (const BuildFile& file : files) {
        if (file.source)
            sources.push_back(file.name);
        if (file.from == solution.source)
            main_file = file.name;
    }
    const std::string main = main_of(files, folder);
    // The compiler runs in the build folder and is given the names there,
    // so that its messages name the files as the author knows them.
    const std::string memory = std::to_string(run_limits.memory_bytes >> 20);
    const Placeholders here{main_file, binary_name, ".", main, sources, memory};
    const Placeholders values{folder + "/" + main_file, folder + "/" + binary_name, folder, main, {}, memory};
    const Placeholders replay{std::string(1, replay_folder_mark) + "/" + main_file,
                              std::string(1, replay_folder_mark) + "/" + binary_name,
                              std::string(1, replay_folder_mark), main, {}, memory};
    std::vector<std::string> argv = fill_in(language.compile, here);
    if (!argv.empty()) {
        argv[0] = resolved(argv[0]);
        run_compiler(solution, argv, sandbox, limits, folder);
    }
    solution.replay_build = replay_setup(files, argv);
    const bool wants_main = std::find(language.run.begin(), language.run.end(), "{main}") != language.run.end();
    if (wants_main && main.empty()) {
        solution.compilation.ok = false;
        solution.compilation.detail = "no class with a main method";
    }
    solution.command = fill_in(language.run, values);
    solution.command[0] = resolved(solution.command[0]);
    std::vector<std::string> replay_run = fill_in(language.run, replay);
    replay_run[0] = replay_run[0].find(replay_folder_mark) == std::string::npos ? resolved(replay_run[0]) : replay_run[0];
    solution.replay_command = replay_words(replay_run);
    solution.replay_in_folder = true;
    solution.folder = folder;
    solution.exposed = sandbox.exposures(solution.command, {folder});
}

// A student's folder that cannot be compiled at all.
void cannot_compile(Solution& solution)
{
    solution.compilation.needed = true;
    solution.compilation.ok = false;
    solution.compilation.detail = solution.problem;
}

}  // namespace

void prepare_solutions(std::vector<Solution>& solutions, const LanguageTable& table, const Sandbox& sandbox,
                       const Limits& limits, const Limits& run_limits, const std::string& folder, int jobs,
                       const std::function<void(std::size_t index)>& compiled)
{
    for_each_index(solutions.size(), jobs, [&](std::size_t index) {
        Solution& solution = solutions[index];
        if (solution.language.empty()) {
            solution.exposed = sandbox.exposures(solution.command);
            return;
        }
        if (!solution.problem.empty())
            cannot_compile(solution);
        else
            compile(solution, *language_named(table, solution.language), table, sandbox, limits, run_limits,
                    folder + "/solution-" + std::to_string(index + 1));
        if (compiled)
            compiled(index);
    });
}

}  // namespace judge
