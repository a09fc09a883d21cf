// pro2-validate: reads a PRO2 case and tells whether it lies within the
// format's limits, as pro2-solve reads it: a header line of at most 31
// characters, a width in the copying modes that fits 32 bits, and a body
// whose counts, and in tab-to-blank mode what is written, stay within the
// signed 32-bit counters. With --strict it also requires what the makers
// write. A valid case gets a report of what it holds and which limits it
// reaches, and with --features which of the features that show a
// solution's faults it has; the first violation ends the run with its
// place. The body streams through in blocks, whatever its size or the
// length of its lines.

#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

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

// The features --features reports, in the order of its table. A line's
// leading white space is its blanks and tabs before its first other
// character (a newline ends the line).
enum FeatureIndex {
    count_only_mode,
    tab_to_blank_mode,
    blank_to_tab_mode,
    other_header,
    width_0,
    negative_width,
    leading_tab,
    tab_after_text,
    blank_after_text,
    blank_before_tab,
    blank_group,
    partial_group,
    white_space_line,
    empty_line,
    empty_body,
    no_final_newline,
    blanks_held_at_end,
    carriage_return,
    byte_0,
    byte_above_127,
    long_line,
    feature_count
};
constexpr common::Feature features[] = {
    {"count-only mode", "the header's first character is neither t nor b"},
    {"tab-to-blank mode", "the header's first character is t"},
    {"blank-to-tab mode", "the header's first character is b"},
    {"other header",
     "a header other than \"wc only\", \"t2b N\" and \"b2t N\" with N as \"%d\" writes it (only its first "
     "character and width count)"},
    {"width 0", "a copying mode with width 0 (also from a width token without a number)"},
    {"negative width", "a copying mode with a width below 0"},
    {"leading tab", "a tab in a line's leading white space"},
    {"tab after text", "a tab after a line's first other character"},
    {"blank after text", "a blank after a line's first other character"},
    {"blank before a leading tab", "a blank, then a tab, in a line's leading white space"},
    {"blank group", "blank-to-tab with width N of 1 or more, a line with N leading blanks or more"},
    {"partial blank group",
     "blank-to-tab with width N of 1 or more, a line whose leading blanks, no multiple of N, are followed by "
     "more of the line"},
    {"white-space line", "a line of blanks and tabs only"},
    {"empty line", "a newline alone"},
    {"empty body", "nothing after the header line"},
    {"no final newline", "the body's last line has no newline"},
    {"blanks held at the end",
     "blank-to-tab, the body ends in leading blanks of an unfinished group, which are never written"},
    {"carriage return", "a carriage return in the body (an ordinary character)"},
    {"byte 0", "a byte 0 in the body"},
    {"byte above 127", "a byte above 127 in the body"},
    {"line over 4096 bytes", "a line of more than 4096 bytes before its newline"},
};
static_assert(std::size(features) == feature_count);

// The length past which a line counts as long.
constexpr std::uint64_t long_line_length = 4096;

// The features of a case: the header's at once, the body's as its blocks
// stream through (only with --features).
class CaseFeatures {
public:
    CaseFeatures(const pro2::HeaderLine& line, const pro2::HeaderFacts& header)
        : blank_to_tab_(header.mode == pro2::Mode::blanks_to_tabs),
          group_(header.width > 0 ? static_cast<std::uint64_t>(header.width) : 0)
    {
        const std::string_view text = line.text;
        const bool copying = header.mode != pro2::Mode::count_only;
        has_[count_only_mode] = header.mode == pro2::Mode::count_only;
        has_[tab_to_blank_mode] = header.mode == pro2::Mode::tabs_to_blanks;
        has_[blank_to_tab_mode] = blank_to_tab_;
        has_[other_header] = text != "wc only" && !((text.substr(0, 4) == "t2b " || text.substr(0, 4) == "b2t ") &&
                                                     pro2::canonical(text.substr(4)));
        has_[width_0] = copying && header.width == 0;
        has_[negative_width] = copying && header.width < 0;
    }

    // The next bytes of the body. Each line's leading white space is
    // walked byte by byte; the rest of the line, up to its newline, only
    // tells which bytes it holds, in one pass without branches per byte
    // (which the compiler makes wide), and not at all once every such
    // feature is known.
    void scan(const char* p, const char* end)
    {
        bytes_ += static_cast<std::uint64_t>(end - p);
        while (p < end) {
            if (leading_) {
                p = leading_part(p, end);
                if (p == end)
                    return;
                if (*p == '\n') {
                    end_of_line();
                    ++p;
                    continue;
                }
            }
            const auto* newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            const char* const stop = newline != nullptr ? newline : end;
            if (!text_bytes_known())
                note_text(p, stop);
            line_length_ += static_cast<std::uint64_t>(stop - p);
            if (newline == nullptr)
                return;
            end_of_line();
            p = newline + 1;
        }
    }

