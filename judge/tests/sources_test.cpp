// exercise-judge given source files, as a teacher gives a folder of them:
// compiled by language, judged side by side on the same cases, reported as
// a matrix, JSON and CSV; and every way a folder or a compiler can go
// wrong, each with a clear message or a COMPILATION ERROR and nothing left.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "judge/tests/judge_runner.hpp"
#include "tests/support/run.hpp"

namespace {

namespace fs = std::filesystem;
using judge_testing::JudgeResult;
using judge_testing::JudgeRunner;
using nlohmann::json;
using testing_support::read_file;

// A PRO6 solution in C: merge by sorting, then a binary search per value.
const char* const good_c = R"(#include <stdio.h>
#include <stdlib.h>
static int order(const void *a, const void *b) { int x = *(const int *)a, y = *(const int *)b; return (x > y) - (x < y); }
int main(void) {
    int n, m, q;
    if (scanf("%d %d", &n, &m) != 2) return 1;
    int *v = malloc(sizeof(int) * (n + m + 1));
    for (int i = 0; i < n + m; i++) scanf("%d", &v[i]);
    qsort(v, n + m, sizeof(int), order);
    for (int i = 0; i < n + m; i++) printf(i ? " %d" : "%d", v[i]);
    printf("\n");
    scanf("%d", &q);
    while (q--) {
        int x, found = 0, lo = 0, hi = n + m;
        scanf("%d", &x);
        while (lo < hi) { int mid = (lo + hi) / 2; if (v[mid] < x) lo = mid + 1; else hi = mid; }
        for (int i = lo; i < n + m && v[i] == x; i++) { printf(found ? " %d" : "%d", i + 1); found = 1; }
        if (!found) printf("Number Not Found");
        printf("\n");
    }
    return 0;
}
)";

// The same in Python.
const char* const good_py = R"(import sys
data = sys.stdin.buffer.read().split()
n, m = int(data[0]), int(data[1])
merged = sorted(map(int, data[2:2 + n + m]))
q = int(data[2 + n + m])
where = {}
for i, v in enumerate(merged, 1):
    where.setdefault(v, []).append(str(i))
lines = [" ".join(map(str, merged))]
for v in data[3 + n + m:3 + n + m + q]:
    lines.append(" ".join(where.get(int(v), ["Number Not Found"])))
sys.stdout.write("\n".join(lines) + "\n")
)";

class Sources : public ::testing::Test {
protected:
    fs::path write(const std::string& name, const std::string& text)
    {
        const fs::path path = runner_.folder() / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    JudgeResult judge(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"--seed", "5", "--cases", "2"});
        return runner_.judge(args);
    }

    JudgeRunner runner_;
};

// Each column's verdicts, case by case, from the JSON of several solutions.
std::map<std::string, std::vector<std::string>> verdicts_by_solution(const json& report)
{
    std::map<std::string, std::vector<std::string>> verdicts;
    for (const json& solution : report["solutions"])
        for (const json& entry : solution["cases"])
            verdicts[solution["name"]].push_back(entry["verdict"]);
    return verdicts;
}

