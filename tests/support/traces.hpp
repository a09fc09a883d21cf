// The pro6 programs' trace lines carry clock readings; tests compare them
// with each reading replaced by "#".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace testing_support {

// `text` with the number that ends each complete line holding ">>> " masked
// as "#", where the number stands after the trace's text and one of the
// characters of `before` (the '=' of "clock()=5", the blank of "complete: 5").
inline std::string masked_readings(std::string_view text, std::string_view before)
{
    std::string result;
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        const std::size_t trace = line.find(">>> ");
        std::size_t number = line.find_last_not_of("0123456789");
        if (number != std::string_view::npos && number + 1 < line.size() && line[number] == '-')
            --number;  // a negative reading's sign belongs to the number
        const bool masked = newline != std::string_view::npos && trace != std::string_view::npos &&
                            number != std::string_view::npos && number + 1 < line.size() &&
                            number >= trace + 4 && before.find(line[number]) != std::string_view::npos;
        if (masked)
            line = line.substr(0, number + 1);
        result += line;
        if (masked)
            result += '#';
        if (newline == std::string_view::npos)
            break;
        result += '\n';
        text.remove_prefix(newline + 1);
    }
    return result;
}

// `text` with every `name` replaced by `by`.
inline std::string replaced(std::string text, std::string_view name, std::string_view by)
{
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + by.size()))
        text.replace(at, name.size(), by);
    return text;
}

}  // namespace testing_support
