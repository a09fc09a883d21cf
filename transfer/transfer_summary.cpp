// transfer-summary: reads a transfer log on standard input and writes one
// line per transferred item: its name, the time the transfer took as
// hours:minutes:seconds, and its size in B, KB, MB or GB.
//
// Each record of the log is an ignored first line, any lines without a
// backquote, the name line (the name stands between a backquote and an
// apostrophe), any further lines, then the begin line ("BEGIN: start"), the
// end line and the size line, each with its number in the second
// blank-separated field.

#include "common/fail.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "transfer/log_walk.hpp"

int main()
{
    common::program_name = "transfer-summary";
    common::Input in;
    common::Output out;
    transfer::summarise(in, out);
    out.flush();
    return 0;
}
