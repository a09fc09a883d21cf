// exercise-package: each exercise as a problem package in the legacy Kattis
// problem package format, which DOMjudge, Kattis and others import. `new`
// lays out a package, `build` makes its test data from its plan with the
// suite's makers, validators and reference solvers, `verify` checks it as a
// contest system would (judging every submission in the judge's sandbox and
// setting the time limit from the accepted ones), `zip` packs it.

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/fail.hpp"
#include "judge/base/failure.hpp"
#include "judge/base/text.hpp"
#include "judge/cases/exercises.hpp"
#include "judge/cli/command_line.hpp"
#include "judge/cli/output.hpp"
#include "judge/cli/program.hpp"
#include "package/package.hpp"

namespace {

namespace fs = std::filesystem;

// After the paragraph naming the exercises, up to those with an output
// validator.
const char* const commands =
    R"(Commands:
  new EXERCISE DIR      lay out a new package in DIR, whose name must be a short
                        name of lower-case letters and digits: problem.yaml, the
                        test plan generators/plan, the statement, the input
                        validator, the output validator ()";

// After the exercises with an output validator.
const char* const commands_end =
    R"() and the
                        submissions
  build DIR             make data/sample and data/secret from the plan, each
                        case checked by the validator and answered by the
                        reference; report which of the format's bounds the test
                        set reaches; render the statement with its samples as
                        problem_statement/problem.pdf and problem.html
  verify DIR            check the package as a contest system would, judge every
                        submission on every case in the sandbox, set the time
                        limit (.timelimit); exit 0 when every check passed
  zip DIR               write the package as DIR.zip, problem.yaml at its root,
                        once verify passed on it
Each command's options: exercise-package COMMAND --help.
)";

const char* const more =
    R"(Exit status: 0 on success; 1 when the package is wrong (a plan line that does
not parse, a case the validator rejects, a check verify finds failing); 2 for
a usage or setup error.
)";

const char* const examples =
    R"(  exercise-package new pro6 merge
  exercise-package build merge
  exercise-package verify --html merge.html merge
  exercise-package zip merge
)";

