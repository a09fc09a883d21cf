// The steps of a shrink-steps program as its tests state them: the
// arguments, then the exact output, status and message each gives on one
// case.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run.hpp"

namespace testing_support {

struct ShrinkStep {
    std::vector<std::string> args;
    std::string out;
    int status;
    std::string err;  // after "PROGRAM: "; "" for none
};

// Runs program on input once for each step and checks what it gives.
inline void expect_shrink_steps(const std::string& program, const std::string& input,
                                const std::vector<ShrinkStep>& steps)
{
    for (const ShrinkStep& step : steps) {
        const RunResult result = run_with(program, step.args, input);
        const std::string shown = testing::PrintToString(step.args);
        EXPECT_EQ(result.out, step.out) << shown;
        EXPECT_EQ(result.status, step.status) << shown;
        EXPECT_EQ(result.err, step.err.empty() ? "" : program + ": " + step.err + "\n") << shown;
    }
}

}  // namespace testing_support
