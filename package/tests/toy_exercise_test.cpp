// A fifth exercise defined from data alone, outside the suite: its facts
// (exercise.json), its maker, validator and reference (small shell
// scripts) and its problem material are written by the test, and found
// through EXERCISE_SUITE_EXERCISES and PATH. exercise-judge judges it and
// exercise-package makes, builds and verifies its package, with nothing of
// the judge or the package builder told about it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/run.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::TempDir;

void write(const fs::path& path, const std::string& text, bool executable = false)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
    if (executable)
        fs::permissions(path, fs::perms::owner_all);
}

// The exercise: a case is one line "A B" (A the maker's answer, B its
// seed's last two digits), the answer A + B.
const char* const facts = R"({
  "name": "toy",
  "listed": 9,
  "answers": "the first number",
  "makers": [{"name": "toy-make", "takes": "prompts"}],
  "validator": {"name": "toy-validate", "strict": "--strict"},
  "solvers": [{"name": "toy-solve", "reference": true}],
  "output": "exact",
  "sizes": {
    "small": [{"maker": "toy-make", "answers": ["5"]}],
    "medium": [{"maker": "toy-make", "answers": ["50"]}],
    "large": [{"maker": "toy-make", "answers": ["500"]}],
    "max": [{"maker": "toy-make", "answers": ["5000"]}]
  },
  "shrink": [{"token": 1, "least": 0}],
  "problem": {
    "name": "Toy Sums",
    "folder": "problem",
    "memory_mib": 256,
    "output_mib": 1,
    "input_validator": "sources/validate.cpp",
    "output_validator": null,
    "submissions": [{"folder": "accepted", "source": "sources/sum.py"}]
  }
}
)";

// Its package's input validator: a C++ file, as the format builds it. A
// first number 7 it rejects, writing a line on each of its streams.
const char* const input_validator = R"(#include <cstdio>
int main()
{
    long a = 0, b = 0;
    char end = 0;
    if (std::scanf("%ld %ld%c", &a, &b, &end) != 3 || end != '\n')
        return 43;
    if (a == 7) {
        std::printf("stdout line one\n");
        std::fflush(stdout);
        std::fprintf(stderr, "ERR\n");
        return 43;
    }
    return 42;
}
)";

class ToyExercise : public ::testing::Test {
protected:
    void SetUp() override
    {
        const fs::path toy = root_.path() / "exercises" / "toy";
        write(toy / "exercise.json", facts);
        write(toy / "problem" / "problem.en.tex", "\\problemname{Toy Sums}\nAdd two numbers.\n");
        write(toy / "problem" / "plan-small",
              "exercise toy\ns1 sample toy-make 1 5\n01 secret toy-make 2 40\n02 secret file generators/cases/big.in\n");
        write(toy / "problem" / "plan", "exercise toy\n01 secret toy-make 2 40\n");
        write(toy / "problem" / "cases" / "big.in", "123456 654321\n");
        write(toy / "problem" / "sources" / "validate.cpp", input_validator);
        write(toy / "problem" / "sources" / "sum.py", "a, b = map(int, input().split())\nprint(a + b)\n");
        write(toy / "problem" / "submissions" / "wrong_answer" / "off.py",
              "a, b = map(int, input().split())\nprint(a + b + 1)\n");
        const fs::path bin = root_.path() / "bin";
        write(bin / "toy-make", "#!/bin/sh\nread n\necho \"$n $(( $2 % 100 ))\"\n", true);
        write(bin / "toy-validate",
              "#!/bin/sh\nfor last; do :; done\n"
              "if [ \"$(wc -l < \"$last\")\" = 1 ] && grep -qE '^[0-9]+ [0-9]+$' \"$last\"; then\n"
              "  echo 'numbers: 2'\nelse\n  echo 'toy-validate: line 1: expected two numbers' >&2\n  exit 1\nfi\n",
              true);
        write(bin / "toy-solve", "#!/bin/sh\nread a b\necho $((a + b))\n", true);
        // The tools see the toy; no other program's environment changes.
        options_.environment = {"EXERCISE_SUITE_EXERCISES=" + (root_.path() / "exercises").string(),
                                "PATH=" + bin.string() + ":" + std::getenv("PATH")};
        options_.directory = root_.path().string();
    }

    RunResult tool(const char* program, const std::vector<std::string>& args)
    {
        RunOptions options = options_;
        options.args = args;
        return testing_support::run(program, "", options);
    }

    TempDir root_;
    RunOptions options_;
};

TEST_F(ToyExercise, IsJudgedLikeTheSuitesOwn)
{
    const std::string sum = (root_.path() / "exercises/toy/problem/sources/sum.py").string();
    const RunResult right = tool("exercise-judge", {"--cases", "3", "--seed", "1", "toy", sum});
    EXPECT_EQ(right.status, 0) << right.out << right.err;
    EXPECT_NE(right.out.find("Judging " + sum + " on toy: size small, seeds from 1"), std::string::npos) << right.out;
    EXPECT_NE(right.out.find("\n3 passed, 0 failed\n"), std::string::npos) << right.out;

    const std::string off = (root_.path() / "exercises/toy/problem/submissions/wrong_answer/off.py").string();
    const RunResult wrong = tool("exercise-judge", {"--cases", "2", "--seed", "1", "toy", off});
    EXPECT_EQ(wrong.status, 1) << wrong.out << wrong.err;
    EXPECT_NE(wrong.out.find("WRONG ANSWER: line 1, column 1: expected \"6\\n\", found \"7\\n\""), std::string::npos)
        << wrong.out;

    const RunResult help = tool("exercise-judge", {"--help"});
    EXPECT_NE(help.out.find("EXERCISE: pro3, pro2, pro6, 3-15 or toy."), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("  toy small     toy-make \"5\"\n"), std::string::npos) << help.out;
}

TEST_F(ToyExercise, ItsPackageIsMadeBuiltAndVerified)
{
    ASSERT_EQ(tool("exercise-package", {"new", "--small", "toy", "sums"}).status, 0);
    const RunResult built = tool("exercise-package", {"build", "sums"});
    ASSERT_EQ(built.status, 0) << built.out << built.err;
    EXPECT_NE(built.out.find("Built 3 cases of toy (1 sample, 2 secret)"), std::string::npos) << built.out;
    const fs::path sums = root_.path() / "sums";
    EXPECT_EQ(testing_support::read_file(sums / "data" / "secret" / "01.ans"), "42\n");
    EXPECT_TRUE(fs::is_regular_file(sums / "submissions" / "wrong_answer" / "off.py"));
    const RunResult verified = tool("exercise-package", {"verify", "sums"});
    EXPECT_EQ(verified.status, 0) << verified.out << verified.err;
    EXPECT_NE(verified.out.find("No problem found.\n"), std::string::npos) << verified.out;

    // A case the package's own validator rejects, saying so on both its
    // streams: its last line, whole, is quoted.
    std::ofstream(sums / "generators" / "plan", std::ios::app) << "03 secret toy-make 3 7\n";
    ASSERT_EQ(tool("exercise-package", {"build", "sums"}).status, 0);
    const RunResult rejected = tool("exercise-package", {"verify", "sums"});
    EXPECT_EQ(rejected.status, 1);
    EXPECT_NE(rejected.out.find("data/secret/03.in: the input validator validate does not accept it (ERR)"),
              std::string::npos)
        << rejected.out;
}

}  // namespace
