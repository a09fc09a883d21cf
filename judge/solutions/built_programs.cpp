// Building and running the programs a package brings.

#include "judge/solutions/built_programs.hpp"

#include <filesystem>

#include "judge/base/failure.hpp"
#include "judge/base/files.hpp"
#include "judge/base/text.hpp"

namespace judge {

namespace fs = std::filesystem;

namespace {

// How much of a program's output is read for its last line.
constexpr std::size_t tail_bytes = 4096;

// Runs argv in the sandbox in work, both streams into output.
Outcome sandboxed(const Sandbox& sandbox, const std::vector<std::string>& argv, const std::string& work,
                  const std::string& input, const std::string& output, const Limits& limits,
                  const std::vector<std::string>& folders = {})
{
    std::error_code error;
    fs::create_directories(work, error);
    Launch launch;
    sandbox.prepare(launch, argv, work, sandbox.exposures(argv, folders));
    launch.input = input;
    launch.output = output;
    launch.error = output;
    launch.limits = limits;
    const Outcome outcome = run(launch);
    if (outcome.ending == Ending::not_started)
        throw SetupError("cannot run " + argv[0] + ": " + outcome.why);
    if (outcome.ending == Ending::interrupted)
        throw Interrupted(interruption());
    return outcome;
}

std::string last_line_of(const std::string& path)
{
    return terminal_text(last_line(read_tail(path, tail_bytes)));
}

}  // namespace

std::string build_program(const Sandbox& sandbox, const std::string& path, const std::string& into,
                          const Limits& limits, BuiltProgram& program)
{
    program.name = fs::path(path).filename().string();
    program.folder = into;
    std::error_code error;
    fs::create_directories(program.folder, error);
    if (fs::is_directory(path, error))
        fs::copy(path, program.folder, fs::copy_options::recursive, error);
    else
        fs::copy_file(path, fs::path(program.folder) / program.name, error);
    if (error)
        return "cannot copy it: " + error.message();
    const fs::path script = fs::path(program.folder) / "build";
    const fs::path run = fs::path(program.folder) / "run";
    if (fs::is_regular_file(script, error)) {
        const Outcome outcome =
            sandboxed(sandbox, {"/bin/sh", script.string()}, program.folder, "", program.folder + ".build.out", limits);
        if (outcome.ending != Ending::exited || outcome.code != 0)
            return "its build script failed: " + last_line_of(program.folder + ".build.out");
    }
    if (!fs::is_regular_file(run, error))
        return "no run program after its build script (a folder with a build script is what this package "
               "knows)";
    program.run = run.string();
    return "";
}

ProgramEnd run_built(const Sandbox& sandbox, const BuiltProgram& program, const std::vector<std::string>& args,
                     const std::string& input, const std::string& work, const std::string& output,
                     const Limits& limits)
{
    std::vector<std::string> argv{program.run};
    argv.insert(argv.end(), args.begin(), args.end());
    const Outcome outcome = sandboxed(sandbox, argv, work, input, output, limits, {program.folder});
    ProgramEnd end;
    if (outcome.ending == Ending::exited)
        end.status = outcome.code;
    end.last_line = last_line_of(output);
    return end;
}

}  // namespace judge