    // The end of the body; the features found.
    const std::array<bool, feature_count>& finish()
    {
        has_[empty_body] = bytes_ == 0;
        if (line_length_ > 0) {
            has_[no_final_newline] = true;
            const std::uint64_t held = group_ > 0 ? blanks_ % group_ : blanks_;
            has_[blanks_held_at_end] = blank_to_tab_ && leading_ && held > 0;
            end_line(false);
        }
        return has_;
    }

private:
    // Walks the leading white space from p up to its end: the first other
    // byte, which is taken as the line's first text unless it is a
    // newline, left for the caller. Returns where it stopped.
    const char* leading_part(const char* p, const char* end)
    {
        for (; p < end; ++p) {
            const auto c = static_cast<unsigned char>(*p);
            if (c == '\n')
                return p;
            ++line_length_;
            if (c == ' ') {
                ++blanks_;
            } else if (c == '\t') {
                has_[leading_tab] = true;
                has_[blank_before_tab] = has_[blank_before_tab] || blanks_ > 0;
            } else {
                end_leading(true);
                leading_ = false;
                note_text_byte(c);
                return p + 1;
            }
        }
        return p;
    }

    // The features of bytes after a line's first text byte.
    static constexpr FeatureIndex text_byte_features[] = {blank_after_text, tab_after_text, carriage_return, byte_0,
                                                          byte_above_127};

    bool text_bytes_known() const
    {
        for (const FeatureIndex feature : text_byte_features)
            if (!has_[feature])
                return false;
        return true;
    }

    void note_text_byte(unsigned char c)
    {
        has_[carriage_return] = has_[carriage_return] || c == '\r';
        has_[byte_0] = has_[byte_0] || c == 0;
        has_[byte_above_127] = has_[byte_above_127] || c > 127;
    }

    void note_text(const char* p, const char* end)
    {
        unsigned char blank = 0, tab = 0, cr = 0, zero = 0, high = 0;
        for (; p < end; ++p) {
            const auto c = static_cast<unsigned char>(*p);
            blank |= static_cast<unsigned char>(c == ' ');
            tab |= static_cast<unsigned char>(c == '\t');
            cr |= static_cast<unsigned char>(c == '\r');
            zero |= static_cast<unsigned char>(c == 0);
            high |= static_cast<unsigned char>(c > 127);
        }
        has_[blank_after_text] = has_[blank_after_text] || blank != 0;
        has_[tab_after_text] = has_[tab_after_text] || tab != 0;
        has_[carriage_return] = has_[carriage_return] || cr != 0;
        has_[byte_0] = has_[byte_0] || zero != 0;
        has_[byte_above_127] = has_[byte_above_127] || high != 0;
    }

    // At a newline: the line ends, and the next begins in leading white
    // space.
    void end_of_line()
    {
        end_line(true);
        has_[empty_line] = has_[empty_line] || line_length_ == 0;
        line_length_ = 0;
        blanks_ = 0;
        leading_ = true;
    }

    // A line ends: at its newline, when `followed`, or at the end of the
    // body.
    void end_line(bool followed)
    {
        if (leading_ && line_length_ > 0) {
            has_[white_space_line] = true;
            end_leading(followed);
        }
        has_[long_line] = has_[long_line] || line_length_ > long_line_length;
    }

    // The leading white space ends: before more of the line (or its
    // newline), when `followed`, or at the end of the body.
    void end_leading(bool followed)
    {
        if (!blank_to_tab_ || group_ == 0)
            return;
        has_[blank_group] = has_[blank_group] || blanks_ >= group_;
        has_[partial_group] = has_[partial_group] || (followed && blanks_ % group_ != 0);
    }

    bool blank_to_tab_;
    std::uint64_t group_;  // the width when a blank group can form, else 0
    std::array<bool, feature_count> has_{};
    std::uint64_t bytes_ = 0;
    std::uint64_t line_length_ = 0;  // bytes of the current line so far
    std::uint64_t blanks_ = 0;       // in its leading white space
    bool leading_ = true;            // the next byte stands in its leading white space
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

common::Report report(const pro2::HeaderFacts& header, const pro2::BodyFacts& body,
                      const std::array<bool, feature_count>* has)
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
    if (has != nullptr)
        report.features(features, *has);
    return report;
}

// What --help shows after the options.
const std::string more_help = std::string(R"(Checks, in the order of the input:
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
)") + common::features_help(features) + R"(Exit status: 0 when the case is valid; 1 when it is not (nothing on standard
output), or on a read or write error.
)";

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
        {common::features_option, 0, nullptr, "also report the features the case has (listed below)"},
    },
    R"(  printf 't\n3\n4\n' | pro2-maketest --seed 1765000000 | pro2-validate --strict
  pro2-validate --features case.txt
)",
    more_help.c_str(),
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "pro2-validate";
    const common::Arguments args(usage, argc, argv);
    args.open_file_as_input();
    const bool strict = args.flag("strict");
    const bool with_features = args.flag(common::features_option);
    common::Input in;
    pro2::HeaderFacts header;
    const pro2::HeaderLine line = pro2::read_header_line(in);
    reject(pro2::check_header(line, strict, header));
    pro2::BodyCheck body(header, strict);
    CaseFeatures found(line, header);
    while (in.fill()) {
        reject(body.check(in.data(), in.data() + in.available()));
        if (with_features)
            found.scan(in.data(), in.data() + in.available());
        in.advance(in.available());
    }
    reject(body.finish());
    report(header, body.facts(), with_features ? &found.finish() : nullptr).print();
    return 0;
}
