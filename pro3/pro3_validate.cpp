// pro3-validate: reads a PRO3 case file and tells whether every case lies
// within the format's limits, as pro3-solve reads it: tokens of at most 23
// characters, a value after the '=' of every used key, a term character
// after "a", values within 32 bits (64 for terms), n within 0..2500000 when
// a case is evaluated, and only whole cases of seven tokens. With --strict
// it also requires the layout pro3-maketest writes. A valid file gets a
// report of what it holds and which limits it reaches, and with --features
// which of the features that show a solution's faults its cases have; the
// first violation ends the run with its place.

#include <array>
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

// The features --features reports, in the order of its table. A case's
// term is term n as pro3-solve works it out when the case's seventh token
// has been read.
enum FeatureIndex {
    radix_2,
    radix_8,
    radix_10,
    radix_16,
    result_7,
    result_8,
    result_9,
    low_bits_7_8_9,
    result_0,
    negative_result,
    negative_in_radix_2,
    n_0,
    start_term_unreduced,
    negative_remainder,
    wrapped_sum,
    setting_carried_over,
    ignored_token,
    key_twice,
    case_over_lines,
    cases_sharing_line,
    extra_equals,
    value_with_other_text,
    feature_count
};
constexpr common::Feature features[] = {
    {"radix 2", "a case's term printed as a number in base 2"},
    {"radix 8", "a case's term printed as a number in base 8"},
    {"radix 10", "a case's term printed as a number in base 10"},
    {"radix 16", "a case's term printed as a number in base 16"},
    {"result 7", "a case's term is 7, printed as a sentence"},
    {"result 8", "a case's term is 8, printed as a sentence"},
    {"result 9", "a case's term is 9, printed as a sentence"},
    {"7, 8 or 9 in the low 32 bits",
     "a case's term is not 7, 8 or 9 but its low 32 bits are (it prints as a number)"},
    {"result 0", "a case's term is 0, printed as a number"},
    {"negative result", "a case's term is below 0"},
    {"negative in radix 2", "a case's term is below 0 and printed in base 2 (its low 63 bits)"},
    {"n = 0", "a case asks for term 0"},
    {"start term unreduced",
     "a case with n of 2 or less prints a term outside -8247596324..8247596324, as stored"},
    {"negative remainder", "a step's sum is below 0 and no multiple of 8247596325: its remainder is below 0"},
    {"64-bit wrap", "a step's sum lies outside signed 64 bits and wraps"},
    {"setting carried over",
     "a case's answer uses a setting (p, q, r, n, a term or the radix) that an earlier case set and it does not"},
    {"ignored token", "a token whose first character is not p, q, r, n, a or s (it counts toward its case)"},
    {"key twice in a case", "a case gives a key twice (the later value counts)"},
    {"case over several lines", "the seven tokens of a case stand on two or more lines"},
    {"cases sharing a line", "a line holds tokens of two or more cases"},
    {"more than one '='", "a token of a used key holds a second '=' (skipped, or ending its value)"},
    {"value with other text",
     "a value of p, q, r, n or an a key that is not just a sign and digits (read up to its first other character)"},
};
static_assert(std::size(features) == feature_count);

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

