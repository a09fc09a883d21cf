// Each exercise's problem material (its folder's problem/), that new
// packages are made of: every stored case is valid for the exercise's
// validator, and those of the small plan also in the makers' layout, which
// is all a package's input validator takes (the demo verifies that plan);
// every plan parses and names only stored cases that exist, and every
// stored case is planned; each line of bounds-unreached names a quantity of
// the validator's table; every wrong_answer submission compiles without a
// warning under DOMjudge's default commands.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <future>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/report_table.hpp"
#include "tests/support/run.hpp"

#ifdef WITH_PACKAGE_PLAN
#include "package/plan.hpp"
#endif

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::run_path;
using testing_support::run_with;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::TempDir;

struct Exercise {
    const char* folder;  // in the source tree
    const char* name;    // as plans and the judge name it
    const char* validator;
};

const Exercise exercises[] = {
    {"pro3", "pro3", "pro3-validate"},
    {"pro2", "pro2", "pro2-validate"},
    {"pro6", "pro6", "pro6-validate"},
    {"orders", "3-15", "order-validate"},
};

const char* const plans[] = {"plan", "plan-small", "plan-full"};

// Where a plan finds a stored case: the package's copy of problem/cases/.
const std::string stored_prefix = "generators/cases/";

fs::path problem_folder(const Exercise& exercise)
{
    return fs::path(SOURCE_DIR) / exercise.folder / "problem";
}

std::vector<fs::path> files_in(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The stored cases a plan names, by file name: its "file" lines' last word.
std::vector<std::string> stored_cases_of(const fs::path& plan)
{
    std::vector<std::string> names;
    std::istringstream lines(read_file(plan));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::vector<std::string> word{std::istream_iterator<std::string>(words), {}};
        if (word.size() == 4 && word[2] == "file" && word[3].rfind(stored_prefix, 0) == 0)
            names.push_back(word[3].substr(stored_prefix.size()));
    }
    return names;
}

TEST(ProblemData, EveryStoredCaseIsValid)
{
    for (const Exercise& exercise : exercises) {
        const std::vector<fs::path> cases = files_in(problem_folder(exercise) / "cases");
        EXPECT_GE(cases.size(), 10u) << exercise.name;
        for (const fs::path& stored : cases) {
            const RunResult checked = run_with(exercise.validator, {stored.string()});
            EXPECT_EQ(checked.status, 0) << stored << ": " << checked.err;
        }
    }
}

TEST(ProblemData, SmallPlansStoreOnlyCasesInTheMakersLayout)
{
    for (const Exercise& exercise : exercises) {
        const fs::path folder = problem_folder(exercise);
        for (const std::string& name : stored_cases_of(folder / "plan-small")) {
            const RunResult checked = run_with(exercise.validator, {"--strict", (folder / "cases" / name).string()});
            EXPECT_EQ(checked.status, 0) << exercise.name << " " << name << ": " << checked.err;
        }
    }
}

TEST(ProblemData, EveryPlanParsesAndEveryStoredCaseIsPlanned)
{
    for (const Exercise& exercise : exercises) {
        const fs::path folder = problem_folder(exercise);
        std::set<std::string> planned;
        for (const char* plan : plans) {
            SCOPED_TRACE(std::string(exercise.name) + " " + plan);
            ASSERT_TRUE(fs::is_regular_file(folder / plan));
#ifdef WITH_PACKAGE_PLAN
            try {
                const package::Plan parsed = package::read_plan((folder / plan).string());
                EXPECT_EQ(parsed.exercise->name, exercise.name);
                std::size_t samples = 0, stored = 0;
                for (const package::PlannedCase& entry : parsed.cases) {
                    samples += entry.sample ? 1 : 0;
                    stored += entry.maker.empty() ? 1 : 0;
                }
                EXPECT_GE(samples, 2u);
                EXPECT_LE(samples, 3u);
                EXPECT_EQ(stored, stored_cases_of(folder / plan).size());
            } catch (const package::PlanError& error) {
                ADD_FAILURE() << error.what();
            }
#endif
            for (const std::string& name : stored_cases_of(folder / plan)) {
                EXPECT_TRUE(fs::is_regular_file(folder / "cases" / name)) << name;
                planned.insert(name);
            }
        }
        for (const fs::path& stored : files_in(folder / "cases"))
            EXPECT_EQ(planned.count(stored.filename().string()), 1u) << stored << " is in no plan";
    }
}

