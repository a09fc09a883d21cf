// exercise-package run as a user would: a small package of each exercise
// made, built, verified and zipped, the zip read back and the build
// repeated byte for byte; then packages broken by hand, each reported.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "package/tests/domjudge_rules.hpp"
#include "tests/support/run.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::TempDir;

RunResult package(const fs::path& folder, const std::vector<std::string>& args)
{
    RunOptions options;
    options.args = args;
    options.directory = folder.string();
    return testing_support::run("exercise-package", "", options);
}

// Every file under data/, by its path there, with its bytes.
std::map<std::string, std::string> data_of(const fs::path& package_folder)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(package_folder / "data"))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(package_folder).string()] = read_file(entry.path());
    return files;
}

// The zip's entries, by name, with their unix modes.
std::map<std::string, unsigned> zip_entries(const fs::path& zip_file)
{
    std::map<std::string, unsigned> entries;
    int status = 0;
    zip_t* archive = zip_open(zip_file.c_str(), ZIP_RDONLY, &status);
    if (archive == nullptr)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        zip_file_get_external_attributes(archive, static_cast<zip_uint64_t>(i), 0, &system, &attributes);
        entries[zip_get_name(archive, static_cast<zip_uint64_t>(i), 0)] = (attributes >> 16) & 07777;
    }
    zip_close(archive);
    return entries;
}

class Packages : public ::testing::TestWithParam<const char*> {};

// new, build, verify and zip: every check passes, the zip holds the
// package with problem.yaml at its root, and building again in another
// folder makes the same bytes.
TEST_P(Packages, MadeBuiltVerifiedAndZipped)
{
    const std::string exercise = GetParam();
    const TempDir work;
    const RunResult made = package(work.path(), {"new", "--small", exercise, "problem"});
    ASSERT_EQ(made.status, 0) << made.err;
    const RunResult built = package(work.path(), {"build", "problem"});
    ASSERT_EQ(built.status, 0) << built.out << built.err;
    EXPECT_NE(built.out.find("Coverage of the format's bounds:\nquantity "), std::string::npos) << built.out;

    const RunResult verified = package(work.path(), {"verify", "problem"});
    EXPECT_EQ(verified.status, 0) << verified.out << verified.err;
    EXPECT_NE(verified.out.find("No problem found.\n"), std::string::npos) << verified.out;
    EXPECT_NE(verified.out.find("\nTime limit: "), std::string::npos) << verified.out;
    const std::string limit = read_file(work.path() / "problem" / ".timelimit");
    EXPECT_FALSE(limit.empty());
    EXPECT_GE(std::stod(limit), 1.0);

    const RunResult zipped = package(work.path(), {"zip", "problem"});
    ASSERT_EQ(zipped.status, 0) << zipped.err;
    EXPECT_EQ(zipped.err, "");
    // A stock DOMjudge takes it as it is.
    EXPECT_EQ(domjudge_rules::problems_in((work.path() / "problem.zip").string(),
                                          fs::file_size(work.path() / "problem.zip")),
              std::vector<std::string>{});
    const std::map<std::string, unsigned> entries = zip_entries(work.path() / "problem.zip");
    for (const char* file : {"problem.yaml", ".timelimit", "generators/plan", "problem_statement/problem.en.tex",
                             "input_validators/validate/validate.cpp", "data/sample/sample-1.in",
                             "data/sample/sample-1.ans", "data/sample/sample-1.desc"})
        EXPECT_EQ(entries.count(file), 1u) << file;
    ASSERT_EQ(entries.count("input_validators/validate/build"), 1u);
    EXPECT_NE(entries.at("input_validators/validate/build") & 0100, 0u);
    const std::map<std::string, std::string> data = data_of(work.path() / "problem");
    std::size_t data_entries = 0;
    for (const auto& [name, mode] : entries)
        data_entries += name.rfind("data/", 0) == 0 ? 1 : 0;
    EXPECT_EQ(data_entries, data.size());

    // The same plan, built in another package, gives the same bytes.
    ASSERT_EQ(package(work.path(), {"new", "--small", exercise, "again"}).status, 0);
    ASSERT_EQ(package(work.path(), {"build", "again"}).status, 0);
    EXPECT_EQ(data_of(work.path() / "again"), data);
}

INSTANTIATE_TEST_SUITE_P(EveryExercise, Packages, ::testing::Values("pro3", "pro2", "pro6", "3-15"),
                         [](const auto& info) { return info.param[0] == '3' ? std::string("orders") : info.param; });

// What cannot be made: status 2 and why; nothing made.
TEST(PackageUsage, BadExerciseOrNameIsRefused)
{
    const TempDir work;
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"new", "pro9", "x1"}, "unknown exercise 'pro9' (pro3, pro2, pro6 or 3-15)"},
        {{"new", "pro6", "Merge"}, "'Merge' cannot name a package: its folder's name must be a short name"},
        {{"new", "pro6", "merge-1"}, "'merge-1' cannot name a package"},
        {{"new", "--license", "mine", "pro6", "merge"}, "unknown license 'mine'"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"build"}, "DIR is required"},
    };
    for (const Case& c : cases) {
        const RunResult result = package(work.path(), c.args);
        EXPECT_EQ(result.status, 2) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_TRUE(fs::is_empty(work.path()));
}

// A package of PRO6, built once, then broken by hand in copies.
class Broken : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        built_ = new TempDir;
        ASSERT_EQ(package(built_->path(), {"new", "--small", "pro6", "merge"}).status, 0);
        ASSERT_EQ(package(built_->path(), {"build", "merge"}).status, 0);
    }
    static void TearDownTestSuite() { delete built_; }

    fs::path copy()
    {
        fs::copy(built_->path() / "merge", work_.path() / "merge", fs::copy_options::recursive);
        return work_.path() / "merge";
    }
    RunResult run(const std::vector<std::string>& args) const { return package(work_.path(), args); }

    static TempDir* built_;
    TempDir work_;
};

