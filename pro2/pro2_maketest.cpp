// pro2-maketest, pro2-maketest-b: ask for a mode letter, a number of lines
// and (for "t" and "b") a width, then write one random PRO2 case of that
// mode to standard output. The -b build gives blank-to-tab lines 0 to 400000
// drawn characters in steps of 100000 instead of an even 0 to 65534.

#include <cstdint>
#include <cstdio>

#include "common/answers.hpp"
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

}  // namespace

int main()
{
    common::program_name = name;
    common::Draws draws = common::Draws::from_time();
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
