// exercise-package build: a package's test data made from its plan, each
// case down the judge's one road (made by its maker or copied from its
// stored file, checked by the validator, answered by the reference), all
// of it replaced whole or not at all, then the coverage of the format's
// bounds reported.

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>

#include "judge/base/failure.hpp"
#include "judge/base/files.hpp"
#include "judge/base/pool.hpp"
#include "judge/base/text.hpp"
#include "judge/cases/road.hpp"
#include "judge/cli/progress.hpp"
#include "judge/judging/settings.hpp"
#include "package/coverage.hpp"
#include "package/files.hpp"
#include "package/package.hpp"
#include "package/plan.hpp"
#include "package/problem_yaml.hpp"
#include "package/statement.hpp"

#ifndef SUITE_VERSION
#define SUITE_VERSION "0.0.0"
#endif

namespace package {

namespace fs = std::filesystem;

namespace {

// The answers as the reference wrote them, but for a 3-15 clock reading,
// which is judged as any integer and kept as 0 so that the same plan makes
// the same files on any machine.
std::string steady_answer(const std::string& answer)
{
    if (answer.empty())
        return answer;
    std::string text = answer.substr(0, answer.size() - (answer.back() == '\n' ? 1 : 0));
    const std::size_t last = text.rfind('\n');
    return text.substr(0, last == std::string::npos ? 0 : last + 1) + "0\n";
}

// The first line of a .desc: how the case was made.
std::string recipe_line(const PlannedCase& entry)
{
    return entry.name + ": " + entry.recipe() + " (exercise suite " SUITE_VERSION ")";
}

// The last line a program wrote, for a message.
std::string last_words(const std::string& text)
{
    return judge::terminal_text(judge::last_line(text));
}

// What a build reads: the package, its plan and the road its cases take.
struct Build {
    fs::path package;
    Plan plan;
    ProblemYaml yaml;
    judge::Road road;
};

Build read_build(const std::string& folder)
{
    Build build;
    build.package = fs::absolute(folder).lexically_normal();
    try {
        build.plan = read_plan((build.package / "generators" / "plan").string());
    } catch (const PlanError& error) {
        throw PackageError(folder + "/generators/plan: " + error.what());
    }
    try {
        build.yaml = read_problem_yaml((build.package / "problem.yaml").string());
    } catch (const std::exception& error) {
        throw PackageError(folder + "/problem.yaml: " + error.what());
    }
    build.road = judge::make_road(*build.plan.exercise, std::nullopt, true,
                                  judge::helper_wall_seconds(judge::default_limits()));
    // The validator's report of each case says which features it has too.
    if (const std::string& features = build.plan.exercise->validator.features_option; !features.empty())
        build.road.validator_options.push_back(features);
    return build;
}

// Takes a case unchanged from the old data when its recipe is the same;
// its validator report, if it did.
std::optional<std::string> kept_case(const PlannedCase& entry, const fs::path& package, const fs::path& made)
{
    const fs::path old = package / "data" / entry.group() / entry.name;
    const std::string old_desc = read_file_text(old.string() + ".desc");
    std::error_code error;
    if (old_desc.rfind(recipe_line(entry) + "\n", 0) != 0 || !fs::is_regular_file(old.string() + ".in", error) ||
        !fs::is_regular_file(old.string() + ".ans", error))
        return std::nullopt;
    for (const char* suffix : {".in", ".ans", ".desc"}) {
        fs::create_hard_link(old.string() + suffix, made.string() + suffix, error);
        if (error && !fs::copy_file(old.string() + suffix, made.string() + suffix, error))
            throw judge::SetupError("cannot copy " + old.string() + suffix);
    }
    return old_desc.substr(old_desc.find('\n') + 1);
}

// The source of a planned case: its stored file copied into place, or
// its maker's recipe.
judge::CaseSource source_of(const PlannedCase& entry, const Build& build, const fs::path& made,
                            const std::string& where)
{
    judge::CaseSource source;
    source.name = entry.name;
    if (!entry.maker.empty()) {
        source.seed = entry.seed;
        source.maker = entry.maker;
        source.answers = judge::Answers(entry.answer_text(*build.plan.exercise));
        return source;
    }
    const fs::path stored = (build.package / entry.file).lexically_normal();
    const fs::path relative = stored.lexically_relative(build.package);
    if (fs::path(entry.file).is_absolute() || relative.empty() || *relative.begin() == "..")
        throw PackageError(where + ": the stored case " + entry.file + " lies outside the package");
    std::error_code error;
    if (!fs::copy_file(stored, made.string() + ".in", error))
        throw PackageError(where + ": cannot read the stored case " + entry.file);
    source.input = made.string() + ".in";
    return source;
}

// Why a planned case cannot be used, as the build says it.
PackageError unusable(const judge::Unusable& why, const PlannedCase& entry, const std::string& where)
{
    switch (why.step) {
    case judge::Unusable::Step::maker:
        return PackageError(where + ": " + entry.maker + " failed: " +
                            last_words(why.error.empty() ? why.output : why.error));
    case judge::Unusable::Step::validator:
        return PackageError(where + ": " + (entry.maker.empty() ? entry.file : entry.maker) +
                            " wrote a case the validator rejects: " + last_words(why.error));
    case judge::Unusable::Step::reference:
        break;
    }
    return PackageError(where + ": the reference failed on it: " + last_words(why.error));
}

// Makes one case into folder (its group's), or takes it unchanged from the
// old data; the validator's report for the coverage.
std::string make_case(const PlannedCase& entry, const Build& build, const fs::path& folder)
{
    const fs::path made = folder / entry.group() / entry.name;
    if (const std::optional<std::string> report = kept_case(entry, build.package, made))
        return *report;
    const std::string where = "case " + entry.name + " (plan line " + std::to_string(entry.line) + ")";
    const judge::CaseSource source = source_of(entry, build, made, where);
    judge::PreparedCase prepared(build.road, source, made.string() + ".road");
    prepared.prepare();
    if (prepared.unusable())
        throw unusable(*prepared.unusable(), entry, where);
    std::error_code error;
    if (source.seed)
        fs::rename(prepared.case_file(), made.string() + ".in", error);
    std::string answer = read_file_text(prepared.expected_file());
    if (build.plan.exercise->clock_line())
        answer = steady_answer(answer);
    const std::string report = prepared.validator_report();
    write_file_text(made.string() + ".ans", answer);
    write_file_text(made.string() + ".desc", recipe_line(entry) + "\n" + report);
    if (error)
        throw judge::SetupError("cannot move the case " + entry.name + " into place: " + error.message());
    return report;
}

// Makes every case into a folder beside data/, `jobs` at a time, then puts
// it in place of the old data, whole; the validators' reports by case.
std::vector<std::string> make_data(const Build& build, int jobs)
{
    const std::vector<PlannedCase>& cases = build.plan.cases;
    const fs::path building = folder_beside(build.package / "data", "data");
    std::vector<std::string> reports(cases.size());
    try {
        for (const char* group : {"sample", "secret"})
            fs::create_directories(building / group);
        judge::ProgressLine progress;
        std::mutex counting;
        std::size_t done = 0;
        judge::for_each_index(cases.size(), jobs, [&](std::size_t index) {
            reports[index] = make_case(cases[index], build, building);
            const std::lock_guard lock(counting);
            progress.show(std::to_string(++done) + " of " + std::to_string(cases.size()) + " cases made (" +
                          cases[index].name + ")");
        });
        const fs::path data = build.package / "data";
        std::error_code error;
        const fs::path old = folder_beside(data, "old");
        if (fs::exists(data, error))
            fs::rename(data, old / "data");
        fs::rename(building, data);
        judge::remove_folder(old.string());
    } catch (...) {
        judge::remove_folder(building.string());
        throw;
    }
    return reports;
}

// The largest answer of the data, and whose it is.
std::pair<std::uintmax_t, std::string> largest_answer(const Build& build)
{
    std::pair<std::uintmax_t, std::string> largest{0, ""};
    for (const PlannedCase& entry : build.plan.cases) {
        std::error_code error;
        const std::uintmax_t size = fs::file_size(build.package / "data" / entry.group() / (entry.name + ".ans"), error);
        if (!error && size > largest.first)
            largest = {size, entry.name};
    }
    return largest;
}

}  // namespace

int build_package(const std::string& folder, int jobs)
{
    const Build build = read_build(folder);
    const std::vector<std::string> reports = make_data(build, jobs);
    Coverage coverage;
    for (std::size_t i = 0; i < reports.size(); ++i)
        coverage.add(build.plan.cases[i].name, read_report(reports[i]), read_features(reports[i]));
    coverage.explain(read_file_text(build.package / "generators" / "bounds-unreached"));
    std::size_t samples = 0;
    for (const PlannedCase& entry : build.plan.cases)
        samples += entry.sample ? 1 : 0;
    std::printf("Built %zu cases of %s (%zu sample, %zu secret) in %s/data\n\nCoverage of the format's bounds:\n%s",
                build.plan.cases.size(), build.plan.exercise->name.c_str(), samples,
                build.plan.cases.size() - samples, folder.c_str(), coverage.report().c_str());
    render_statement(build.package);
    const auto [bytes, name] = largest_answer(build);
    if (bytes > (build.yaml.output_mib << 20)) {
        std::printf("problem: the answer of %s (%ju bytes) is larger than the output limit in problem.yaml "
                    "(%ju MiB)\n",
                    name.c_str(), bytes, static_cast<std::uintmax_t>(build.yaml.output_mib));
        return 1;
    }
    return 0;
}

}  // namespace package
