// pro3-maketest: asks for a number of lines and a stage, then writes that
// many random PRO3 cases of the stage to standard output.

#include <cstdint>
#include <cstdio>

#include "common/answers.hpp"
#include "common/draws.hpp"
#include "common/fail.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "pro3/case_maker.hpp"

namespace {

// Written to standard error before the prompts.
constexpr const char* banner = "TestCase Maker for PRO3\nPlease redirect stdout to file.\n\n";

}  // namespace

int main()
{
    common::program_name = "pro3-maketest";
    common::Draws draws = common::Draws::from_time();
    std::fputs(banner, stderr);
    common::Input in;
    common::Output out;
    const std::int32_t count = common::ask(in, "Line: ", "line count");
    const std::int32_t stage = common::ask(in, "Stage: ", "stage");
    pro3::write_cases(draws, count, stage, out);
    out.flush();
    return 0;
}
