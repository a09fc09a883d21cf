// The progress line as a user at a terminal sees it: the judge runs under
// a pseudo-terminal (script(1)), and its standard error shows the
// compilations counted, then the runs, with a run that takes seconds shown
// as it goes; off a terminal, nothing of it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "judge/tests/judge_runner.hpp"
#include "tests/support/run.hpp"

namespace {

namespace fs = std::filesystem;

TEST(JudgeProgress, TerminalSeesCompilingAndLongRunsGoing)
{
    if (::access("/usr/bin/script", X_OK) != 0)
        GTEST_SKIP() << "no script(1) to give the judge a terminal";
    const judge_testing::JudgeRunner runner;
    const fs::path folder = runner.folder() / "class";
    fs::create_directories(folder);
    std::ofstream(folder / "slow.py") << "import time\ntime.sleep(3.5)\n";
    std::ofstream(folder / "quick.py") << "print(1)\n";
    const std::string judge = testing_support::program_path("exercise-judge");
    const std::string line = judge + " --cases 1 --seed 1 --time-limit 2 pro3 " + folder.string();
    const testing_support::RunResult seen =
        testing_support::run_path("/usr/bin/script", "", {false, false, "", {"-qfec", line, "/dev/null"}, {}});
    EXPECT_NE(seen.out.find("exercise-judge: compiling 1 of 2 (quick.py)"), std::string::npos) << seen.out;
    EXPECT_NE(seen.out.find("exercise-judge: compiling 2 of 2 (slow.py)"), std::string::npos) << seen.out;
    EXPECT_NE(seen.out.find("running case 1 of slow.py for 2 s"), std::string::npos) << seen.out;
    EXPECT_NE(seen.out.find("2 of 2 runs judged, 2 failed"), std::string::npos) << seen.out;

    // Off a terminal, standard error holds none of it.
    const judge_testing::JudgeResult plain = runner.judge({"--cases", "1", "--seed", "1", "pro3", folder.string()});
    EXPECT_EQ(plain.err.find("compiling"), std::string::npos) << plain.err;
    EXPECT_EQ(plain.err.find("runs judged"), std::string::npos) << plain.err;
}

}  // namespace
