// pro6-maketest: asks for two sequence lengths, a number of search values and
// how many of them must be found, then writes one random PRO6 case to
// standard output: the lengths, the two sorted sequences, the count and the
// search values. Banner, prompts and timing traces go to standard error.
//
// Two builds: pro6-maketest draws values 0 to 999,999; pro6-maketest-b
// (WIDE_VALUES) draws values 0 to 9,999,999.

#include <cstdint>
#include <cstdio>

#include "common/answers.hpp"
#include "common/command_line.hpp"
#include "common/cpu_clock.hpp"
#include "common/draws.hpp"
#include "common/fail.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "pro6/case_maker.hpp"

namespace {

#if defined(WIDE_VALUES)
constexpr const char* name = "pro6-maketest-b";
using Maker = pro6::CaseMaker<10'000'000>;
#else
constexpr const char* name = "pro6-maketest";
using Maker = pro6::CaseMaker<1'000'000>;
#endif

// Written to standard error before the prompts.
constexpr const char* banner = "TestCase Maker for PRO6\nPlease redirect stdout to file.\n\n";

constexpr std::int32_t max_length = 25'000'000;  // values per sequence

std::int32_t read_length(common::Input& in, const char* what)
{
    const std::int32_t length = common::read_answer(in, what);
    if (length < 0 || length > max_length)
        common::fail("the %s %d is outside 0..%d", what, length, max_length);
    return length;
}

// The banner, the three prompts and the answers they take.
pro6::Answers ask(common::Input& in)
{
    pro6::Answers answers;
    std::fputs(banner, stderr);
    std::fputs("Length(2 numbers required): ", stderr);
    answers.n = read_length(in, "first length");
    answers.m = read_length(in, "second length");
    std::fputs("Search Item(1 number required):", stderr);
    answers.k = common::read_answer(in, "number of search items");
    std::fputs("How many item can be found? ", stderr);
    answers.f = common::read_answer(in, "number of items to be found");
    if (answers.f > 0 && answers.n == 0 && answers.m == 0)
        common::fail("cannot find %d values: both sequences are empty", answers.f);
    return answers;
}

void trace(const char* stage)
{
    std::fprintf(stderr, ">>> %s: clock()=%d\n", stage, common::cpu_milliseconds());
}

// What --help shows.
const common::Usage usage{
    "",
    R"(Asks on standard error for the two sequence lengths, the number of search
values k and how many of them f must be found, and writes one random PRO6 case
to standard output: the lengths, the two sequences sorted, k, then f values that
occur in the sequences and k - f fresh random values. Timing traces follow the
prompts on standard error.
)"
#if defined(WIDE_VALUES)
    R"(Values lie in 0..9999999.
)"
#else
    R"(Values lie in 0..999999.
)"
#endif
    R"(The draws are seeded with the current second, or with --seed: a case made at
second S is made again, byte for byte, with --seed S.
Exit status: 0; 1 when an answer is missing or not a number, a length lies
outside 0..25000000, values must be found in two empty sequences, or on a read
or write error.
)",
    {common::seed_option},
#if defined(WIDE_VALUES)
    R"(  printf '10000000 10000000\n100000\n50000\n' | pro6-maketest-b --seed 7 > case.txt
)",
#else
    R"(  printf '10 10\n5\n3\n' | pro6-maketest --seed 1765000000 > case.txt
)",
#endif
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = name;
    const common::Arguments args(usage, argc, argv);
    common::Draws draws = common::Draws::seeded(args.number("seed"));
    common::Input in;
    const pro6::Answers answers = ask(in);
    common::Output out;
    Maker::write(draws, answers, out, trace);
    out.flush();
    return 0;
}
