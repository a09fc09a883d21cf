// In process: every report format on a result built by hand, so that what
// each says of a case, a solution and the run is checked without running
// anything. One solution keeps the layout of one command; several make a
// matrix aligned by the cases' places, whatever order a solution's results
// are in.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "judge/judging/scoring.hpp"
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

// One group of cases of each name.
std::vector<judge::Group> groups(std::initializer_list<const char*> names)
{
    std::vector<judge::Group> list;
    for (const char* name : names)
        list.push_back({name, judge::Size::small, std::nullopt, std::nullopt});
    return list;
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
    judge::tally(result, groups({"small"}), false);
    return result;
}

TEST(Reports, OneSolutionIsATableOfCases)
{
    Result result;
    result.solutions.push_back(
        solution("ben.c", {made(0, Verdict::ok, 0.25), made(1, Verdict::time_limit, 2.5, "processor time above 2 s")}));
    judge::tally(result, groups({"small"}), false);
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
    const Result result = class_of_two();  // the matrix points into it
    const judge::Matrix matrix = judge::matrix_of(result);
    ASSERT_EQ(matrix.rows.size(), 2u);
    EXPECT_EQ(matrix.cells[1][1]->verdict, Verdict::wrong_answer);
}

TEST(Reports, CsvIsOneQuotedRowPerSolution)
{
    Result result = class_of_two();
    result.solutions[1].name = "ben, \"the second\".c";
    EXPECT_EQ(judge::csv_report(result),
              "solution,language,cases,passed,failed,slowest_seconds,peak_memory_bytes,first_failure,"
              "first_failure_verdict,small,score\r\n"
              "anna.c,C,2,2,0,0.020,3145728,,,2,100\r\n"
              "\"ben, \"\"the second\"\".c\",C,2,1,1,0.030,3145728,2,WRONG ANSWER,1,50\r\n");
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

// A program's own title and sections close the page, escaped; a class
// is a row per solution with its score when the run is scored.
TEST(Reports, HtmlPageTakesTheProgramsTitleAndSections)
{
    judge::RunInfo run = info();
    run.title = "exercise-package verify: merge";
    run.sections = {{"Time limit", "2 s <from> pro6-solve.cpp"}, {"Checks", "Problems found:\n  x & y\n"}};
    run.scored = true;
    const Result result = class_of_two();
    const std::string page = judge::html_report(run, result);
    EXPECT_NE(page.find("<title>exercise-package verify: merge: 1 of 2 solutions passed</title>"), std::string::npos);
    EXPECT_NE(page.find("<h1>exercise-package verify: merge</h1>"), std::string::npos);
    const std::size_t time = page.find("<section>\n<h2>Time limit</h2>\n<pre>2 s &lt;from&gt; pro6-solve.cpp</pre>");
    const std::size_t checks = page.find("<h2>Checks</h2>\n<pre>Problems found:&#10;  x &amp; y&#10;</pre>");
    ASSERT_NE(time, std::string::npos) << page;
    EXPECT_GT(checks, time);
    EXPECT_NE(page.find("<table class=\"matrix roster\">"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"count score\">"), std::string::npos);
}

// Groups with points: a share of each group's points, or with
// all-or-nothing its points only for every case passed; an invalid case
// counts against no one and is listed once.
TEST(Reports, GroupsScoreByTheirPointsAndInvalidCasesCountForNoOne)
{
    const auto in_group = [](CaseResult entry, std::size_t group) {
        entry.group = group;
        return entry;
    };
    Result result;
    result.solutions.push_back(solution(
        "anna.c", {in_group(made(0, Verdict::ok, 0.01), 0), in_group(made(1, Verdict::ok, 0.01), 0),
                   in_group(made(2, Verdict::ok, 0.01), 1), in_group(made(3, Verdict::time_limit, 2.1), 1),
                   in_group(made(4, Verdict::invalid_case, 0, "pro6-maketest failed"), 1)}));
    std::vector<judge::Group> two = groups({"small", "large"});
    two[0].points = 30;
    two[1].points = 70;
    judge::tally(result, two, false);
    EXPECT_EQ(result.solutions[0].passed, 3);
    EXPECT_EQ(result.solutions[0].failed, 1);
    ASSERT_EQ(result.invalid.size(), 1u);
    EXPECT_EQ(result.groups[1].cases, 2);
    EXPECT_DOUBLE_EQ(result.solutions[0].score, 30 + 35);
    judge::tally(result, two, true);
    EXPECT_DOUBLE_EQ(result.solutions[0].score, 30);
    // Without points: 100 spread over the valid cases.
    judge::tally(result, groups({"small", "large"}), false);
    EXPECT_DOUBLE_EQ(result.groups[0].points, 50);
    EXPECT_DOUBLE_EQ(result.solutions[0].score, 75);
    EXPECT_EQ(judge::score_text(200.0 / 3), "66.67");

    judge::RunInfo scored = info();
    scored.groups = two;
    scored.scored = true;
    const std::string table = judge::table(scored, result);
    EXPECT_NE(table.find("   5  large   104  5 5 4 2  INVALID CASE"), std::string::npos) << table;
    EXPECT_NE(table.find("\n1 invalid case left out of the counts\nScore 75 of 100 (small 2 of 2, large 1 of 2)\n"
                         "3 passed, 1 failed\n"),
              std::string::npos)
        << table;
    EXPECT_NE(judge::csv_report(result).find("first_failure_verdict,small,large,score\r\n"
                                             "anna.c,C,4,3,1,2.100,3145728,4,TIME LIMIT,2,1,75\r\n"),
              std::string::npos);
}

// A matrix wider than the terminal turns: a row per solution, a column
// per case, in blocks that fit.
TEST(Reports, WideMatrixTurnsToFitTheTerminal)
{
    Result result = class_of_two();
    judge::RunInfo narrow = info();
    narrow.width = 14;
    EXPECT_EQ(judge::matrix(narrow, result).rfind(
                  "solution  1\nanna.c    OK\nben.c     OK\n\nsolution  2\nanna.c    OK\nben.c     WA\nCodes: ", 0),
              0u)
        << judge::matrix(narrow, result);
}

// A cell a spreadsheet would run as a formula stays text.
TEST(Reports, CsvCellsNeverBecomeFormulas)
{
    Result result = class_of_two();
    result.solutions[0].name = "=HYPERLINK(\"http:__evil.example\",\"x\").py";
    result.solutions[1].name = "@SUM(1+1).py";
    const std::string csv = judge::csv_report(result);
    EXPECT_NE(csv.find("\r\n\"'=HYPERLINK(\"\"http:__evil.example\"\",\"\"x\"\").py\",C,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n'@SUM(1+1).py,C,"), std::string::npos) << csv;
    for (const char* start : {"+1", "-1", "\tx", "\rx"}) {
        result.solutions[1].name = start;
        EXPECT_NE(judge::csv_report(result).find(std::string(1, '\'') + start), std::string::npos) << start;
    }
}


// A --stress failure shrunk by its content: ben's first case, shrunk to
// `input` with its outputs.
Result shrunk_to(const std::string& input, const std::string& expected, const std::string& found)
{
    Result result;
    CaseResult failure = made(0, Verdict::wrong_answer, 0.01, "line 2, column 2: expected \"1 2\\n\", found \"1\\n\"");
    result.solutions.push_back(solution("ben.py", {failure}));
    CaseResult shrunk = failure;
    shrunk.seed.reset();
    shrunk.maker.clear();
    shrunk.answers.clear();
    shrunk.label.clear();
    shrunk.bytes = input.size();
    result.shrinking = judge::Shrinking{failure, shrunk, 180, judge::ShrunkContent{input, expected, found, 72, 1.84}};
    return result;
}

TEST(Reports, ShortShrunkCaseIsShownWithBothOutputs)
{
    judge::RunInfo run = info();
    run.stress = true;
    const Result result = shrunk_to("2 0\n0 0\n\n1\n0\n", "0 0\n1 2\n", "0 0\n<1>&\x1b\n");
    const std::string table = judge::table(run, result);
    EXPECT_NE(table.find("Shrunk in 180 attempts (72 on its content, 1.8 s) to a case of 5 lines, 13 bytes: WRONG "
                         "ANSWER: line 2, column 2: expected \"1 2\\n\", found \"1\\n\"\n"
                         "  case:\n  | 2 0\n  | 0 0\n  | \n  | 1\n  | 0\n"
                         "  expected:\n  | 0 0\n  | 1 2\n"
                         "  found:\n  | 0 0\n  | <1>&\\x1b\n"
                         "0 passed, 1 failed\n"),
              std::string::npos)
        << table;
    const nlohmann::json content = nlohmann::json::parse(judge::json_report(run, result))["shrinking"]["content"];
    EXPECT_EQ(content, nlohmann::json::parse(R"({"attempts": 72, "seconds": 1.84, "lines": 5, "bytes": 13,
        "case": "2 0\n0 0\n\n1\n0\n", "expected": "0 0\n1 2\n", "expected_more_lines": 0,
        "found": "0 0\n<1>&\u001b\n", "found_more_lines": 0})"));
    const std::string html = judge::html_report(run, result);
    EXPECT_NE(html.find("<p>shrunk in 180 attempts (72 on its content, 1.8 s) to case 1, a case of 5 lines, 13 "
                        "bytes:</p>"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("<div class=\"shrunk\"><p class=\"label\">case</p><pre>2 0\n0 0\n\n1\n0\n</pre>"
                        "<p class=\"label\">expected</p><pre>0 0\n1 2\n</pre>"
                        "<p class=\"label\">found</p><pre>0 0\n&lt;1&gt;&amp;"),
              std::string::npos)
        << html;
}

TEST(Reports, LongShrunkCaseIsOnlyMeasuredAndLongOutputsAreCut)
{
    judge::RunInfo run = info();
    std::string long_case;
    for (int line = 0; line < 21; ++line)
        long_case += "7\n";
    const Result long_result = shrunk_to(long_case, "1\n", "2\n");
    const std::string table = judge::table(run, long_result);
    EXPECT_NE(table.find("to a case of 21 lines, 42 bytes: WRONG ANSWER: line 2, column 2: expected \"1 2\\n\", found "
                         "\"1\\n\"\n0 passed, 1 failed\n"),
              std::string::npos)
        << table;
    const nlohmann::json content =
        nlohmann::json::parse(judge::json_report(run, long_result))["shrinking"]["content"];
    EXPECT_EQ(content["lines"], 21);
    EXPECT_TRUE(content["case"].is_null());
    EXPECT_TRUE(content["found"].is_null());
    EXPECT_EQ(judge::html_report(run, long_result).find("<div class=\"shrunk\">"), std::string::npos);

    // A short case whose output runs long: 20 lines shown, each cut.
    std::string found;
    for (int line = 0; line < 25; ++line)
        found += std::string(judge::shown_width + 10, 'x') + "\n";
    const std::string cut = std::string(judge::shown_width, 'x') + "...";
    const Result short_result = shrunk_to("1 0\n5\n\n0\n", "5\n", found);
    const std::string shown = judge::table(run, short_result);
    EXPECT_NE(shown.find("  | " + cut + "\n  (5 more lines)\n0 passed"), std::string::npos) << shown;
    const nlohmann::json cut_json =
        nlohmann::json::parse(judge::json_report(run, short_result))["shrinking"]["content"];
    EXPECT_EQ(cut_json["found_more_lines"], 5);
    EXPECT_EQ(cut_json["found"].get<std::string>().size(), 20 * (cut.size() + 1));
}

}  // namespace