// A class of submissions: right, wrong, crashing, slow, not compiling, in C,
// C++ and Python; every verdict as it should be, in the table, the JSON and
// the CSV.
TEST_F(Sources, FolderOfSubmissionsIsJudgedAsAMatrix)
{
    std::string wrong = good_c;
    wrong.replace(wrong.find("Number Not Found"), 16, "Not Found");
    write("class/good.c", good_c);
    write("class/wrong.c", wrong);
    write("class/good.py", good_py);
    write("class/slow.py", "while True:\n    pass\n");
    write("class/crash.cpp", "int main() { volatile int* p = nullptr; return *p; }\n");
    write("class/broken.cpp", "int main() { return undefined_here; }\n");
    write("class/notes.txt", "not a solution\n");
    const fs::path report = runner_.folder() / "report.json";
    const fs::path sheet = runner_.folder() / "grades.csv";
    const JudgeResult result = judge({"--time-limit", "1", "-j", "2", "--json", report.string(), "--csv",
                                      sheet.string(), "pro6", (runner_.folder() / "class").string()});
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_NE(result.out.find("Judging 6 solutions on pro6: "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("\n2 passed, 4 failed\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("broken.cpp:1:21: error:"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Codes: OK passed, WA wrong answer, TLE time limit, RE runtime error, CE compilation "
                              "error;"),
              std::string::npos)
        << result.out;

    const json parsed = json::parse(read_file(report));
    const std::map<std::string, std::vector<std::string>> expected{
        {"broken.cpp", {"COMPILATION ERROR", "COMPILATION ERROR"}},
        {"crash.cpp", {"RUNTIME ERROR", "RUNTIME ERROR"}},
        {"good.c", {"OK", "OK"}},
        {"good.py", {"OK", "OK"}},
        {"slow.py", {"TIME LIMIT", "TIME LIMIT"}},
        {"wrong.c", {"WRONG ANSWER", "WRONG ANSWER"}},
    };
    EXPECT_EQ(verdicts_by_solution(parsed), expected);
    EXPECT_EQ(parsed["passed"], 2);
    EXPECT_EQ(parsed["solutions"][0]["compilation"]["status"], "failed");
    EXPECT_EQ(parsed["solutions"][2]["language"], "C");

    // The grade sheet: a header and a row per solution, in the table's order.
    const std::string csv = read_file(sheet);
    EXPECT_EQ(csv.rfind("solution,language,cases,passed,failed,slowest_seconds,peak_memory_bytes,first_failure,"
                        "first_failure_verdict,small,score\r\n",
                        0),
              0u)
        << csv;
    for (const char* row : {"\r\nbroken.cpp,C++,2,0,2,,,1,COMPILATION ERROR,0,0\r\n", "\r\ngood.py,Python 3,2,2,0,",
                            "\r\nwrong.c,C,2,0,2,", ",1,WRONG ANSWER,0,0\r\n", ",2,100\r\n"})
        EXPECT_NE(csv.find(row), std::string::npos) << row << "\n" << csv;
    EXPECT_TRUE(runner_.clean());
}

// One source: the table and the JSON of a single command, with its
// language and compilation added; its name quoted in CSV as RFC 4180 says.
TEST_F(Sources, OneSourceKeepsTheLayoutOfOneCommand)
{
    const fs::path source = write("a, \"b\".c", good_c);
    const fs::path report = runner_.folder() / "report.json";
    const fs::path sheet = runner_.folder() / "grades.csv";
    const JudgeResult result =
        judge({"--json", report.string(), "--csv", sheet.string(), "pro6", source.string()});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("\ncase  seed  size        verdict  processor     wall  memory\n"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("\n2 passed, 0 failed\n"), std::string::npos) << result.out;
    const json parsed = json::parse(read_file(report));
    for (const char* key : {"exercise", "command", "sandbox", "seed", "reference", "limits", "cases", "passed",
                            "failed", "shrinking", "language", "compilation"})
        EXPECT_TRUE(parsed.contains(key)) << key;
    EXPECT_EQ(parsed["language"], "C");
    EXPECT_EQ(parsed["compilation"]["status"], "ok");
    EXPECT_NE(read_file(sheet).find("\r\n\"a, \"\"b\"\".c\",C,2,2,0,"), std::string::npos) << read_file(sheet);
}

// Two files of the same name, told apart by their folders.
TEST_F(Sources, SameNamesAreToldApart)
{
    const fs::path first = write("one/sol.c", good_c);
    const fs::path second = write("two/sol.c", good_c);
    const JudgeResult result = judge({"pro6", first.string(), second.string()});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("one/sol.c (C): 2 of 2 passed"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("two/sol.c (C): 2 of 2 passed"), std::string::npos) << result.out;
}

// What cannot be judged: status 2 and one line saying why, nothing left.
TEST_F(Sources, BadSourcesAreUsageErrors)
{
    fs::create_directories(runner_.folder() / "empty");
    write("no-sources/notes.txt", "x\n");
    const fs::path good = write("good.c", good_c);
    const fs::path unknown = write("sol.xyz", "x\n");
    const fs::path table = write("bad.json", "{\"languages\": [{\"id\": \"x\"}]}");
    const std::string folder = runner_.folder().string();
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"pro6", folder + "/empty"}, "no source file in "},
        {{"pro6", folder + "/no-sources"}, "no source file in "},
        {{"pro6", folder + "/missing.c"}, "cannot read the source "},
        {{"pro6", unknown.string()}, "cannot tell the language of "},
        {{"--language", "cobol", "pro6", good.string()}, "unknown language 'cobol'"},
        {{"--languages", table.string(), "pro6", good.string()}, "is not one: "},
        {{"--stress", "pro6", good.string(), good.string()}, "--stress judges one solution, not 2"},
        {{"pro6", good.string(), "--", "pro6-solve"}, "give SOLUTION files or -- COMMAND, not both"},
    };
    for (const Case& c : cases) {
        const JudgeResult result = judge(c.args);
        EXPECT_EQ(result.status, 2) << c.message << "\n" << result.err;
        EXPECT_EQ(result.err.rfind("exercise-judge: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_TRUE(runner_.clean()) << c.message;
    }
}

// Compilers that misbehave, and sources that make them: each within the
// compile limits, a COMPILATION ERROR, nothing left behind.
TEST_F(Sources, HostileCompilationIsStopped)
{
    const fs::path table = write("languages.json", R"({"languages": [
        {"id": "c", "name": "C", "extensions": ["c"],
         "compile": ["gcc", "-O2", "-o", "{binary}", "{source}"], "run": ["{binary}"]},
        {"id": "hang", "name": "Hang", "extensions": ["hang"], "compile": ["sleep", "100"], "run": ["{binary}"]},
        {"id": "flood", "name": "Flood", "extensions": ["flood"], "compile": ["yes"], "run": ["{binary}"]}]})");
    write("hostile/zero.c", "#include \"/dev/zero\"\nint main(void) { return 0; }\n");
    write("hostile/x.hang", "");
    write("hostile/x.flood", "");
    const fs::path report = runner_.folder() / "report.json";
    // The preprocessor takes in /dev/zero at some 300 MB a processor second:
    // 64 MB comes well before 0.5 s.
    const JudgeResult result =
        judge({"--languages", table.string(), "--compile-time-limit", "0.5", "--compile-memory-limit", "64",
               "--compile-output-limit", "1", "--json", report.string(), "pro6", (runner_.folder() / "hostile").string()});
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    const json parsed = json::parse(read_file(report));
    std::map<std::string, std::string> details;
    for (const json& solution : parsed["solutions"]) {
        EXPECT_EQ(solution["cases"][0]["verdict"], "COMPILATION ERROR") << solution["name"];
        details[solution["name"]] = solution["compilation"]["detail"];
    }
    EXPECT_EQ(details["x.hang"].rfind("above 2 s of wall time", 0), 0u) << details["x.hang"];
    EXPECT_EQ(details["x.flood"], "output above 1 MB");
    EXPECT_EQ(details["zero.c"], "memory above 64 MB");
    EXPECT_TRUE(runner_.clean());
}

