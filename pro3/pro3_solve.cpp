// pro3-solve: reads PRO3 cases (seven key=value tokens each) from standard
// input and prints term n of each case's recurrence in the case's radix, or
// one of three fixed sentences.

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

#include "common/command_line.hpp"
#include "common/fail.hpp"
#include "common/input.hpp"
#include "common/output.hpp"
#include "pro3/sequence.hpp"

namespace {

constexpr int tokens_per_case = 7;

#ifdef FUZZING
// Fuzzing builds take smaller indices, so that the many stepwise cases a
// short input can hold still end within the fuzzer's timeout.
constexpr std::int32_t largest_index = 25'000;
#else
constexpr std::int32_t largest_index = pro3::max_index;
#endif

// Terms an `a` key can set: the character after the `a`, codes 48..127.
constexpr int settable_terms = 80;

// Results that print as a sentence instead of a number.
struct Sentence {
    std::int64_t result;
    std::string_view text;
};
constexpr Sentence sentences[] = {
    {8, "This is a transitive verb.\n"},
    {9, "This number has been deleted.\n"},
    {7, "This is a bad number.\n"},
};

// The radix each first letter of an `s` value selects.
struct RadixName {
    char letter;
    int radix;
};
constexpr RadixName radix_names[] = {{'b', 2}, {'o', 8}, {'d', 10}, {'h', 16}};

// Everything a case can set; kept from case to case, never reset.
struct Settings {
    pro3::Recurrence rec;
    std::int32_t n = 0;
    int radix = 10;
    std::int64_t terms[settable_terms] = {};
};

// How a token is quoted in messages: its first characters only.
constexpr int quoted_length = 40;

[[noreturn]] void bad_token(const std::string& token, const char* what)
{
    common::fail("token \"%.*s\": %s", quoted_length, token.c_str(), what);
}

// The leading integer of text as atoi reads it: a value without digits is 0.
std::int32_t int_value(const std::string& token, std::string_view text)
{
    if (text.size() > 1 && text[0] == '+' && common::is_digit(static_cast<unsigned char>(text[1])))
        text.remove_prefix(1);
    std::int32_t value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc::result_out_of_range)
        bad_token(token, "value outside the signed 32-bit range");
    return value;
}

// Sets term `index` to the leading 64-bit integer of text; without one the
// term keeps its value.
void set_term(Settings& settings, int index, const std::string& token, std::string_view text)
{
    if (text.size() > 1 && text[0] == '+' && common::is_digit(static_cast<unsigned char>(text[1])))
        text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range)
        bad_token(token, "value outside the signed 64-bit range");
    if (error == std::errc())
        settings.terms[index] = value;
}

// Applies one token to the settings. The key is the token's first
// character; the value runs from after the first '=' (and any '=' right
// behind it) up to the next '=' or the end of the token.
void apply_token(Settings& settings, const std::string& token)
{
    const char key = token[0];
    if (key != 'p' && key != 'q' && key != 'r' && key != 'n' && key != 'a' && key != 's')
        return;
    const std::size_t equals = token.find('=');
    if (equals == std::string::npos)
        bad_token(token, "no '=' after the key");
    const std::size_t start = token.find_first_not_of('=', equals);
    if (start == std::string::npos)
        bad_token(token, "no value after '='");
    const std::string_view value = std::string_view(token).substr(start, token.find('=', start) - start);

    switch (key) {
    case 'p': settings.rec.p = int_value(token, value); break;
    case 'q': settings.rec.q = int_value(token, value); break;
    case 'r': settings.rec.r = int_value(token, value); break;
    case 'n': settings.n = int_value(token, value); break;
    case 'a': {
        const int code = equals > 1 ? static_cast<unsigned char>(token[1]) : -1;
        if (code < 48 || code > 127)
            bad_token(token, "no term digit after 'a'");
        set_term(settings, code - 48, token, value);
        break;
    }
    case 's':
        for (const RadixName& name : radix_names)
            if (value[0] == name.letter)
                settings.radix = name.radix;
        break;
    }
}

std::int64_t evaluate(const Settings& settings, long case_number)
{
    const std::int32_t n = settings.n;
    if (n < 0 || n > largest_index)
        common::fail("case %ld: n = %d is outside 0..%d", case_number, n, largest_index);
    if (n <= 2)
        return settings.terms[n];
#ifdef STEPWISE_ONLY  // the bench's reference build
    return pro3::term_stepwise(settings.rec, settings.terms[1], settings.terms[2], n);
#else
    return pro3::term(settings.rec, settings.terms[1], settings.terms[2], n);
#endif
}

void print_result(common::Output& out, std::int64_t result, int radix)
{
    for (const Sentence& sentence : sentences) {
        if (result == sentence.result) {
            out.write(sentence.text);
            return;
        }
    }
    const auto bits = static_cast<std::uint64_t>(result);
    switch (radix) {
    case 10: out.number(result); break;
    case 8: out.number(bits, 8); break;
    case 16: out.number(bits, 16); break;
    default: out.number(bits & INT64_MAX, 2); break;  // bits 62..0; the sign bit is never printed
    }
    out.put('\n');
}

// What --help shows; FILE stands in for standard input.
const common::Usage usage{
    "[FILE]",
    R"(Reads PRO3 cases from FILE (standard input when FILE is missing or -): tokens
key=value separated by white space, every seven tokens one case. p, q and r set
the recurrence a(k) = (p*a(k-1) + q*a(k-2) + r) mod 8247596325, a1 and a2 the
start terms, n the term asked for, s the radix (bin, oct, dec, hex). Settings
carry over from case to case. Prints one line per case: term n in the radix, or
a sentence for the results 7, 8 and 9. An incomplete last case is dropped.
Exit status: 0 when the input ends; 1 when a token lies outside the format's
limits (its message on standard error), or on a read or write error.
)",
    {},
    R"(  printf 'p=1 q=1 r=0 a1=1 a2=1 n=10 s=dec\n' | pro3-solve
)",
};

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "pro3-solve";
    const common::Arguments args(usage, argc, argv);
    args.open_file_as_input();
    common::Input in;
    common::Output out;
    Settings settings;
    std::string token;
    int tokens = 0;
    long cases = 0;
    while (in.read_token(token)) {
        apply_token(settings, token);
        if (++tokens == tokens_per_case) {
            tokens = 0;
            ++cases;
            print_result(out, evaluate(settings, cases), settings.radix);
        }
    }
    out.flush();
    return 0;
}
