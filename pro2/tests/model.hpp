// A small model of pro2-solve for the tests, written straight from the
// rules: the whole input in a string, the header split with a loop and its
// width read by sscanf, then one character at a time through a counting
// reader and a counting writer and the two tables.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace model {

struct Counter {
    long long lines = 0, blanks = 0, characters = 0;
    void add(unsigned char c)
    {
        lines += c == '\n';
        blanks += c == ' ';
        ++characters;
    }
    std::string line() const
    {
        char text[80];
        std::snprintf(text, sizeof text, "%lld %lld %lld\n", lines, blanks, characters);
        return text;
    }
};

// Where two texts first differ, for messages that stay short when the
// texts are long.
inline std::string first_difference(const std::string& got, const std::string& expected)
{
    std::size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at])
        ++at;
    return "sizes " + std::to_string(got.size()) + " and " + std::to_string(expected.size()) + ", first difference at " +
           std::to_string(at);
}

inline std::string solve(const std::string& input)
{
    const std::size_t newline = input.find('\n');
    const std::string header = input.substr(0, newline);
    const std::string body = newline == std::string::npos ? "" : input.substr(newline + 1);
    const char mode = header.empty() ? 'w' : header[0];
    int width = 0;
    if (mode == 't' || mode == 'b') {
        std::vector<std::string> tokens;
        std::string token;
        for (char c : header + " ") {
            if (c != ' ') {
                token += c;
            } else if (!token.empty()) {
                tokens.push_back(token);
                token.clear();
            }
        }
        if (tokens.size() >= 2)
            std::sscanf(tokens[1].c_str(), "%d", &width);
    }

    Counter read, written;
    std::string out;
    const auto write = [&](char c) {
        out += c;
        written.add(static_cast<unsigned char>(c));
    };
    bool leading = true;
    long long pending = 0;
    for (char c : body) {
        read.add(static_cast<unsigned char>(c));
        if (mode == 't') {
            if (c == '\t' && leading) {
                for (int i = 0; i < width; ++i)
                    write(' ');
            } else {
                write(c);
                if (c == '\n')
                    leading = true;
                else if (c != ' ' && c != '\t')
                    leading = false;
            }
        } else if (mode == 'b') {
            if (c == ' ' && leading) {
                if (++pending == width) {
                    write('\t');
                    pending = 0;
                }
            } else if (c == ' ' || c == '\t') {
                write(c);
            } else {
                if (leading)
                    for (; pending > 0; --pending)
                        write(' ');
                write(c);
                leading = c == '\n';
                pending = 0;
            }
        }
    }
    if (mode != 't' && mode != 'b')
        return read.line();
    return out + read.line() + written.line();
}

}  // namespace model