// Each line: the quantity's name as the validator's table writes it, its
// bound (one of the quantity's limits) and the reason.
TEST(ProblemData, BoundsUnreachedNameTheValidatorsQuantities)
{
    for (const Exercise& exercise : exercises) {
        const fs::path list = problem_folder(exercise) / "bounds-unreached";
        if (!fs::exists(list))
            continue;
        // The quantities of the validator's tables over the stored cases
        // (a PRO2 case that only counts has no width).
        std::map<std::string, testing_support::ReportRow> table;
        for (const fs::path& stored : files_in(problem_folder(exercise) / "cases"))
            table.merge(testing_support::parse_report(run_with(exercise.validator, {stored.string()}).out).rows);
        // The features the validator reports, the names after the
        // "feature" heading of its table.
        const fs::path any_case = files_in(problem_folder(exercise) / "cases").front();
        const std::string report = run_with(exercise.validator, {"--features", any_case.string()}).out;
        std::istringstream rows(report.substr(report.find("\nfeature ") + 1));
        std::set<std::string> features;
        std::string row;
        std::getline(rows, row);  // the heading
        while (std::getline(rows, row) && !row.empty())
            features.insert(row.substr(0, row.find_last_not_of(' ', row.rfind(' ')) + 1));
        std::istringstream lines(read_file(list));
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("feature ", 0) == 0) {
                const std::string name = line.substr(8, line.find(": ") - 8);
                EXPECT_EQ(features.count(name), 1u) << exercise.name << ": " << line;
                continue;
            }
            bool known = false;
            for (const auto& [quantity, row] : table) {
                const std::size_t dots = row.limits.find("..");
                for (const std::string& bound : {row.limits.substr(0, dots), row.limits.substr(dots + 2)})
                    known = known || line.rfind(quantity + " " + bound + " ", 0) == 0;
            }
            EXPECT_TRUE(known) << exercise.name << ": " << line;
        }
    }
}

// A source and how DOMjudge compiles it by default (GCC's own default
// standards, the program linked statically); Python is parsed.
struct Compile {
    fs::path source;
    std::string compiler;
    std::vector<std::string> args;
    RunResult result;
};

Compile compile_command(const fs::path& source, const fs::path& binary)
{
    const std::string extension = source.extension().string();
    if (extension == ".c")
        return {source, "gcc", {"-x", "c", "-Wall", "-O2", "-static", "-pipe", "-o", binary.string(), source.string(), "-lm"}, {}};
    if (extension == ".cpp")
        return {source, "g++", {"-x", "c++", "-Wall", "-O2", "-static", "-pipe", "-o", binary.string(), source.string()}, {}};
    return {source, "python3",
            {"-c", "import sys; compile(open(sys.argv[1], 'rb').read(), sys.argv[1], 'exec')", source.string()}, {}};
}

// The comment a wrong_answer source opens with, by its extension.
const std::map<std::string, std::string> openings{
    {".c", "/* Wrong answer: "}, {".cpp", "// Wrong answer: "}, {".py", "# Wrong answer: "}};

TEST(ProblemData, WrongAnswersCompileWithoutWarnings)
{
    const TempDir work;
    std::vector<Compile> compiles;
    for (const Exercise& exercise : exercises) {
        const fs::path folder = problem_folder(exercise) / "submissions" / "wrong_answer";
        const std::vector<fs::path> sources = files_in(folder);
        EXPECT_GE(sources.size(), 5u) << exercise.name;
        std::set<std::string> languages;
        for (const fs::path& source : sources) {
            const auto opening = openings.find(source.extension().string());
            if (opening == openings.end()) {
                ADD_FAILURE() << source << ": not C, C++ or Python 3";
                continue;
            }
            languages.insert(opening->first);
            EXPECT_EQ(read_file(source).rfind(opening->second, 0), 0u) << source << ": its top comment says the fault";
            compiles.push_back(compile_command(source, work.path() / (std::string(exercise.folder) + "-" +
                                                                      source.stem().string())));
        }
        EXPECT_EQ(languages.size(), 3u) << exercise.name << ": C, C++ and Python 3 mixed";
    }
    // Static links are slow: as many at a time as there are cores.
    const std::size_t at_once = std::max(1u, std::thread::hardware_concurrency());
    for (std::size_t first = 0; first < compiles.size(); first += at_once) {
        std::vector<std::future<RunResult>> running;
        for (std::size_t i = first; i < std::min(compiles.size(), first + at_once); ++i) {
            RunOptions options;
            options.args = compiles[i].args;
            running.push_back(std::async(std::launch::async, [&compiles, i, options] {
                return run_path(compiles[i].compiler, "", options);
            }));
        }
        for (std::size_t i = first; i < std::min(compiles.size(), first + at_once); ++i)
            compiles[i].result = running[i - first].get();
    }
    for (const Compile& compile : compiles) {
        EXPECT_EQ(compile.result.status, 0) << compile.source << "\n" << compile.result.err;
        EXPECT_EQ(compile.result.err, "") << compile.source;
    }
}

}  // namespace
