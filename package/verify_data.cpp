// verify's checks of the data: names and pairs of files, every input
// through the package's input validators, every answer against the
// reference's, and the output validator on the answers.

#include <algorithm>
#include <filesystem>

#include "judge/base/files.hpp"
#include "judge/base/text.hpp"
#include "judge/cases/road.hpp"
#include "judge/judging/compare.hpp"
#include "judge/solutions/built_programs.hpp"
#include "package/plan.hpp"
#include "package/verify.hpp"

namespace package {

namespace fs = std::filesystem;

namespace {

// The limits a validator's build and run get: what contest systems give.
const judge::Limits build_limits = judge::solution_limits(60, 2048, 64, 256);
const judge::Limits validation_limits = judge::solution_limits(60, 2048, 8, 256);

// The exit statuses of a validator's judgement.
constexpr int accepted_status = 42;
constexpr int rejected_status = 43;

// The package's programs of one kind: each file or folder in folder.
std::vector<fs::path> programs_in(const fs::path& folder)
{
    std::vector<fs::path> programs;
    std::error_code error;
    if (fs::is_directory(folder, error))
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            programs.push_back(entry.path());
    std::sort(programs.begin(), programs.end());
    return programs;
}

// The data's validators of one kind, built in folder; those that do not
// build are failed checks.
std::vector<judge::BuiltProgram> built(const fs::path& folder, const char* kind, const judge::Sandbox& sandbox,
                                       const std::string& scratch, Checks& checks)
{
    std::vector<judge::BuiltProgram> programs;
    static int count = 0;
    for (const fs::path& path : programs_in(folder)) {
        judge::BuiltProgram program;
        const std::string why = judge::build_program(sandbox, path.string(),
                                                     scratch + "/program-" + std::to_string(++count), build_limits,
                                                     program);
        checks.check(why.empty(), std::string(kind) + "/" + program.name + ": " + why);
        if (why.empty())
            programs.push_back(std::move(program));
    }
    return programs;
}

void check_inputs(const fs::path& package, const std::vector<DataCase>& cases, const judge::Sandbox& sandbox,
                  const std::string& scratch, Checks& checks)
{
    if (programs_in(package / "input_validators").empty()) {
        checks.fail("input_validators/ holds no validator");
        return;
    }
    for (const judge::BuiltProgram& program :
         built(package / "input_validators", "input_validators", sandbox, scratch, checks))
        for (const DataCase& data : cases) {
            const std::string work = scratch + "/input-" + data.name;
            const judge::ProgramEnd end =
                judge::run_built(sandbox, program, {}, data.input.string(), work, work + ".out", validation_limits);
            checks.check(end.status == accepted_status, "data/" + data.group + "/" + data.name +
                                                            ".in: the input validator " + program.name +
                                                            " does not accept it (" + end.last_line + ")");
        }
}

// Each answer is the reference's: the case down the road without the
// validator (the package's own validators judge the inputs).
void check_answers(const judge::Exercise& exercise, const std::vector<DataCase>& cases, const judge::Road& road,
                   const std::string& scratch, Checks& checks)
{
    judge::Road answering = road;
    answering.validator.clear();
    const std::string reference = fs::path(road.reference).filename().string();
    for (const DataCase& data : cases) {
        judge::CaseSource source;
        source.name = data.name;
        source.input = data.input.string();
        judge::PreparedCase prepared(answering, source, scratch + "/answer-" + data.group + "-" + data.name);
        prepared.prepare();
        if (prepared.unusable()) {
            checks.fail("data/" + data.group + "/" + data.name + ".in: the reference " + reference + " failed on it");
            continue;
        }
        const judge::Difference difference =
            judge::compare_outputs(prepared.expected_file(), data.answer.string(), exercise.clock_line());
        checks.check(difference.same, "data/" + data.group + "/" + data.name +
                                          ".ans is not the reference's answer: " + judge::describe(difference));
    }
}

// The output validator accepts each answer as its own output, and rejects
// it with its first line changed.
bool judges_answer_right(const judge::BuiltProgram& program, const DataCase& data, const judge::Sandbox& sandbox,
                         const std::string& scratch)
{
    // The validator sees its own working folder: the input and the answer
    // are copied there.
    const std::string work = scratch + "/output-" + data.name;
    const std::string feedback = work + "/feedback/";
    const std::string changed = work + ".changed";
    std::error_code error;
    fs::create_directories(feedback, error);
    fs::copy_file(data.input, work + "/input", error);
    fs::copy_file(data.answer, work + "/answer", error);
    std::string text = "1";
    text += judge::read_text(data.answer.string());
    judge::save_text(text, changed);
    const std::vector<std::string> args{work + "/input", work + "/answer", feedback};
    const judge::ProgramEnd own =
        judge::run_built(sandbox, program, args, data.answer.string(), work, work + ".out", validation_limits);
    const judge::ProgramEnd other = judge::run_built(sandbox, program, args, changed, work, work + ".out", validation_limits);
    return own.status == accepted_status && other.status == rejected_status;
}

void check_output_validators(const fs::path& package, const ProblemYaml& yaml, const std::vector<DataCase>& cases,
                             const judge::Sandbox& sandbox, const std::string& scratch, Checks& checks)
{
    const bool any = !programs_in(package / "output_validators").empty();
    if (yaml.validation == "default") {
        checks.check(!any, "output_validators/ is there, but problem.yaml says validation: default");
        return;
    }
    if (!any) {
        checks.fail("problem.yaml says validation: custom, but output_validators/ holds no validator");
        return;
    }
    for (const judge::BuiltProgram& program :
         built(package / "output_validators", "output_validators", sandbox, scratch, checks)) {
        int wrong = 0;
        std::string first_wrong;
        for (const DataCase& data : cases)
            if (!judges_answer_right(program, data, sandbox, scratch) && wrong++ == 0)
                first_wrong = data.name;
        checks.check(wrong == 0, "output_validators/" + program.name + " misjudges " + std::to_string(wrong) +
                                     " cases' answers, first " + first_wrong +
                                     " (it must accept the answer, exit 42, and reject it changed, exit 43)");
    }
}

}  // namespace

void Checks::merge(const Checks& other)
{
    passed_ += other.passed_;
    failed_ += other.failed_;
    problems_.insert(problems_.end(), other.problems_.begin(), other.problems_.end());
    flags_.insert(flags_.end(), other.flags_.begin(), other.flags_.end());
}

std::string Checks::report() const
{
    std::string text;
    if (!flags_.empty()) {
        text += "\nFlagged (not failures):\n";
        for (const std::string& note : flags_)
            text += "  " + judge::terminal_text(note) + "\n";
    }
    text += problems_.empty() ? "\nNo problem found.\n" : "\nProblems found:\n";
    for (const std::string& problem : problems_)
        text += "  " + judge::terminal_text(problem) + "\n";
    return text + std::to_string(passed_) + " passed, " + std::to_string(failed_) + " failed\n";
}

std::vector<DataCase> data_cases(const fs::path& package, Checks& checks)
{
    std::vector<DataCase> cases;
    for (const std::string group : {"sample", "secret"}) {
        const fs::path folder = package / "data" / group;
        std::error_code error;
        if (!fs::is_directory(folder, error)) {
            checks.check(group == "sample", "data/" + group + " is missing");
            continue;
        }
        std::vector<DataCase> found;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            const std::string file = entry.path().filename().string();
            if (!valid_file_name(file))
                checks.fail("data/" + group + "/" + file + ": a name the format does not allow");
            if (entry.path().extension() != ".in")
                continue;
            DataCase data{entry.path().stem().string(), group, entry.path(), entry.path(), entry.path()};
            data.answer.replace_extension(".ans");
            data.desc.replace_extension(".desc");
            if (!fs::is_regular_file(data.answer, error))
                checks.fail("data/" + group + "/" + data.name + ".in has no .ans");
            else
                found.push_back(std::move(data));
        }
        std::sort(found.begin(), found.end(), [](const DataCase& a, const DataCase& b) { return a.name < b.name; });
        cases.insert(cases.end(), found.begin(), found.end());
    }
    if (std::none_of(cases.begin(), cases.end(), [](const DataCase& data) { return data.group == "secret"; }))
        checks.fail("no secret case: run exercise-package build first");
    return cases;
}

void check_data(const fs::path& package, const judge::Exercise& exercise, const ProblemYaml& yaml,
                const std::vector<DataCase>& cases, const judge::Sandbox& sandbox, const judge::Road& road,
                const std::string& folder, Checks& checks)
{
    std::error_code error;
    fs::create_directories(folder, error);
    check_inputs(package, cases, sandbox, folder, checks);
    check_answers(exercise, cases, road, folder, checks);
    check_output_validators(package, yaml, cases, sandbox, folder, checks);
}

}  // namespace package