// The number of cases made at a time by default.
int cores()
{
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// The exercises whose packages have an output validator: "3-15".
std::string with_output_validator()
{
    std::string names;
    for (const judge::Exercise& exercise : judge::exercises())
        if (!exercise.problem.output_validator.empty())
            names += (names.empty() ? "" : ", ") + exercise.name;
    return names;
}

// "Makes, builds, verifies and zips ... (pro3, pro2, pro6 or 3-15) ...".
std::string about_text()
{
    return judge::wrapped("Makes, builds, verifies and zips a problem package of one of the suite's exercises (" +
                              judge::exercise_names() +
                              ") in the legacy Kattis problem package format, which DOMjudge and Kattis import.",
                          78) +
           "\n\n" + commands + with_output_validator() + commands_end;
}

// A package's folder must be there: one that is not is a usage error.
void existing_folder(const judge::CommandLine& line, const std::string& folder)
{
    std::error_code error;
    if (!fs::exists(folder, error))
        line.usage_error(folder + " does not exist");
    if (!fs::is_directory(folder, error))
        line.usage_error(folder + " is not a folder");
}

int run_new(int argc, char** argv)
{
    package::NewOptions options;
    judge::CommandLine line("new [OPTION]... EXERCISE DIR",
                            "Lays out a new problem package of EXERCISE (" + judge::exercise_names() +
                                ") in DIR, which must\n"
                                "not exist or be empty, and whose name must be a short name of lower-case letters\n"
                                "a-z and digits 0-9.\n",
                            "", "  exercise-package new --name 'Merge and Search' pro6 merge\n");
    line.option("--name", options.name, "TEXT", "the problem's name (default: the exercise's)");
    line.option("--source", options.source, "TEXT", "who gets source credit (default: Exercise suite)");
    line.option("--license", options.license, "NAME",
                "the license (default: educational; unknown,\npublic domain, cc0, cc by, cc by-sa, permission)");
    line.option("--rights-owner", options.rights_owner, "TEXT",
                "the copyright owner (default: Exercise suite\nmaintainers)");
    line.flag("--small", options.small, "a small test plan, quick to build and verify");
    line.flag("--full", options.full,
              "the full test plan: the format's largest cases\ntoo, larger than a stock contest server imports");
    std::vector<std::string> operands;
    line.operands("EXERCISE", operands);
    line.parse(argc, argv);
    if (operands.size() != 2)
        line.usage_error("expected EXERCISE and DIR");
    if (options.small && options.full)
        line.usage_error("--small and --full choose plans: give one");
    options.exercise = operands[0];
    options.folder = operands[1];
    try {
        package::new_package(options);
    } catch (const package::UsageError& error) {
        line.usage_error(error.what());
    }
    judge::print("New " + judge::find_exercise(options.exercise)->name + " package in " + options.folder + "; next: exercise-package build " +
                 options.folder + "\n");
    return 0;
}

int run_build(int argc, char** argv)
{
    int jobs = cores();
    judge::CommandLine line("build [OPTION]... DIR",
                            "Makes DIR/data/sample and DIR/data/secret from DIR/generators/plan: every case by its\n"
                            "maker and seed (or from its stored file), checked by the exercise's validator\n"
                            "(--strict for a maker's case), answered by the reference solver, written as\n"
                            "NAME.in, NAME.ans and NAME.desc. A case whose recipe did not change is kept.\n"
                            "The data are replaced whole, or not at all. Then the statement,\n"
                            "problem_statement/problem.en.tex, is rendered with the samples as problem.pdf\n"
                            "(by pdflatex, when it is on PATH) and problem.html, which contest systems show.\n",
                            "", "  exercise-package build merge\n");
    line.option("-j,--jobs", jobs, "N", "make N cases at a time (default: the cores)", 1, 256);
    std::string folder;
    line.operand("DIR", folder);
    line.parse(argc, argv);
    existing_folder(line, folder);
    return package::build_package(folder, jobs);
}

int run_verify(int argc, char** argv)
{
    package::VerifyOptions options;
    judge::CommandLine line("verify [OPTION]... DIR",
                            "Checks the package in DIR as a contest system would: its files, every input\n"
                            "through its input validator, every answer against the reference, the output\n"
                            "validator, and every submission on every case in the sandbox. The time limit\n"
                            "is the slowest accepted run times time_multiplier, rounded up, at least 1 s,\n"
                            "written to DIR/.timelimit; the other submissions run under it times\n"
                            "time_safety_margin, and a verdict that differs between the two is flagged.\n",
                            "", "  exercise-package verify --html report.html merge\n");
    line.option("--html", options.html, "FILE", "write the submissions' matrix as an HTML page");
    line.option("--sandbox", options.sandbox, "MODE", "auto, bwrap or none (default auto)", {"auto", "bwrap", "none"});
    line.option("--probe-limit", options.probe_seconds, "SECONDS",
                "processor time of an accepted run while the time\nlimit is found (default 30)", 0.01, 86400.0);
    line.option("-j,--jobs", options.jobs, "N", "judge N runs at a time (default 1)", 1, 256);
    line.operand("DIR", options.folder);
    line.parse(argc, argv);
    existing_folder(line, options.folder);
    return package::verify_package(options);
}

int run_zip(int argc, char** argv)
{
    std::string output;
    judge::CommandLine line("zip [OPTION]... DIR",
                            "Writes the package in DIR as one zip, problem.yaml at its root, as DOMjudge's\n"
                            "problem import and Kattis take it: only a package whose last verify passed and\n"
                            "that has not changed since. Warns, naming the server settings to raise, where a\n"
                            "stock DOMjudge would refuse it (an upload over 256 MiB, data over the 512 MiB\n"
                            "its importer holds, a case over MySQL's max_allowed_packet of 64 MiB).\n",
                            "", "  exercise-package zip -o merge.zip merge\n");
    line.option("-o,--output", output, "FILE", "the zip to write (default: DIR.zip beside DIR)");
    bool force = false;
    line.flag("--force", force, "zip a package whose last verify failed, or that\nwas never verified as it is");
    std::string folder;
    line.operand("DIR", folder);
    line.parse(argc, argv);
    existing_folder(line, folder);
    if (output.empty()) {
        fs::path path = fs::path(folder).lexically_normal();
        if (path.filename().empty())
            path = path.parent_path();
        output = path.string() + ".zip";
    }
    for (const std::string& warning : package::zip_package(folder, output, force))
        std::fprintf(stderr, "exercise-package: warning: %s\n", judge::terminal_text(warning).c_str());
    judge::print("Wrote " + output + "\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "exercise-package";
    common::failure_status = 2;
    const char* command = argc > 1 ? argv[1] : "";
    int (*run)(int, char**) = std::strcmp(command, "new") == 0      ? run_new
                              : std::strcmp(command, "build") == 0  ? run_build
                              : std::strcmp(command, "verify") == 0 ? run_verify
                              : std::strcmp(command, "zip") == 0    ? run_zip
                                                                    : nullptr;
    if (run == nullptr) {
        judge::CommandLine line("COMMAND [OPTION]... ARG...", about_text(), more, examples);
        std::vector<std::string> words;
        line.operands("COMMAND", words);
        line.parse(argc, argv);
        line.usage_error(argc > 1 ? "unknown command '" + std::string(command) + "' (new, build, verify or zip)"
                                  : "expected a COMMAND: new, build, verify or zip");
    }
    judge::take_charge();
    try {
        return run(argc - 1, argv + 1);
    } catch (const judge::Interrupted& interrupted) {
        judge::end_by(interrupted.signal);
    } catch (const judge::WriteError& error) {
        common::failure_status = 1;
        common::fail("%s", error.what());
    } catch (const judge::SetupError& error) {
        common::fail("%s", judge::terminal_text(error.what()).c_str());
    } catch (const package::PackageError& error) {
        common::failure_status = 1;
        common::fail("%s", judge::terminal_text(error.what()).c_str());
    } catch (const std::exception& error) {
        common::fail("%s", judge::terminal_text(error.what()).c_str());
    }
}