// Whether a value is just an optional sign and digits.
bool plain_number(std::string_view value)
{
    if (!value.empty() && (value[0] == '+' || value[0] == '-'))
        value.remove_prefix(1);
    if (value.empty())
        return false;
    for (const char c : value)
        if (!common::is_digit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// The settings pro3-solve keeps from case to case that an answer can use,
// and which of them the current case and the cases before it have set.
enum SettingIndex { set_p, set_q, set_r, set_n, set_term_0, set_term_1, set_term_2, set_radix, setting_count };
struct Settings {
    pro3::Recurrence rec;
    std::int64_t terms[3] = {};  // terms 0, 1 and 2; the others never reach an answer
    int radix = 0;               // none until an s value picks one
    std::array<bool, setting_count> set_in_case{};
    std::array<bool, setting_count> set_before{};
};

// The radix each first letter of an s value picks.
struct RadixLetter {
    char letter;
    int radix;
    FeatureIndex feature;
};
constexpr RadixLetter radix_letters[] = {{'b', 2, radix_2}, {'o', 8, radix_8}, {'d', 10, radix_10}, {'h', 16, radix_16}};

// The keys a case can give twice: p, q, r, n and s by their place in
// used_keys, an a key by the code of its term character (48..127).
constexpr std::size_t key_slots = 6 + 80;

class Validation {
public:
    Validation(bool strict, bool features) : strict_(strict), features_(features) {}

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
        if (features_)
            note_line(tokens.place().line);
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

    // The features of the cases so far.
    const std::array<bool, feature_count>& features_found() const { return has_; }

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
        if (used_keys.find(key) == std::string_view::npos) {
            has_[ignored_token] = true;
            return;
        }
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
        if (features_)
            note_key(text, value);

        switch (key) {
        case 'p':
            settings_.rec.p = setting(tokens, value, "p");
            tally_.p.see(settings_.rec.p);
            set(set_p);
            break;
        case 'q':
            settings_.rec.q = setting(tokens, value, "q");
            tally_.q.see(settings_.rec.q);
            set(set_q);
            break;
        case 'r':
            settings_.rec.r = setting(tokens, value, "r");
            tally_.r.see(settings_.rec.r);
            set(set_r);
            break;
        case 'n':
            n_ = setting(tokens, value, "n");
            n_token_ = text;
            n_place_ = at;
            case_sets_n_ = true;
            set(set_n);
            break;
        case 'a': term(tokens, value); break;
        default:  // s: a value of another first letter keeps the radix before
            for (const RadixLetter& letter : radix_letters) {
                if (value[0] == letter.letter) {
                    settings_.radix = letter.radix;
                    set(set_radix);
                }
            }
            break;
        }
    }

    void set(SettingIndex setting) { settings_.set_in_case[setting] = true; }

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
        const char digit = tokens.text()[1];
        if (digit == '1')
            tally_.a1.see(number);
        else if (digit == '2')
            tally_.a2.see(number);
        if (digit >= '0' && digit <= '2') {
            settings_.terms[digit - '0'] = number;
            set(static_cast<SettingIndex>(set_term_0 + (digit - '0')));
        }
    }

    // The features of the lines a case's tokens stand on: a token on
    // another line than its case's first, a case's first token on the line
    // of the case before.
    void note_line(std::int64_t line)
    {
        if (case_tokens_ == 0) {
            has_[cases_sharing_line] = has_[cases_sharing_line] || (tally_.tokens > 0 && line == last_line_);
            case_line_ = line;
        }
        has_[case_over_lines] = has_[case_over_lines] || line != case_line_;
        last_line_ = line;
    }

    // The features of a token of a used key, with its value (not empty).
    void note_key(std::string_view text, std::string_view value)
    {
        const std::size_t slot =
            text[0] == 'a' ? 6 + static_cast<std::size_t>(static_cast<unsigned char>(text[1]) - 48) : used_keys.find(text[0]);
        has_[key_twice] = has_[key_twice] || keys_in_case_[slot];
        keys_in_case_[slot] = true;
        has_[extra_equals] = has_[extra_equals] || text.find('=', text.find('=') + 1) != std::string_view::npos;
        if (text[0] != 's')
            has_[value_with_other_text] = has_[value_with_other_text] || !plain_number(value);
    }

    // The features of a case as pro3-solve answers it, at its seventh
    // token: its term, how the term prints, what the steps to it met, and
    // which settings it takes from the cases before.
    void note_case()
    {
        const std::int32_t n = n_;
        std::array<bool, setting_count> used{};
        used[set_n] = true;
        std::int64_t term = 0;
        if (n <= 2) {
            term = settings_.terms[n];
            used[set_term_0 + n] = true;
            has_[n_0] = has_[n_0] || n == 0;
            has_[start_term_unreduced] = has_[start_term_unreduced] || term >= pro3::modulus || term <= -pro3::modulus;
        } else {
            for (const SettingIndex setting : {set_p, set_q, set_r, set_term_1, set_term_2})
                used[setting] = true;
            // Once both step facts are known, the plain evaluation will do.
            if (has_[negative_remainder] && has_[wrapped_sum]) {
                term = pro3::term(settings_.rec, settings_.terms[1], settings_.terms[2], n);
            } else {
                pro3::StepFacts facts;
                term = pro3::term_noting(settings_.rec, settings_.terms[1], settings_.terms[2], n, facts);
                has_[negative_remainder] = has_[negative_remainder] || facts.negative_remainder;
                has_[wrapped_sum] = has_[wrapped_sum] || facts.wrapped;
            }
        }
        if (term >= 7 && term <= 9) {
            has_[result_7 + (term - 7)] = true;
        } else {
            used[set_radix] = true;
            for (const RadixLetter& letter : radix_letters)
                has_[letter.feature] = has_[letter.feature] || settings_.radix == letter.radix;
            const auto low_bits = static_cast<std::uint32_t>(term);
            has_[low_bits_7_8_9] = has_[low_bits_7_8_9] || (low_bits >= 7 && low_bits <= 9);
            has_[result_0] = has_[result_0] || term == 0;
            has_[negative_in_radix_2] = has_[negative_in_radix_2] || (term < 0 && settings_.radix == 2);
        }
        has_[negative_result] = has_[negative_result] || term < 0;
        for (int setting = 0; setting < setting_count; ++setting)
            has_[setting_carried_over] = has_[setting_carried_over] ||
                                         (used[setting] && !settings_.set_in_case[setting] && settings_.set_before[setting]);
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
        if (features_)
            note_case();
        for (int setting = 0; setting < setting_count; ++setting) {
            settings_.set_before[setting] = settings_.set_before[setting] || settings_.set_in_case[setting];
            settings_.set_in_case[setting] = false;
        }
        keys_in_case_ = {};
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
    bool features_;
    Tally tally_;
    Settings settings_;  // as pro3-solve holds them, n apart
    std::array<bool, feature_count> has_{};
    std::array<bool, key_slots> keys_in_case_{};
    std::int64_t case_line_ = 0;  // the line of the current case's first token
    std::int64_t last_line_ = 0;  // the line of the token before
    std::int32_t n_ = 0;  // kept from case to case, as the solver keeps it
    int case_tokens_ = 0;  // tokens of the current case so far
    std::string first_token_;
    common::Place first_place_;
    bool case_sets_n_ = false;
    std::string n_token_;
    common::Place n_place_;
    bool keys_met_[std::size(case_keys)] = {};
};

common::Report report(const Tally& tally, std::uint64_t lines, const std::array<bool, feature_count>* has)
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
    if (has != nullptr)
        report.features(features, *has);
    return report;
}

// What --help shows after the options.
const std::string more_help = std::string(R"(Checks, in the order of the input:
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
)") + common::features_help(features) + R"(Exit status: 0 when the file is valid; 1 when it is not (nothing on standard
output), or on a read or write error.
)";

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
        {common::features_option, 0, nullptr, "also report the features the cases have (listed below)"},
    },
    R"(  printf '3\n4\n' | pro3-maketest --seed 1765000000 | pro3-validate --strict
  pro3-validate --features cases.txt
)",
    more_help.c_str(),
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "pro3-validate";
    const common::Arguments args(usage, argc, argv);
    args.open_file_as_input();
    common::Input in;
    pro3::CaseTokens tokens(in);
    const bool features = args.flag(common::features_option);
    Validation validation(args.flag("strict"), features);
    while (tokens.next())
        validation.token(tokens);
    validation.end(tokens);
    report(validation.tally(), tokens.lines(), features ? &validation.features_found() : nullptr).print();
    return 0;
}
