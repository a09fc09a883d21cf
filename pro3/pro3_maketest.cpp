// pro3-maketest: asks for a number of lines and a stage, then writes that
// many random PRO3 cases of the stage to standard output.

#include <cstdint>
#include <cstdio>

#include "common/draws.hpp"
#include "common/fail.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "pro3/case_maker.hpp"

namespace {

// Written to standard error before the prompts.
constexpr const char* banner = "TestCase Maker for PRO3\nPlease redirect stdout to file.\n\n";

// Prompts for one answer and reads it as "%d"; an answer that is missing or
// not a 32-bit number ends the program.
std::int32_t ask(common::Input& in, const char* prompt, const char* what)
{
    std::fputs(prompt, stderr);
    std::int32_t value = 0;
    switch (in.read_int(value)) {
    case common::ReadStatus::ok: return value;
    case common::ReadStatus::end: common::fail("no %s given: the input ended", what);
    case common::ReadStatus::no_number: common::fail("the %s is not a number", what);
    case common::ReadStatus::out_of_range: common::fail("the %s is outside the signed 32-bit range", what);
    }
    return value;
}

}  // namespace

int main()
{
    common::program_name = "pro3-maketest";
    common::Draws draws = common::Draws::from_time();
    std::fputs(banner, stderr);
    common::Input in;
    common::Output out;
    const std::int32_t count = ask(in, "Line: ", "line count");
    const std::int32_t stage = ask(in, "Stage: ", "stage");
    pro3::write_cases(draws, count, stage, out);
    out.flush();
    return 0;
}
