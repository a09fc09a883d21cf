// In process: every report format on a result built by hand, so that what
// each says of a case, a solution and the run is checked without running
// anything. One solution keeps the layout of one command; several make a
// matrix aligned by the cases' places, whatever order a solution's results
// are in.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "judge/report/report.hpp"
#include "judge/tests/xml.hpp"

namespace {

using judge::CaseResult;
using judge::Result;
using judge::SolutionResult;
using judge::Verdict;

CaseResult made(std::size_t index, Verdict verdict, double seconds, const std::string& detail = "")
{
    CaseResult result;
    result.name = std::to_string(index + 1);
    result.index = index;
    result.seed = static_cast<std::uint32_t>(100 + index);
    result.maker = "pro6-maketest";
    result.answers = "5 5\n4\n2\n";
    result.label = "5 5 4 2";
    result.verdict = verdict;
    result.detail = detail;
    result.ran = verdict != Verdict::compilation_error;
    result.cpu_seconds = seconds;
    result.wall_seconds = seconds + 0.001;
    result.memory_bytes = std::uint64_t{3} << 20;
    return result;
}

SolutionResult solution(const std::string& name, std::vector<CaseResult> cases)
{
    SolutionResult result;
    result.name = name;
    result.language = "C";
    result.given = {name};
    result.command = {"/work/" + name};
    for (const CaseResult& entry : cases)
        ++(judge::passed(entry.verdict) ? result.passed : result.failed);
    result.cases = std::move(cases);
    return result;
}

judge::RunInfo info()
{
    judge::RunInfo info;
    info.exercise = "pro6";
    info.sandbox = "none";
    info.seed = 100;
    info.groups = {judge::Group{"small", judge::Size::small, std::nullopt, std::nullopt}};
    info.reference = "/bin/pro6-solve";
    info.limits = {2, 5, std::uint64_t{64} << 20, std::uint64_t{1} << 20, 8};
    return info;
}

// Two solutions: anna passes both cases, ben fails the second; ben's
// results come in the other order.
Result class_of_two()
{
    Result result;
    result.solutions.push_back(solution("anna.c", {made(0, Verdict::ok, 0.01), made(1, Verdict::ok, 0.02)}));
    result.solutions.push_back(solution(
        "ben.c", {made(1, Verdict::wrong_answer, 0.03, "line 2, column 1: expected \"3\", found \"4\""),
                  made(0, Verdict::ok, 0.01)}));
    return result;
}

TEST(Reports, OneSolutionIsATableOfCases)
{
    Result result;
    result.solutions.push_back(
        solution("ben.c", {made(0, Verdict::ok, 0.25), made(1, Verdict::time_limit, 2.5, "processor time above 2 s")}));
    EXPECT_EQ(judge::table(info(), result),
              "case  seed  size     verdict     processor     wall  memory\n"
              "   1   100  5 5 4 2  OK            0.250 s  0.251 s  3.0 MB\n"
              "   2   101  5 5 4 2  TIME LIMIT    2.500 s  2.501 s  3.0 MB\n"
              "case 2 (seed 101, answers \"5 5 4 2\"): TIME LIMIT: processor time above 2 s\n"
              "1 passed, 1 failed\n");
}

TEST(Reports, SeveralSolutionsAreAMatrixAlignedByCase)
{
    EXPECT_EQ(judge::table(info(), class_of_two()),
              "case  seed  size     anna.c         ben.c\n"
              "   1   100  5 5 4 2  OK 0.01s 3.0M  OK 0.01s 3.0M\n"
              "   2   101  5 5 4 2  OK 0.02s 3.0M  WA 0.03s 3.0M\n"
              "Codes: OK passed, WA wrong answer; times are processor seconds, M megabytes.\n"
              "anna.c (C): 2 of 2 passed; slowest case 2, 0.020 s; peak memory 3.0 MB\n"
              "ben.c (C): 1 of 2 passed; slowest case 2, 0.030 s; peak memory 3.0 MB; first failure case 2: WRONG "
              "ANSWER: line 2, column 1: expected \"3\", found \"4\"\n"
              "1 passed, 1 failed\n");
    const judge::Matrix matrix = judge::matrix_of(class_of_two());
    ASSERT_EQ(matrix.rows.size(), 2u);
    EXPECT_EQ(matrix.cells[1][1]->verdict, Verdict::wrong_answer);
}

TEST(Reports, CsvIsOneQuotedRowPerSolution)
{
    Result result = class_of_two();
    result.solutions[1].name = "ben, \"the second\".c";
    EXPECT_EQ(judge::csv_report(result),
              "solution,language,cases,passed,failed,slowest_seconds,peak_memory_bytes,first_failure,"
              "first_failure_verdict\r\n"
              "anna.c,C,2,2,0,0.020,3145728,,\r\n"
              "\"ben, \"\"the second\"\".c\",C,2,1,1,0.030,3145728,2,WRONG ANSWER\r\n");
}

TEST(Reports, JsonHoldsEveryCaseAndTheCounts)
{
    const nlohmann::json several = nlohmann::json::parse(judge::json_report(info(), class_of_two()));
    EXPECT_EQ(several["exercise"], "pro6");
    EXPECT_EQ(several["passed"], 1);
    EXPECT_EQ(several["solutions"][1]["cases"][0]["verdict"], "WRONG ANSWER");
    EXPECT_EQ(several["solutions"][1]["cases"][0]["size"], "5 5 4 2");
    EXPECT_EQ(several["solutions"][0]["all_passed"], true);

    Result one;
    one.solutions.push_back(class_of_two().solutions[1]);
    const nlohmann::json alone = nlohmann::json::parse(judge::json_report(info(), one));
    EXPECT_EQ(alone["command"][0], "/work/ben.c");
    EXPECT_EQ(alone["failed"], 1);
    EXPECT_TRUE(alone["shrinking"].is_null());
}

TEST(Reports, JunitIsASuitePerSolution)
{
    const std::string xml = judge::junit_report(info(), class_of_two());
    const judge_testing::Element root = judge_testing::parse_xml(xml);
    EXPECT_EQ(root.name, "testsuites");
    EXPECT_EQ(root.attributes.at("tests"), "4");
    EXPECT_EQ(root.attributes.at("failures"), "1");
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[1].attributes.at("name"), "ben.c");
}

TEST(Reports, HtmlPageHoldsTheMatrixAndEscapesNames)
{
    Result result = class_of_two();
    result.solutions[1].name = "<b>ben</b>.c";
    const std::string page = judge::html_report(info(), result);
    EXPECT_NE(page.find("<title>exercise-judge: pro6: 1 of 2 solutions passed</title>"), std::string::npos);
    EXPECT_NE(page.find("&lt;b&gt;ben&lt;/b&gt;.c"), std::string::npos);
    EXPECT_EQ(page.find("<b>ben</b>"), std::string::npos);
    EXPECT_NE(page.find("class=\"cell v-wa\""), std::string::npos);
    EXPECT_NE(page.find("line 2, column 1: expected &quot;3&quot;, found &quot;4&quot;"), std::string::npos);
}

}  // namespace
