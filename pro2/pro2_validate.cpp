// pro2-validate: reads a PRO2 case and tells whether it lies within the
// format's limits, as pro2-solve reads it: a header line of at most 31
// characters, a width in the copying modes that fits 32 bits, and a body
// whose counts, and in tab-to-blank mode what is written, stay within the
// signed 32-bit counters. With --strict it also requires what the makers
// write. A valid case gets a report of what it holds and which limits it
// reaches; the first violation ends the run with its place. The body
// streams through in blocks, whatever its size or the length of its lines.

#include <cstdint>
#include <optional>
#include <string>

#include "common/command_line.hpp"
#include "common/input.hpp"
#include "common/validation.hpp"
#include "pro2/case_check.hpp"

namespace {

// The modes as the report names them.
constexpr const char* mode_names[] = {
    "count only",
    "tab-to-blank (t)",
    "blank-to-tab (b)",
};

void reject(const std::optional<pro2::Violation>& fault)
{
    if (fault)
        common::invalid(fault->at, fault->what, fault->found);
}

// "1 byte", "2 bytes".
std::string counted(std::uint64_t count, const std::string& what)
{
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

std::string width_fact(const pro2::HeaderFacts& header)
{
    const std::string width = std::to_string(header.width);
    if (header.width_is_number)
        return width;
    return width + " (its token \"" + common::quoted(header.width_token) + "\" is not a number)";
}

std::string last_line_fact(const pro2::BodyFacts& body)
{
    if (body.read.characters == 0)
        return "none (the body is empty)";
    return body.last_line_without_newline ? "without a newline" : "ends with a newline";
}

common::Report report(const pro2::HeaderFacts& header, const pro2::BodyFacts& body)
{
    const bool copying = header.mode != pro2::Mode::count_only;
    common::Report report;
    report.fact("mode", mode_names[static_cast<int>(header.mode)]);
    if (copying)
        report.fact("width", width_fact(header));
    report.fact("body", counted(body.read.characters, "byte") + ", " + counted(body.read.lines, "newline"));
    report.fact("last line", last_line_fact(body));

    constexpr auto limit = static_cast<std::int64_t>(pro2::counter_limit);
    const auto count = [&](const char* quantity, std::uint64_t value) {
        common::Extremes met;
        met.see(static_cast<std::int64_t>(value));
        report.bound(quantity, met, 0, limit);
    };
    if (copying) {
        common::Extremes width;
        width.see(header.width);
        report.bound("width", width, -limit - 1, limit);
    }
    count("characters read", body.read.characters);
    count("newlines read", body.read.lines);
    count("blanks read", body.read.blanks);
    if (copying) {
        count("characters written", body.written.characters);
        count("blanks written", body.written.blanks);
    }
    report.bound("line length", body.line_length.extremes(), 0, limit);
    report.bound("leading blanks", body.leading_blanks.extremes(), 0, limit);
    report.bound("leading tabs", body.leading_tabs.extremes(), 0, limit);
    report.bound("leading whitespace", body.leading_whitespace.extremes(), 0, limit);
    return report;
}

// What --help shows; FILE stands in for standard input.
const common::Usage usage{
    "[FILE]",
    R"(Reads a PRO2 case from FILE (standard input when FILE is missing or -) and
checks that it lies within the format's limits. A valid case gets a report on
standard output: the mode and width, the size of the body, whether its last line
ends with a newline, and for the counts pro2-solve keeps and the per-line lengths
the smallest and largest value met beside the limits, with the limits reached.
The first violation gets one line on standard error: its line and column, what
is wrong, and the text found there.
)",
    {
        {"strict", 0, nullptr, "also require what pro2-maketest and pro2-maketest-b write"},
    },
    R"(  printf 't\n3\n4\n' | pro2-maketest --seed 1765000000 | pro2-validate --strict
)",
    R"(Checks, in the order of the input:
  - there is a header line (an empty input selects no mode) of at most 31
    characters before its newline;
  - its first character selects the mode: t tab-to-blank, b blank-to-tab,
    anything else count only;
  - in the copying modes the header has a second blank-separated token, the
    width, read as "%d" reads it (a token that begins with no number gives 0),
    and the width fits signed 32 bits;
  - the body (every byte after the header line) has at most 2147483647
    characters, and so at most that many newlines and blanks;
  - in tab-to-blank mode, where each leading tab is written as N blanks, what
    is written has at most 2147483647 characters (and so blanks); blank-to-tab
    never writes more than it reads.
A count that passes its limit is shown at the byte where it does.
With --strict, also what the makers write: the header "wc only", "t2b N" or
"b2t N" with N as "%d" writes it, within -536870912..536870911, and a newline;
body bytes only blank, tab, newline and the printable characters 33..126; a
body that is empty or ends with a newline.
Exit status: 0 when the case is valid; 1 when it is not (nothing on standard
output), or on a read or write error.
)",
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "pro2-validate";
    const common::Arguments args(usage, argc, argv);
    args.open_file_as_input();
    const bool strict = args.flag("strict");
    common::Input in;
    pro2::HeaderFacts header;
    reject(pro2::check_header(pro2::read_header_line(in), strict, header));
    pro2::BodyCheck body(header, strict);
    while (in.fill()) {
        reject(body.check(in.data(), in.data() + in.available()));
        in.advance(in.available());
    }
    reject(body.finish());
    report(header, body.facts()).print();
    return 0;
}
