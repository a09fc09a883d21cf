// Comparing a solution's output with the expected one: exact, byte for
// byte, except a clock reading where the exercise defines one; the first
// difference is described by line, column and the text around it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace judge {

struct Difference {
    bool same = true;
    std::uint64_t line = 0;    // of the first difference, from 1
    std::uint64_t column = 0;  // in bytes, from 1
    std::string expected;      // the expected text around it, escaped, on one line
    std::string found;         // the found text around it, likewise
    bool clock = false;        // the difference is where a clock reading was expected
    bool found_ends = false;   // the found output ends at the difference
    bool expected_ends = false;
};

// Compares the files. With clock_line, the expected output's last line is a
// clock reading: any integer (optional minus sign, up to 20 digits) is
// accepted in its place, ended as the expected line is.
Difference compare_outputs(const std::string& expected_path, const std::string& found_path, bool clock_line);

// The bytes as one printable line: printable ASCII as it is, backslash and
// double quote escaped, \n \t \r, and \xNN for every other byte.
std::string escape(std::string_view bytes);

// "line L, column C: expected "...", found "..."".
std::string describe(const Difference& difference);

}  // namespace judge
