// pro3-shrink: the shrink steps of a PRO3 case file
// (common/shrink_steps.hpp). Its items are the cases, seven tokens each,
// in the order of the file: a drop takes whole cases, so every token left
// keeps its place in a case of seven. Its numbers are the values of the
// tokens that hold a number, token by token in the order of the file: a
// p, q, r or n key or an a key, one '=', then a sign and digits (as the
// maker writes every one but s). Other tokens (s, an ignored key, a value
// with other text) are kept as they are and move nothing. A number is set
// as "%d" writes it, and only to a value the format allows: p, q and r
// within signed 32 bits, n within 0..2500000, a term within signed 64 bits,
// and a token of at most 23 characters.
// The file is written one case a line, its tokens separated by single
// blanks, in the layout pro3-maketest writes; the tokens not set are
// written byte for byte as read, so a file in that layout stays in it.
//
// Settings carry over from case to case, and a case that sets no n takes
// the n an earlier case ended with, which was within 0..2500000 there; so
// dropping cases never leaves a case with an n outside it.

#include <charconv>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/shrink_steps.hpp"
#include "pro3/sequence.hpp"

namespace {

constexpr std::size_t tokens_per_case = 7;
constexpr std::size_t longest_token = 23;  // "a1=" and a 20-character 64-bit number

const common::ShrinkHelp help{
    "PRO3",
    "Items: the cases, seven tokens each, in the order of the file; a drop takes\nwhole cases.\n",
    "Numbers: the values of the tokens that hold a number (a p, q, r, n or a key,\n'=', a sign and digits), token "
    "by token in the order of the file; p, q and r\nwithin signed 32 bits, n within 0..2500000, a term within "
    "signed 64 bits.\nEvery other token is kept as it is. The file is written one case a line.\n\n",
};

// What a number token sets, and so the values it may take.
enum class Kind { setting, index, term };

// A token that holds a number: its place among the tokens, the length of
// its key (the text before the '='), what the key sets and the value.
struct NumberToken {
    std::size_t token;
    std::size_t key_length;
    Kind kind;
    std::int64_t value;
};

// Whether text is a sign and digits, read into value when it fits Int.
template <class Int>
bool plain_value(std::string_view text, std::int64_t& value)
{
    const std::size_t sign = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (text.size() == sign)
        return false;
    for (std::size_t i = sign; i < text.size(); ++i)
        if (!common::is_digit(static_cast<unsigned char>(text[i])))
            return false;
    if (text[0] == '+')
        text.remove_prefix(1);
    Int number = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || stop != text.data() + text.size())
        return false;
    value = number;
    return true;
}

// The number a token holds, if it holds one.
bool number_token(std::string_view text, std::size_t token, NumberToken& number)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0)
        return false;
    const std::string_view key = text.substr(0, equals);
    const std::string_view value = text.substr(equals + 1);
    if (value.find('=') != std::string_view::npos)
        return false;
    Kind kind = Kind::setting;
    bool read = false;
    switch (key[0]) {
    case 'p':
    case 'q':
    case 'r': read = plain_value<std::int32_t>(value, number.value); break;
    case 'n':
        kind = Kind::index;
        read = plain_value<std::int32_t>(value, number.value);
        break;
    case 'a':
        kind = Kind::term;
        read = key.size() > 1 && plain_value<std::int64_t>(value, number.value);
        break;
    default: return false;
    }
    number.token = token;
    number.key_length = key.size();
    number.kind = kind;
    return read;
}

class Pro3Case : public common::ShrinkCase {
public:
    // The tokens of the file, seven for each case.
    std::vector<std::string> tokens;

    // Finds the number tokens; again after every drop.
    void find_numbers()
    {
        numbers_.clear();
        NumberToken number{};
        for (std::size_t i = 0; i < tokens.size(); ++i)
            if (number_token(tokens[i], i, number))
                numbers_.push_back(number);
    }

    std::size_t items() const override { return tokens.size() / tokens_per_case; }

    std::string drop(std::size_t from, std::size_t count) override
    {
        const auto first = tokens.begin() + static_cast<std::ptrdiff_t>(from * tokens_per_case);
        tokens.erase(first, first + static_cast<std::ptrdiff_t>(count * tokens_per_case));
        find_numbers();
        return "";
    }

    std::vector<std::int64_t> numbers() const override
    {
        std::vector<std::int64_t> values;
        values.reserve(numbers_.size());
        for (const NumberToken& number : numbers_)
            values.push_back(number.value);
        return values;
    }

    // A token set stays a number token of the same key and kind.
    std::string set(std::size_t index, std::int64_t value) override
    {
        NumberToken& number = numbers_[index];
        std::string& token = tokens[number.token];
        const std::string key = token.substr(0, number.key_length);
        const std::string shown = std::to_string(value);
        if (number.kind == Kind::setting && (value < INT32_MIN || value > INT32_MAX))
            return "the value " + shown + " of " + key + " does not fit in 32 bits";
        if (number.kind == Kind::index && (value < 0 || value > pro3::max_index))
            return "the value " + shown + " of " + key + " is outside 0.." + std::to_string(pro3::max_index);
        if (key.size() + 1 + shown.size() > longest_token)
            return "the token " + key + "=" + shown + " would be longer than " + std::to_string(longest_token) +
                   " characters";
        token = key + "=" + shown;
        number.value = value;
        return "";
    }

    void write(common::Output& out) const override
    {
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            out.write(tokens[i]);
            out.put((i + 1) % tokens_per_case == 0 ? '\n' : ' ');
        }
    }

private:
    std::vector<NumberToken> numbers_;  // in the order of the file
};

std::unique_ptr<common::ShrinkCase> read_case(common::Input& in)
{
    auto shrink_case = std::make_unique<Pro3Case>();
    std::string token;
    while (in.read_token(token))
        shrink_case->tokens.push_back(token);
    const std::size_t left = shrink_case->tokens.size() % tokens_per_case;
    if (left != 0)
        common::fail("the last case has %zu of its 7 tokens", left);
    shrink_case->find_numbers();
    return shrink_case;
}

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "pro3-shrink";
    return common::shrink_steps_main(argc, argv, help, read_case);
}
