// pro2-shrink: the shrink steps of a PRO2 case (common/shrink_steps.hpp).
// Its items are the bytes of the body, in order: dropping chunks of them,
// from half the body down to single bytes, drops whole lines as well as
// characters within a line, so a case shrinks to the few bytes that
// matter. When the body ends with a newline, that newline is no item: it
// stays while any byte stays, so a body cut anywhere still ends with a
// newline, and it goes with the last one, which leaves an empty body. The
// header line is kept as it is. Its one number is the width of the
// copying modes, when its token holds one (a count-only header has none):
// set, the width's sign and digits are written as "%d" writes them, the
// rest of the header left alone.
// Every case written is checked with pro2-validate's own checks, and with
// its --strict checks when the case read passes them: a step that would
// give a header over 31 characters, a width beyond 32 bits (or, for a
// maker's header, beyond the makers' range) or more written by
// tab-to-blank than its counters hold (a drop can turn tabs after text
// into leading ones) is refused with the check that fails. The body is
// read in blocks and held whole.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/shrink_steps.hpp"
#include "common/validation.hpp"
#include "pro2/case_check.hpp"

namespace {

const common::ShrinkHelp help{
    "PRO2",
    "Items: the bytes of the body, in order, but for the newline that ends it,\nwhich stays while any byte stays; "
    "the header line is kept.\n",
    "Numbers: the width of a tab-to-blank or blank-to-tab header, when its token\nholds a number; none for count "
    "only. The case written must pass the checks\nof pro2-validate, and those of pro2-validate --strict when the "
    "case read does.\n\n",
};

// The first check of pro2-validate that a body fails with a header, if any.
// The body goes through in blocks as pro2-validate reads it, so that a
// fault is looked for byte by byte in its block only.
std::optional<pro2::Violation> check_body(const pro2::HeaderFacts& header, bool strict, std::string_view body)
{
    constexpr std::size_t block = std::size_t{1} << 18;
    pro2::BodyCheck check(header, strict);
    for (std::size_t at = 0; at < body.size(); at += block) {
        const char* const begin = body.data() + at;
        if (std::optional<pro2::Violation> fault = check.check(begin, begin + std::min(block, body.size() - at)))
            return fault;
    }
    return check.finish();
}

// Why a step is refused: the check the case it would give fails.
std::string refusal(const pro2::Violation& fault, bool strict)
{
    return std::string("the case would not pass pro2-validate") + (strict ? " --strict" : "") + ": line " +
           std::to_string(fault.at.line) + ", column " + std::to_string(fault.at.column) + ": " + fault.what;
}

class Pro2Case : public common::ShrinkCase {
public:
    pro2::HeaderLine line;
    pro2::HeaderFacts header;
    std::string body;
    bool strict = false;               // the case passes the --strict checks
    std::size_t number_at = 0;         // where the width's sign and digits stand in the header
    std::size_t number_length = 0;     // 0: the header holds no width to move

    // Whether the body's final newline stands apart from the items.
    bool ends_with_newline() const { return !body.empty() && body.back() == '\n'; }

    std::size_t items() const override { return body.size() - (ends_with_newline() ? 1 : 0); }

    std::string drop(std::size_t from, std::size_t count) override
    {
        const bool newline_kept = ends_with_newline();
        body.erase(from, count);
        if (newline_kept && body.size() == 1)
            body.clear();
        if (const std::optional<pro2::Violation> fault = check_body(header, strict, body))
            return refusal(*fault, strict);
        return "";
    }

    std::vector<std::int64_t> numbers() const override
    {
        if (number_length == 0)
            return {};
        return {header.width};
    }

    std::string set(std::size_t, std::int64_t value) override
    {
        if (value < INT32_MIN || value > INT32_MAX)
            return "the width " + std::to_string(value) + " does not fit in 32 bits";
        const std::string digits = std::to_string(value);
        pro2::HeaderLine changed = line;
        changed.text.replace(number_at, number_length, digits);
        changed.length = changed.text.size();
        pro2::HeaderFacts facts;
        if (const std::optional<pro2::Violation> fault = pro2::check_header(changed, strict, facts))
            return refusal(*fault, strict);
        if (const std::optional<pro2::Violation> fault = check_body(facts, strict, body))
            return refusal(*fault, strict);
        line = std::move(changed);
        header = facts;
        number_length = digits.size();
        return "";
    }

    void write(common::Output& out) const override
    {
        out.write(line.text);
        if (line.has_newline)
            out.put('\n');
        out.write(body);
    }
};

// Where the sign and digits of the width stand in a copying mode's header,
// found as pro2::check_header reads them: the second blank-separated token,
// after any other white space. Sets nothing when they hold no digit.
void find_width(Pro2Case& shrink_case)
{
    const std::string_view text = shrink_case.line.text;
    if (shrink_case.header.mode == pro2::Mode::count_only || !shrink_case.header.width_is_number)
        return;
    std::size_t at = text.find_first_not_of(' ', text.find(' '));
    while (at < text.size() && text[at] != ' ' && common::is_space(static_cast<unsigned char>(text[at])))
        ++at;
    std::size_t end = at;
    if (end < text.size() && (text[end] == '+' || text[end] == '-'))
        ++end;
    while (end < text.size() && common::is_digit(static_cast<unsigned char>(text[end])))
        ++end;
    shrink_case.number_at = at;
    shrink_case.number_length = end - at;
}

std::unique_ptr<common::ShrinkCase> read_case(common::Input& in)
{
    auto shrink_case = std::make_unique<Pro2Case>();
    shrink_case->line = pro2::read_header_line(in);
    if (const std::optional<pro2::Violation> fault = pro2::check_header(shrink_case->line, false, shrink_case->header))
        common::invalid(fault->at, fault->what, fault->found);
    while (in.fill()) {
        shrink_case->body.append(in.data(), in.available());
        in.advance(in.available());
    }
    pro2::HeaderFacts strict_header;
    shrink_case->strict = !pro2::check_header(shrink_case->line, true, strict_header) &&
                          !check_body(shrink_case->header, true, shrink_case->body);
    if (!shrink_case->strict) {
        if (const std::optional<pro2::Violation> fault = check_body(shrink_case->header, false, shrink_case->body))
            common::invalid(fault->at, fault->what, fault->found);
    }
    find_width(*shrink_case);
    return shrink_case;
}

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "pro2-shrink";
    return common::shrink_steps_main(argc, argv, help, read_case);
}
