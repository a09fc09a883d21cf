// transfer-summary: reads a transfer log on standard input and writes one
// line per transferred item: its name, the time the transfer took as
// hours:minutes:seconds, and its size in B, KB, MB or GB.
//
// Each record of the log is an ignored first line, any lines without a
// backquote, the name line (the name stands between a backquote and an
// apostrophe), any further lines, then the begin line ("BEGIN: start"), the
// end line and the size line, each with its number in the second
// blank-separated field.

#include "common/command_line.hpp"
#include "common/fail.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "transfer/block_walk.hpp"

namespace {

// What --help shows; FILE stands in for standard input.
const common::Usage usage{
    "[FILE]",
    R"(Reads a transfer log from FILE (standard input when FILE is missing or -) and
writes one line per record: the item's name, a colon, the time the transfer
took as hours:minutes:seconds and its size in B, KB, MB or GB. A record is an
ignored first line, the name line (the name between a backquote and an
apostrophe), then the lines "BEGIN: start", the end time and the size.
Exit status: 0; 1 on a read or write error.
)",
    {},
    R"(  transfer-summary transfer.log
)",
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "transfer-summary";
    const common::Arguments args(usage, argc, argv);
    args.open_file_as_input();
    common::Input in;
    common::Output out;
    transfer::summarise(in, out);
    out.flush();
    return 0;
}
