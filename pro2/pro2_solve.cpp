// pro2-solve: reads a PRO2 case, a header line choosing the mode and width
// and then the body, and copies the body with leading tabs turned into
// blanks ("t"), with groups of leading blanks turned into tabs ("b"), or not
// at all (any other header). Ends with the lines, blanks and characters
// read and, when copying, written. The body streams through in blocks, so
// memory stays the same whatever its size or the length of its lines.

#include "common/command_line.hpp"
#include "common/fail.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "pro2/converter.hpp"

namespace {

// What --help shows; FILE stands in for standard input.
const common::Usage usage{
    "[FILE]",
    R"(Reads a PRO2 case from FILE (standard input when FILE is missing or -): a
header line, then the body. A header beginning with "t" copies the body with
each tab in a line's leading whitespace written as N blanks; "b" writes each
group of N leading blanks as a tab; anything else only counts. N is the
header's second blank-separated token. Ends with the newlines, blanks and
characters read and, when copying, written.
Exit status: 0; 1 when the width is outside the signed 32-bit range, or on a
read or write error.
)",
    {},
    R"(  printf 't2b 4\n\tx\n' | pro2-solve
)",
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "pro2-solve";
    const common::Arguments args(usage, argc, argv);
    args.open_file_as_input();
    common::Input in;
    common::Output out;
    pro2::solve(in, out);
    out.flush();
    return 0;
}
