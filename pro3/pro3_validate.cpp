// pro3-validate: reads a PRO3 case file and tells whether every case lies
// within the format's limits, as pro3-solve reads it: tokens of at most 23
// characters, a value after the '=' of every used key, a term character
// after "a", values within 32 bits (64 for terms), n within 0..2500000 when
// a case is evaluated, and only whole cases of seven tokens. With --strict
// it also requires the layout pro3-maketest writes. A valid file gets a
// report of what it holds and which limits it reaches; the first violation
// ends the run with its place.

#include <charconv>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

#include "common/command_line.hpp"
#include "common/input.hpp"
#include "common/validation.hpp"
#include "pro3/case_tokens.hpp"
#include "pro3/sequence.hpp"

namespace {

constexpr int tokens_per_case = 7;
constexpr std::uint64_t longest_token = 23;  // "a1=" and a 20-character 64-bit number

// The first characters of the keys pro3-solve uses; a token beginning with
// any other character only counts toward its case.
constexpr std::string_view used_keys = "pqrnas";

// The keys of the maker's cases, each once in every case (--strict).
constexpr std::string_view case_keys[] = {"p", "q", "r", "a1", "a2", "n", "s"};

// The radix words the maker writes (--strict).
constexpr std::string_view radix_words[] = {"bin", "oct", "dec", "hex"};

// The maker's size classes, told apart by a case's n; stages 3 and 4 differ
// only in their radix.
struct Stage {
    const char* name;
    std::int32_t lowest;
    std::int32_t highest;
};
constexpr Stage stages[] = {
    {"stage 1", 1, 25},
    {"stage 2", 24'553, 25'000},
    {"stage 3 or 4", 2'499'901, 2'500'000},
};

// What the report tells of a valid file.
struct Tally {
    std::uint64_t tokens = 0;
    std::uint64_t cases = 0;
    std::uint64_t stage_cases[std::size(stages) + 1] = {};  // the last: cases of no stage
    common::Extremes n, p, q, r, a1, a2, token_length;
};

// The leading integer of a value as atoi (32 bits) or sscanf (64 bits)
// reads it: an optional sign, then digits.
template <class Int>
std::errc leading_integer(std::string_view text, Int& value)
{
    if (text.size() > 1 && text[0] == '+' && common::is_digit(static_cast<unsigned char>(text[1])))
        text.remove_prefix(1);
    return std::from_chars(text.data(), text.data() + text.size(), value).ec;
}

// Whether text is a number as "%d" writes it: an optional minus sign and
// digits, without leading zeros, and no "-0".
bool canonical(std::string_view text)
{
    if (!text.empty() && text[0] == '-') {
        text.remove_prefix(1);
        if (text == "0")
            return false;
    }
    if (text.empty() || (text[0] == '0' && text.size() > 1))
        return false;
    for (const char c : text)
        if (!common::is_digit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// "above 2147483647" or "below -2147483648" for a value of type Int that
// did not fit.
template <class Int>
std::string outside(std::string_view value)
{
    return value[0] == '-' ? "below " + std::to_string(std::numeric_limits<Int>::min())
                           : "above " + std::to_string(std::numeric_limits<Int>::max());
}

class Validation {
public:
    explicit Validation(bool strict) : strict_(strict) {}

    // Checks one token in the order of the input: the white space before
    // it (--strict), the token by the format's limits, its key and value
    // (--strict), and, for a case's seventh token, the case's n.
    void token(const pro3::CaseTokens& tokens)
    {
        if (strict_)
            check_separator(tokens);
        check_limits(tokens);
        if (strict_)
            check_maker_token(tokens);
        if (case_tokens_ == 0) {
            first_token_ = tokens.text();
            first_place_ = tokens.place();
        }
        ++tally_.tokens;
        if (++case_tokens_ == tokens_per_case)
            end_case(tokens);
    }

    // Checks the end of the input: no case left incomplete, and (--strict)
    // the white space before the end.
    void end(const pro3::CaseTokens& tokens) const
    {
        if (case_tokens_ != 0)
            common::invalid(first_place_,
                            "the last case has " + std::to_string(case_tokens_) + " of its 7 tokens before the input ends",
                            first_token_);
        if (!strict_)
            return;
        if (tally_.tokens == 0) {
            if (tokens.gap_length() != 0)
                common::invalid(tokens.gap_place(), "white space without any case (a file of no cases is empty)",
                                tokens.gap());
        } else if (tokens.gap_length() == 0) {
            common::invalid(tokens.place(), "the last line does not end with a newline", "");
        } else {
            check_line_break(tokens);
        }
    }

    const Tally& tally() const { return tally_; }

private:
    // The maker's layout: one case a line, its tokens separated by single
    // blanks, a newline alone between two lines.
    void check_separator(const pro3::CaseTokens& tokens) const
    {
        const std::string_view gap = tokens.gap();
        if (tally_.tokens == 0) {
            if (tokens.gap_length() != 0)
                common::invalid(tokens.gap_place(),
                                gap.find('\n') != std::string_view::npos ? "the input begins with an empty line"
                                                                         : "the input begins with white space",
                                gap);
        } else if (case_tokens_ == 0) {
            if (gap.find('\n') == std::string_view::npos)
                common::invalid(tokens.gap_place(), "a line holds one case: a newline follows its seventh token", gap);
            check_line_break(tokens);
        } else if (tokens.gap_length() != 1 || gap[0] != ' ') {
            common::invalid(tokens.gap_place(),
                            gap.find('\n') != std::string_view::npos ? "the seven tokens of a case stand on one line"
                                                                     : "the tokens of a case are separated by one blank",
                            gap);
        }
    }

    // A newline alone, with no white space before it, behind it or on a
    // line of its own.
    static void check_line_break(const pro3::CaseTokens& tokens)
    {
        const std::string_view gap = tokens.gap();
        if (gap[0] != '\n')
            common::invalid(tokens.gap_place(), "white space at the end of a line", gap);
        if (tokens.gap_length() != 1)
            common::invalid({tokens.gap_place().line + 1, 1},
                            gap[1] == '\n' ? "an empty line" : "white space at the start of a line", gap.substr(1));
    }

    // The limits of the format, for every token.
    void check_limits(const pro3::CaseTokens& tokens)
    {
        const std::string_view text = tokens.text();
        const common::Place at = tokens.place();
        if (tokens.length() > longest_token)
            common::invalid(at, "the token has " + std::to_string(tokens.length()) + " characters, more than 23", text);
        tally_.token_length.see(static_cast<std::int64_t>(tokens.length()));
        const char key = text[0];
        if (used_keys.find(key) == std::string_view::npos)
            return;
        if (key == 'a' && (text.size() < 2 || text[1] == '=' || static_cast<unsigned char>(text[1]) < 48 ||
                           static_cast<unsigned char>(text[1]) > 127))
            common::invalid(at, "an a key needs a character of code 48..127 between the a and its '='", text);
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos)
            common::invalid(at, std::string("the key ") + key + " has no '=' after it", text);
        // The value: after the first '=' and any right behind it, up to the next '='.
        const std::size_t start = text.find_first_not_of('=', equals);
        if (start == std::string_view::npos)
            common::invalid(at, std::string("the key ") + key + " has no value after its '='", text);
        const std::string_view value = text.substr(start, text.find('=', start) - start);

        switch (key) {
        case 'p': tally_.p.see(setting(tokens, value, "p")); break;
        case 'q': tally_.q.see(setting(tokens, value, "q")); break;
        case 'r': tally_.r.see(setting(tokens, value, "r")); break;
        case 'n':
            n_ = setting(tokens, value, "n");
            n_token_ = text;
            n_place_ = at;
            case_sets_n_ = true;
            break;
        case 'a': term(tokens, value); break;
        default: break;  // s: any value picks a radix or keeps the one before
        }
    }

    // A value of p, q, r or n: 0 without digits, and within 32 bits.
    static std::int32_t setting(const pro3::CaseTokens& tokens, std::string_view value, const char* name)
    {
        std::int32_t number = 0;
        if (leading_integer(value, number) == std::errc::result_out_of_range)
            common::invalid(tokens.place(), std::string("the value of ") + name + " is " + outside<std::int32_t>(value),
                            tokens.text());
        return number;
    }

    // A value of an a key: within 64 bits; without a number it leaves the
    // term as it was.
    void term(const pro3::CaseTokens& tokens, std::string_view value)
    {
        std::int64_t number = 0;
        const std::errc error = leading_integer(value, number);
        if (error == std::errc::result_out_of_range)
            common::invalid(tokens.place(), "the value of an a key is " + outside<std::int64_t>(value), tokens.text());
        if (error != std::errc())
            return;
        if (tokens.text()[1] == '1')
            tally_.a1.see(number);
        else if (tokens.text()[1] == '2')
            tally_.a2.see(number);
    }

    // The maker's tokens: each of its seven keys once in a case, values
    // as "%d" writes them, a radix word for s. Every one of the seven keys
    // is a used key, so it has passed with its '=' and a value.
    void check_maker_token(const pro3::CaseTokens& tokens)
    {
        const std::string_view text = tokens.text();
        const std::size_t equals = text.find('=');
        const std::string_view key = text.substr(0, equals);
        std::size_t k = 0;
        while (k < std::size(case_keys) && case_keys[k] != key)
            ++k;
        if (k == std::size(case_keys))
            common::invalid(tokens.place(), "the key is not one of p, q, r, a1, a2, n and s", text);
        if (keys_met_[k])
            common::invalid(tokens.place(), "the key " + std::string(key) + " stands twice in one case", text);
        keys_met_[k] = true;
        const std::string_view value = text.substr(equals + 1);
        if (key == "s") {
            bool known = false;
            for (const std::string_view word : radix_words)
                known = known || value == word;
            if (!known)
                common::invalid(tokens.place(), "the value of s is not bin, oct, dec or hex", text);
        } else if (!canonical(value)) {
            common::invalid(tokens.place(), "the value of " + std::string(key) + " is not a number as \"%d\" writes it",
                            text);
        }
    }

    // A case is evaluated at its seventh token, with the n it then has; a
    // fault is shown at the n token of the case that set it, or else at
    // the seventh token. (An n kept from an earlier case passed there, so
    // in practice it is always the n token.)
    void end_case(const pro3::CaseTokens& seventh)
    {
        if (n_ < 0 || n_ > pro3::max_index)
            common::invalid(case_sets_n_ ? n_place_ : seventh.place(),
                            "the n of case " + std::to_string(tally_.cases + 1) + " is " +
                                (n_ < 0 ? "below 0" : "above " + std::to_string(pro3::max_index)),
                            case_sets_n_ ? std::string_view(n_token_) : seventh.text());
        ++tally_.cases;
        tally_.n.see(n_);
        std::size_t stage = 0;
        while (stage < std::size(stages) && (n_ < stages[stage].lowest || n_ > stages[stage].highest))
            ++stage;
        ++tally_.stage_cases[stage];
        case_tokens_ = 0;
        case_sets_n_ = false;
        for (bool& met : keys_met_)
            met = false;
    }

    bool strict_;
    Tally tally_;
    std::int32_t n_ = 0;  // kept from case to case, as the solver keeps it
    int case_tokens_ = 0;  // tokens of the current case so far
    std::string first_token_;
    common::Place first_place_;
    bool case_sets_n_ = false;
    std::string n_token_;
    common::Place n_place_;
    bool keys_met_[std::size(case_keys)] = {};
};

common::Report report(const Tally& tally, std::uint64_t lines)
{
    common::Report report;
    report.fact("cases", std::to_string(tally.cases));
    report.fact("tokens", std::to_string(tally.tokens));
    report.fact("lines", std::to_string(lines));
    for (std::size_t stage = 0; stage < std::size(stages); ++stage)
        report.fact(std::string("cases of ") + stages[stage].name + " (n " + std::to_string(stages[stage].lowest) +
                        ".." + std::to_string(stages[stage].highest) + ")",
                    std::to_string(tally.stage_cases[stage]));
    report.fact("cases of no stage", std::to_string(tally.stage_cases[std::size(stages)]));
    constexpr std::int64_t int32_min = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t int32_max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t int64_min = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t int64_max = std::numeric_limits<std::int64_t>::max();
    report.bound("n", tally.n, 0, pro3::max_index);
    report.bound("p", tally.p, int32_min, int32_max);
    report.bound("q", tally.q, int32_min, int32_max);
    report.bound("r", tally.r, int32_min, int32_max);
    report.bound("a1", tally.a1, int64_min, int64_max);
    report.bound("a2", tally.a2, int64_min, int64_max);
    report.bound("token length", tally.token_length, 1, longest_token);
    return report;
}

// What --help shows; FILE stands in for standard input.
const common::Usage usage{
    "[FILE]",
    R"(Reads a PRO3 case file from FILE (standard input when FILE is missing or -) and
checks that every case lies within the format's limits. A valid file gets a
report on standard output: its cases, tokens and lines, how many cases fall in
each of the maker's stages, and for n, p, q, r, a1, a2 and the token length the
smallest and largest value met beside the limits, with the limits reached.
The first violation gets one line on standard error: its line and column, what
is wrong, and the token found there.
)",
    {
        {"strict", 0, nullptr, "also require the layout pro3-maketest writes"},
    },
    R"(  printf '3\n4\n' | pro3-maketest --seed 1765000000 | pro3-validate --strict
)",
    R"(Checks, in the order of the input:
  - a token has at most 23 characters;
  - a token whose key is used (first character p, q, r, n, a or s) has an '='
    and, after it and any '=' right behind it, a value;
  - after an a comes a character of code 48..127 before the '=' ("a=5" and "a"
    alone are outside the format);
  - values of p, q, r and n, read as atoi reads them, fit signed 32 bits (a
    value without digits is 0); values of a keys fit signed 64 bits (a value
    without a number leaves the term as it was);
  - n, kept from case to case and 0 at the start, lies in 0..2500000 when each
    case ends (shown at the n token that set it);
  - the tokens make whole cases of seven (an incomplete last case is shown at
    its first token).
Tokens with any other first character are allowed and count toward their case.
With --strict, also the maker's layout: one case of seven tokens a line, the
keys p, q, r, a1, a2, n and s each once in any order, separated by single
blanks, a newline after each line and nowhere else, no other white space;
values as "%d" writes them; s one of bin, oct, dec and hex. An empty file is a
valid file of no cases.
Exit status: 0 when the file is valid; 1 when it is not (nothing on standard
output), or on a read or write error.
)",
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "pro3-validate";
    const common::Arguments args(usage, argc, argv);
    args.open_file_as_input();
    common::Input in;
    pro3::CaseTokens tokens(in);
    Validation validation(args.flag("strict"));
    while (tokens.next())
        validation.token(tokens);
    validation.end(tokens);
    report(validation.tally(), tokens.lines()).print();
    return 0;
}