// Java, where a JDK is here: the class that holds main is run.
TEST_F(Sources, JavaRunsTheClassHoldingMain)
{
    if (testing_support::run_with("exercise-judge", {"--list-languages"}).out.find("unavailable: javac") !=
        std::string::npos)
        GTEST_SKIP() << "no JDK here";
    const fs::path source = write("java/Merge.java", R"(import java.util.*;
class Helper { static int twice(int x) { return 2 * x; } }
public class Merge {
    public static void main(String[] args) {
        Scanner in = new Scanner(System.in);
        int n = in.nextInt(), m = in.nextInt();
        int[] v = new int[n + m];
        for (int i = 0; i < n + m; i++) v[i] = in.nextInt();
        Arrays.sort(v);
        StringBuilder out = new StringBuilder();
        for (int i = 0; i < n + m; i++) out.append(i > 0 ? " " : "").append(v[i]);
        out.append('\n');
        int q = in.nextInt();
        while (q-- > 0) {
            int x = in.nextInt();
            StringBuilder at = new StringBuilder();
            for (int i = 0; i < n + m; i++) if (v[i] == x) at.append(at.length() > 0 ? " " : "").append(i + 1);
            out.append(at.length() > 0 ? at : "Number Not Found").append('\n');
        }
        System.out.print(out);
    }
}
)");
    const JudgeResult result = judge({"pro6", source.string()});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
}

}  // namespace
