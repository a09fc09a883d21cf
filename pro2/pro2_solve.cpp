// pro2-solve: reads a PRO2 case, a header line choosing the mode and width
// and then the body, and copies the body with leading tabs turned into
// blanks ("t"), with groups of leading blanks turned into tabs ("b"), or not
// at all (any other header). Ends with the lines, blanks and characters
// read and, when copying, written. The body streams through in blocks, so
// memory stays the same whatever its size or the length of its lines.

#include "common/fail.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "pro2/converter.hpp"

int main()
{
    common::program_name = "pro2-solve";
    common::Input in;
    common::Output out;
    pro2::solve(in, out);
    out.flush();
    return 0;
}
