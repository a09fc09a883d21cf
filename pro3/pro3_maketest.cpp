// pro3-maketest: asks for a number of lines and a stage, then writes that
// many random PRO3 cases of the stage to standard output.

#include <cstdint>
#include <cstdio>

#include "common/answers.hpp"
#include "common/command_line.hpp"
#include "common/draws.hpp"
#include "common/fail.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "pro3/case_maker.hpp"

namespace {

// Written to standard error before the prompts.
constexpr const char* banner = "TestCase Maker for PRO3\nPlease redirect stdout to file.\n\n";

// What --help shows.
const common::Usage usage{
    "",
    R"(Asks "Line: " and "Stage: " on standard error and writes that many random PRO3
cases of the stage to standard output, one case of seven key=value tokens per
line. Stage 1: n up to 25; 2: n near 25,000; 3 and 4: n near 2,500,000, stage 4
with a random radix. Another stage, or a count of 0 or less, writes nothing.
The draws are seeded with the current second, or with --seed: a case made at
second S is made again, byte for byte, with --seed S.
Exit status: 0; 1 when an answer is missing or not a number, or on a read or
write error.
)",
    {common::seed_option},
    R"(  printf '3\n4\n' | pro3-maketest --seed 1765000000 > cases.txt
)",
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "pro3-maketest";
    const common::Arguments args(usage, argc, argv);
    common::Draws draws = common::Draws::seeded(args.number("seed"));
    std::fputs(banner, stderr);
    common::Input in;
    common::Output out;
    const std::int32_t count = common::ask(in, "Line: ", "line count");
    const std::int32_t stage = common::ask(in, "Stage: ", "stage");
    pro3::write_cases(draws, count, stage, out);
    out.flush();
    return 0;
}