TempDir* Broken::built_ = nullptr;

// A plan line that does not parse, and a maker's case the validator
// rejects: named, status 1, and the data as they were.
TEST_F(Broken, BadPlansAreReportedAndNothingIsHalfWritten)
{
    const fs::path merge = copy();
    const std::map<std::string, std::string> before = data_of(merge);
    const std::string plan = read_file(merge / "generators" / "plan");
    const std::string line = "line " + std::to_string(std::count(plan.begin(), plan.end(), '\n') + 1);
    struct Case {
        std::string line;
        const char* message;
    };
    const Case cases[] = {
        {"04-bad  secret  pro6-maketest  x  5 5 4 2", ": expected a seed (0 to 4294967295) after the maker, found \"x\""},
        {"04-bad  hidden  pro6-maketest  1  5 5 4 2", ": expected \"sample\" or \"secret\" after the name"},
        {"04-bad  secret  order-gen  1  --orders 2", ": expected a maker of pro6"},
        {"-bad  secret  pro6-maketest  1  5 5 4 2", ": expected a case name"},
        // More found values than search values: written, but not as announced.
        {"04-bad  secret  pro6-maketest  1  5 5 2 4", "): pro6-maketest wrote a case the validator rejects: pro6-validate: "},
    };
    for (const Case& c : cases) {
        std::ofstream(merge / "generators" / "plan") << plan << c.line << "\n";
        const RunResult result = run({"build", "merge"});
        EXPECT_EQ(result.status, 1) << c.message;
        EXPECT_NE(result.err.find(line + c.message), std::string::npos) << line << c.message << "\n" << result.err;
        EXPECT_EQ(data_of(merge), before) << c.message;
    }
    std::size_t left = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(merge))
        left += entry.path().filename().string()[0] == '.' ? 1 : 0;
    EXPECT_EQ(left, 0u);
}

// A changed answer, a wrong submission under accepted/ and a folder the
// format does not know: each a failed check, status 1.
TEST_F(Broken, VerifyReportsWhatWasChangedByHand)
{
    const fs::path merge = copy();
    std::ofstream(merge / "data" / "secret" / "03-edges.ans", std::ios::app) << "extra\n";
    std::string wrong = read_file(merge / "submissions" / "accepted" / "pro6-solve.cpp");
    fs::create_directories(merge / "submissions" / "maybe");
    std::ofstream(merge / "submissions" / "maybe" / "x.cpp") << "int main() {}\n";
    std::ofstream(merge / "submissions" / "accepted" / "silent.cpp") << "int main() {}\n";
    fs::remove_all(merge / "submissions" / "time_limit_exceeded");
    const std::string page_file = (work_.path() / "verify.html").string();
    const RunResult result = run({"verify", "--html", page_file, "merge/"});
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    const std::string page = read_file(page_file);
    for (const char* problem : {"  data/secret/03-edges.ans is not the reference's answer: ",
                                "  submissions/maybe: not a folder the format knows",
                                "  accepted/silent.cpp: first failure WRONG ANSWER, where accepted asks for every case OK"}) {
        EXPECT_NE(result.out.find(problem), std::string::npos) << problem << "\n" << result.out;
        std::string escaped = problem;
        if (const std::size_t quote = escaped.find('\''); quote != std::string::npos)
            escaped.replace(quote, 1, "&apos;");
        EXPECT_NE(page.find(escaped), std::string::npos) << escaped;
    }
    // The page is titled for the package and says how the time limit was set.
    EXPECT_NE(page.find("<h1>exercise-package verify: merge</h1>"), std::string::npos);
    // No accepted submission passed: the changed answer fails them all.
    EXPECT_NE(page.find("<h2>Time limit</h2>\n<pre>1 s (written to .timelimit): the slowest run of an accepted "
                        "submission that passed every case, none, took 0.000 s;"),
              std::string::npos)
        << page;
    EXPECT_NE(page.find("<h2>Checks</h2>"), std::string::npos);
}

// zip takes only a package verify passed on, as it is; --force takes any,
// and a case too large for a stock server is warned about with the setting
// to raise.
TEST_F(Broken, ZipTakesOnlyAVerifiedPackage)
{
    const fs::path merge = copy();
    const RunResult never = run({"zip", "merge"});
    EXPECT_EQ(never.status, 1);
    EXPECT_NE(never.err.find("merge is not verified: it was never verified, or has changed since; run "
                             "exercise-package verify merge (or zip --force)"),
              std::string::npos)
        << never.err;
    EXPECT_FALSE(fs::exists(work_.path() / "merge.zip"));
    ASSERT_EQ(run({"verify", "merge"}).status, 0);
    ASSERT_EQ(run({"zip", "merge"}).status, 0);

    // A case that passes what a stock server takes, after verify.
    const fs::path big = merge / "data" / "secret" / "99-big.in";
    std::ofstream(big) << "0 0\n0\n";
    std::ofstream(merge / "data" / "secret" / "99-big.ans") << "\n";
    fs::resize_file(big, 65 << 20);
    EXPECT_EQ(run({"zip", "merge"}).status, 1);
    const RunResult forced = run({"zip", "--force", "merge"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_NE(forced.err.find("exercise-package: warning: data/secret/99-big.in is 66 MiB with its answer, written "
                              "in one statement: raise MySQL's max_allowed_packet above it (64 MiB by default)"),
              std::string::npos)
        << forced.err;
}

}  // namespace
