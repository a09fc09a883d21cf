// pro2-maketest, pro2-maketest-b: ask for a mode letter, a number of lines
// and (for "t" and "b") a width, then write one random PRO2 case of that
// mode to standard output. The -b build gives blank-to-tab lines 0 to 400000
// drawn characters in steps of 100000 instead of an even 0 to 65534.

#include <cstdint>
#include <cstdio>

#include "common/answers.hpp"
#include "common/command_line.hpp"
#include "common/draws.hpp"
#include "common/fail.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "pro2/case_maker.hpp"

namespace {

#ifdef LONG_DRAWN_LINES
constexpr const char* name = "pro2-maketest-b";
constexpr pro2::Variant variant = pro2::Variant::hundred_thousands;
#else
constexpr const char* name = "pro2-maketest";
constexpr pro2::Variant variant = pro2::Variant::twice_one_draw;
#endif

// Written to standard error before the prompts.
constexpr const char* banner = "TestCase Maker for PRO2\nPlease redirect stdout to file.\n\n";

// Reads the first character of the answer line and drops the rest of that
// line. An empty answer is a newline, and then the next line goes as well.
int read_mode(common::Input& in)
{
    std::fputs("First Character: ", stderr);
    const int mode = in.get();
    for (int c = mode; c != common::Input::eof;) {
        c = in.get();
        if (c == '\n')
            break;
    }
    return mode;
}

std::int32_t ask_width(common::Input& in)
{
    const std::int32_t width = common::ask(in, "Number: ", "width");
    if (width < pro2::min_width || width > pro2::max_width)
        common::fail("the width %d is outside %d..%d", width, pro2::min_width, pro2::max_width);
    return width;
}

// What --help shows.
const common::Usage usage{
    "",
    R"(Asks "First Character: " (the mode: w, t or b), "Line: " and, for t and b,
"Number: " (the width N) on standard error, then writes one random PRO2 case to
standard output: the header "wc only", "t2b N" or "b2t N", then that many lines
of blanks, tabs and printable characters. Any other mode writes nothing.
)"
#ifdef LONG_DRAWN_LINES
    R"(Blank-to-tab lines get 0 to 400000 drawn characters in steps of 100000.
)"
#else
    R"(Blank-to-tab lines get an even 0 to 65534 drawn characters.
)"
#endif
    R"(The draws are seeded with the current second, or with --seed: a case made at
second S is made again, byte for byte, with --seed S.
Exit status: 0; 1 when an answer is missing or not a number, or the width lies
outside -536870912..536870911, or on a read or write error.
)",
    {common::seed_option},
#ifdef LONG_DRAWN_LINES
    R"(  printf 'b\n20\n4\n' | pro2-maketest-b --seed 1765000000 > case.txt
)",
#else
    R"(  printf 't\n100\n4\n' | pro2-maketest --seed 1765000000 > case.txt
)",
#endif
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = name;
    const common::Arguments args(usage, argc, argv);
    common::Draws draws = common::Draws::seeded(args.number("seed"));
    pro2::CaseMaker maker(draws, variant);
    std::fputs(banner, stderr);
    common::Input in;
    common::Output out;
    const int mode = read_mode(in);
    const std::int32_t lines = common::ask(in, "Line: ", "line count");
    const std::int32_t width = mode == 't' || mode == 'b' ? ask_width(in) : 0;
    maker.write(static_cast<char>(mode), lines, width, out);
    out.flush();
    return 0;
}
