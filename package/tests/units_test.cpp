// In process: the test plan's reader (every kind of line, every fault
// named with its line) and problem.yaml written and read back, a fault in
// it named.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "package/plan.hpp"
#include "package/problem_yaml.hpp"
#include "tests/support/run.hpp"

namespace {

using testing_support::TempDir;

// The plan of that text, read from a file as build reads it.
package::Plan plan_of(const std::string& text)
{
    const TempDir folder;
    const std::string path = (folder.path() / "plan").string();
    std::ofstream(path) << text;
    return package::read_plan(path);
}

// What read_plan says of the text, "" when it reads.
std::string plan_fault(const std::string& text)
{
    try {
        plan_of(text);
        return "";
    } catch (const package::PlanError& error) {
        return error.what();
    }
}

TEST(Plan, ReadsMadeAndStoredCasesWithTheirLines)
{
    const package::Plan plan = plan_of(
        "# a comment\n"
        "exercise pro6\n"
        "\n"
        "sample-1  sample  pro6-maketest  7  5 5 4 2   # the first\n"
        "09-edges  secret  file generators/cases/edges.in\n");
    ASSERT_NE(plan.exercise, nullptr);
    EXPECT_EQ(plan.exercise->name, "pro6");
    ASSERT_EQ(plan.cases.size(), 2u);
    const package::PlannedCase& made = plan.cases[0];
    EXPECT_TRUE(made.sample);
    EXPECT_EQ(made.line, 4);
    EXPECT_EQ(made.seed, 7u);
    EXPECT_EQ(made.answer_text(*plan.exercise), "5\n5\n4\n2\n");
    EXPECT_EQ(made.recipe(), "made by pro6-maketest --seed 7 given 5 5 4 2");
    EXPECT_EQ(plan.cases[1].file, "generators/cases/edges.in");
    EXPECT_STREQ(plan.cases[1].group(), "secret");
    EXPECT_EQ(plan.cases[1].recipe(), "stored in generators/cases/edges.in");
}

TEST(Plan, OptionsMakersTakeTheirAnswersAsWords)
{
    const package::Plan plan = plan_of("exercise 3-15\none secret order-gen 1 --orders 2 --offers 600\n");
    EXPECT_EQ(plan.cases[0].answer_text(*plan.exercise), "--orders 2 --offers 600");
}

TEST(Plan, FaultsAreNamedWithTheirLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "line 1: expected \"exercise\" and the exercise's name"},
        {"exercise pro9\n", "line 1: expected an exercise (pro3, pro2, pro6 or 3-15), found \"pro9\""},
        {"exercise pro6\n", "plans no case"},
        {"exercise pro6\nx secret pro6-maketest 1 5\n", "line 2: expected a case name of letters"},
        {"exercise pro6\nab public pro6-maketest 1 5\n", "line 2: expected \"sample\" or \"secret\" after the name"},
        {"exercise pro6\nab secret\n", "line 2: expected a maker or \"file\", found the end of the line"},
        {"exercise pro6\nab secret order-gen 1 5\n", "line 2: expected a maker of pro6 (pro6-maketest, pro6-maketest-b)"},
        {"exercise pro6\nab secret pro6-maketest -1 5\n", "line 2: expected a seed (0 to 4294967295) after the maker"},
        {"exercise pro6\nab secret pro6-maketest 1\n", "line 2: expected the maker's answers after the seed"},
        {"exercise pro6\nab secret file\n", "line 2: expected one PATH after \"file\""},
        {"exercise pro6\nab secret file a b\n", "line 2: expected one PATH after \"file\", found \"b\""},
        {"exercise pro6\nab secret file a\nab sample file b\n", "line 3: the case ab is planned twice"},
    };
    for (const auto& [text, fault] : cases)
        EXPECT_EQ(plan_fault(text).rfind(fault, 0), 0u) << text << "\n" << plan_fault(text);
}

TEST(Plan, FileNamesAreThoseTheFormatAllows)
{
    for (const char* name : {"ab", "01-first", "a.b_c-d", "Z9"})
        EXPECT_TRUE(package::valid_file_name(name)) << name;
    for (const char* name : {"a", "-ab", "ab-", ".ab", "a b", "ab/c", ""})
        EXPECT_FALSE(package::valid_file_name(name)) << name;
}

TEST(ProblemYaml, WrittenAsTheFormatReadsItAndReadBack)
{
    package::ProblemYaml yaml;
    yaml.name = "Merge: and Search";
    yaml.source = "Exercise suite";
    yaml.rights_owner = "Someone";
    yaml.memory_mib = 1024;
    yaml.output_mib = 256;
    yaml.validator_flags = "case_sensitive space_change_sensitive";
    const std::string text = package::write_problem_yaml(yaml);
    EXPECT_EQ(text,
              "name: \"Merge: and Search\"\n"
              "source: Exercise suite\n"
              "license: educational\n"
              "rights_owner: Someone\n"
              "limits:\n"
              "  time_multiplier: 5\n"
              "  time_safety_margin: 2\n"
              "  memory: 1024\n"
              "  output: 256\n"
              "  code: 128\n"
              "validation: default\n"
              "validator_flags: case_sensitive space_change_sensitive\n");
    const TempDir folder;
    const std::string path = (folder.path() / "problem.yaml").string();
    std::ofstream(path) << text;
    const package::ProblemYaml read = package::read_problem_yaml(path);
    EXPECT_EQ(read.name, yaml.name);
    EXPECT_EQ(read.output_mib, 256u);
    EXPECT_EQ(read.validator_flags, yaml.validator_flags);
}

TEST(ProblemYaml, FaultsAreNamed)
{
    const std::pair<const char*, const char*> cases[] = {
        {"name: x\ncolour: red\n", "unknown key \"colour\""},
        {"limits:\n  speed: 3\n", "unknown key \"speed\" in limits"},
        {"license: mine\n", "license \"mine\" is not one the format knows"},
        {"validation: maybe\n", "validation must be default or custom, not \"maybe\""},
        {"limits:\n  time_multiplier: 0\n", "a limit out of range"},
    };
    const TempDir folder;
    const std::string path = (folder.path() / "problem.yaml").string();
    for (const auto& [text, fault] : cases) {
        std::ofstream(path) << text;
        try {
            package::read_problem_yaml(path);
            ADD_FAILURE() << "read: " << text;
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(fault), std::string::npos) << error.what();
        }
    }
}

}  // namespace
